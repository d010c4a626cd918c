// Build-time tool: writes the resource script of the program's dialog templates and string
// table to the file named by its one argument, from the descriptions in app/resources.cpp.

#include <cstdio>
#include <exception>
#include <fstream>

#include "app/resource.h"
#include "tools/resources/dialog_script.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.rc\n", argv[0]);
        return 2;
    }
    try {
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        out << "// Generated at build time from app/resources.cpp; do not edit.\n\n"
            << DialogScript(AboutBoxTemplate()) << "\n"
            << DialogScript(MainDialogTemplate()) << "\n"
            << StringTableScript(StringTable());
        out.close();
        if (!out) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
