// Built only in the 32-bit build of the device layer: prints "32-bit process" and exits 0 when it
// runs as one. run-m32-tests.sh starts it first, natively or under the emulator, to learn whether
// that way of running 32-bit programs works here at all.
#include <cstdio>

int main() {
    if (sizeof(void*) != 4) {
        std::puts("not a 32-bit process");
        return 1;
    }
    std::puts("32-bit process");
    return 0;
}
