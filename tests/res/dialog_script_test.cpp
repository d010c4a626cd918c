// The resource script the Windows build generates from the Linux build's dialog templates.

#include "tools/resources/dialog_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/resource.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(DialogScript, AboutBoxIsAHiddenModalBoxWithIconTwoLinesAndOk) {
    const std::vector<std::string> expected = {
        "100 DIALOGEX 0, 0, 235, 55",
        "STYLE DS_SETFONT | DS_MODALFRAME | DS_FIXEDSYS | WS_POPUP | WS_CAPTION | WS_SYSMENU",
        "CAPTION \"About Zelvane\"",
        "FONT 8, \"MS Shell Dlg\", 400, 0, 1",
        "BEGIN",
        "    CONTROL 128, -1, 0x0082 /* Static */, SS_ICON, 11, 17, 20, 20",
        "    CONTROL \"Zelvane Version 1.0\", -1, 0x0082 /* Static */, SS_LEFT | WS_GROUP | "
        "SS_NOPREFIX, 40, 10, 119, 8",
        "    CONTROL \"USB device database updater\", -1, 0x0082 /* Static */, SS_LEFT | "
        "WS_GROUP, 40, 25, 119, 8",
        "    CONTROL \"OK\", 1, 0x0080 /* Button */, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 178, "
        "7, 50, 16",
        "END",
    };
    EXPECT_EQ(Lines(DialogScript(AboutBoxTemplate())), expected);
}

TEST(DialogScript, MainWindowShowsOnlyTheFirstBar) {
    const std::vector<std::string> expected = {
        "102 DIALOGEX 0, 0, 320, 91",
        "STYLE DS_SETFONT | DS_MODALFRAME | DS_FIXEDSYS | WS_POPUP | WS_VISIBLE | WS_CAPTION | "
        "WS_SYSMENU",
        "EXSTYLE WS_EX_APPWINDOW",
        "CAPTION \"Quil VoiceUpdater V1.0\"",
        "FONT 8, \"MS Shell Dlg\", 400, 0, 1",
        "BEGIN",
        "    CONTROL \"OK\", 1, 0x0080 /* Button */, BS_DEFPUSHBUTTON | WS_TABSTOP | NOT WS_VISIBLE, "
        "263, 7, 50, 16",
        "    CONTROL \"Cancel\", 2, 0x0080 /* Button */, BS_PUSHBUTTON | WS_TABSTOP | NOT "
        "WS_VISIBLE, 263, 69, 50, 15",
        "    CONTROL \"Button1\", 1000, 0x0080 /* Button */, BS_PUSHBUTTON | WS_TABSTOP | NOT "
        "WS_VISIBLE, 7, 7, 50, 14",
        "    CONTROL \"\", 1001, \"msctls_progress32\", WS_BORDER, 7, 37, 306, 14",
        "    CONTROL \"\", 1002, \"msctls_progress32\", WS_BORDER | NOT WS_VISIBLE, 7, 7, 306, 14",
        "    CONTROL \"\", 1003, \"msctls_progress32\", WS_BORDER | NOT WS_VISIBLE, 7, 17, 306, 14",
        "END",
    };
    EXPECT_EQ(Lines(DialogScript(MainDialogTemplate())), expected);
}

TEST(DialogScript, ItemWithoutStyleOfItsOwnGetsZero) {
    CDialogTemplate dialog{7, u"x", 10, 10, 9, {{5, DialogItemKind::kProgress, u"", 1, 2, 3, 4}}};
    EXPECT_EQ(Lines(DialogScript(dialog)).at(5),
              "    CONTROL \"\", 5, \"msctls_progress32\", 0, 1, 2, 3, 4");
}

TEST(DialogScript, StringTableKeepsMnemonicAndDoublesQuotes) {
    EXPECT_EQ(StringTableScript({StringTable().at(0), {7, u"a\"b"}}),
              "STRINGTABLE\nBEGIN\n    101, \"&About Zelvane...\"\n    7, \"a\"\"b\"\nEND\n");
}

TEST(DialogScript, TextTheScriptCannotCarryIsRefused) {
    CDialogTemplate dialog{7, u"caf\u00e9", 10, 10, 8, {}};
    EXPECT_THROW(DialogScript(dialog), std::invalid_argument);
    EXPECT_THROW(StringTableScript({{1, u"line\nbreak"}}), std::invalid_argument);
}

}  // namespace
