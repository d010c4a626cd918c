// The program that reproducible_test.sh builds in two places: its source names (__FILE__), its
// debug information and its link time are where a build's place and time could show.
#include <cassert>
#include <cstdio>
#include <string_view>

std::string_view ProbeSourceName();

int main(int argc, char**)
{
    assert(argc > 0);
    std::printf("%s %.*s\n", __FILE__, static_cast<int>(ProbeSourceName().size()),
                ProbeSourceName().data());
    return 0;
}
