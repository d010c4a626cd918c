// Built into a static library, so that archives and their members are part of what is compared.
#include <string_view>

std::string_view ProbeSourceName()
{
    return __FILE__;
}
