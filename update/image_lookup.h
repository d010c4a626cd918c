#pragma once
// Finding the database image beside the executable.

#include <string>

// The image's file-name pattern: "Tarvik_", six characters, "_DB.bin".
inline constexpr char kImageFilePattern[] = "Tarvik_??????_DB.bin";

// The directory of the running executable, ending with its separator; empty when the
// executable's path cannot be had (a relative pattern would search the current directory).
std::u16string GetModuleDirectory();

// The full path of the last entry the directory search yields for `pattern` that is not a
// directory, or the empty string when there is none (also when the directory does not exist or
// the pattern is too long). Which entry comes last is the search's order: on Linux the names in
// the order NTFS keeps them, so the highest-numbered image; on Windows the file system's own,
// name order on NTFS and the order of the directory on FAT32 and exFAT.
std::u16string FindLastMatchingFile(std::u16string pattern);

// The image an update writes: the last match of kImageFilePattern in the executable's
// directory; empty when there is none, or when that directory cannot be had.
std::u16string FindImageBesideExecutable();
