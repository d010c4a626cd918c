#pragma once
// Symbolic links for tests that need a name the listing shows but that does not open. Not every
// system makes them: Wine implements none, and Windows lets only privileged users. There the test
// is skipped with the reason, rather than passed.

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

// Makes `link` a link to `target`, which need not exist; else skips the test and returns.
#define LINK_OR_SKIP(target, link)                                                        \
    do {                                                                                  \
        std::error_code linkError;                                                        \
        std::filesystem::create_symlink((target), (link), linkError);                     \
        if (linkError) {                                                                  \
            GTEST_SKIP() << "symbolic links cannot be made here: " << linkError.message(); \
        }                                                                                 \
    } while (false)
