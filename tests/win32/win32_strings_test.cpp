// The framework's strings on Win32 come from the executable's compiled string table
// (test_strings.rc in this program), not from a copy in the code.

#include <gtest/gtest.h>

#include "platform/window/toolkit_backend.h"

TEST(Win32Strings, CompiledStringIsLoadedWhole) {
    EXPECT_EQ(LoadResourceString(7), u"&Seven, with its mnemonic");
}

TEST(Win32Strings, IdOutsideTheTableGivesTheEmptyString) {
    // 101 is the program's about entry: this executable has no such string, so a dialog here
    // would append no entry for it.
    EXPECT_EQ(LoadResourceString(8), u"");
    EXPECT_EQ(LoadResourceString(101), u"");
}
