#pragma once
// The resource-script (.rc) text of the program's dialog templates and string table, written
// from the same descriptions the Linux build shows its dialogs from, so that the Windows
// program's compiled templates cannot drift from them. Host-side code: it runs at build time.

#include <string>

#include "platform/window/dialog_template.h"

// The DIALOGEX statement of `dialog`: its id, size, styles, caption and font, and one statement
// per item in tab order, each with its whole style written out. Throws std::invalid_argument for text the script cannot carry (outside printable ASCII).
std::string DialogScript(const CDialogTemplate& dialog);

// A STRINGTABLE statement with the given id and text pairs, in the order given. Throws like
// DialogScript.
std::string StringTableScript(const CStringTable& strings);
