#pragma once
// Finding the database image beside the executable.

#include <string>

// The image's file-name pattern: "Tarvik_", six characters, "_DB.bin".
inline constexpr char kImageFilePattern[] = "Tarvik_??????_DB.bin";

// The directory of the running executable, ending with its separator.
std::u16string GetModuleDirectory();

// The full path of the last entry the directory search yields for `pattern` that is not a
// directory, or the empty string when there is none (also when the directory does not exist or
// the pattern is too long). Entries come in name order, case-insensitively, so the last is the
// highest-numbered image.
std::u16string FindLastMatchingFile(std::u16string pattern);
