#include "tools/resources/dialog_script.h"

#include <stdexcept>
#include <string_view>

namespace {

// The one face every dialog of the program uses: the shell's dialog font, normal weight, not
// italic, character set 1 (the system's default).
constexpr std::string_view kDialogFace = "MS Shell Dlg";
constexpr int kNormalWeight = 400;
constexpr int kDefaultCharset = 1;

std::string Quoted(const std::u16string& text) {
    std::string quoted = "\"";
    for (char16_t c : text) {
        if (c < 0x20 || c > 0x7E) {
            throw std::invalid_argument("resource text must be printable ASCII");
        }
        if (c == u'"') {
            quoted += "\"\"";  // the resource compiler's way of escaping a quote
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

// The item's style: its kind's own, then what it adds; the resource compiler makes every item a
// visible child unless told otherwise.
std::string ItemStyle(const CDialogItem& item) {
    std::string style;
    auto add = [&style](std::string_view flag) {
        style += style.empty() ? "" : " | ";
        style += flag;
    };
    switch (item.kind) {
        case DialogItemKind::kPushButton:
            add("BS_PUSHBUTTON | WS_TABSTOP");
            break;
        case DialogItemKind::kDefaultPushButton:
            add("BS_DEFPUSHBUTTON | WS_TABSTOP");
            break;
        case DialogItemKind::kText:
            add("SS_LEFT | WS_GROUP");
            break;
        case DialogItemKind::kIcon:
            add("SS_ICON");
            break;
        case DialogItemKind::kProgress:
            break;
    }
    if (item.startsGroup && item.kind != DialogItemKind::kText) {
        add("WS_GROUP");
    }
    if (item.noPrefix) {
        add("SS_NOPREFIX");
    }
    if (item.border) {
        add("WS_BORDER");
    }
    if (!item.visible) {
        add("NOT WS_VISIBLE");
    }
    return style.empty() ? "0" : style;
}

// The window class: the system's predefined classes by their atoms, as the dialog manager
// expects them; the common progress bar by its name.
std::string ItemClass(DialogItemKind kind) {
    switch (kind) {
        case DialogItemKind::kPushButton:
        case DialogItemKind::kDefaultPushButton:
            return "0x0080 /* Button */";
        case DialogItemKind::kText:
        case DialogItemKind::kIcon:
            return "0x0082 /* Static */";
        case DialogItemKind::kProgress:
            return "\"msctls_progress32\"";
    }
    throw std::invalid_argument("unknown dialog item kind");
}

// One generic CONTROL statement per item, so that every style bit is written here rather than
// taken from a resource compiler's defaults for its shorthand statements.
std::string ItemStatement(const CDialogItem& item) {
    const std::string text =
        item.kind == DialogItemKind::kIcon ? std::to_string(item.iconId) : Quoted(item.text);
    return "CONTROL " + text + ", " + std::to_string(item.id) + ", " + ItemClass(item.kind) +
           ", " + ItemStyle(item) + ", " + std::to_string(item.x) + ", " + std::to_string(item.y) +
           ", " + std::to_string(item.cx) + ", " + std::to_string(item.cy);
}

std::string DialogStyle(const CDialogTemplate& dialog) {
    std::string style = "DS_SETFONT | DS_MODALFRAME | DS_FIXEDSYS | WS_POPUP";
    if (dialog.visibleAtCreation) {
        style += " | WS_VISIBLE";
    }
    return style + " | WS_CAPTION | WS_SYSMENU";
}

}  // namespace

std::string DialogScript(const CDialogTemplate& dialog) {
    std::string script = std::to_string(dialog.id) + " DIALOGEX 0, 0, " +
                         std::to_string(dialog.cx) + ", " + std::to_string(dialog.cy) + "\n";
    script += "STYLE " + DialogStyle(dialog) + "\n";
    if (dialog.appWindow) {
        script += "EXSTYLE WS_EX_APPWINDOW\n";
    }
    script += "CAPTION " + Quoted(dialog.caption) + "\n";
    script += "FONT " + std::to_string(dialog.fontPoints) + ", \"" + std::string(kDialogFace) +
              "\", " + std::to_string(kNormalWeight) + ", 0, " +
              std::to_string(kDefaultCharset) + "\n";
    script += "BEGIN\n";
    for (const CDialogItem& item : dialog.items) {
        script += "    " + ItemStatement(item) + "\n";
    }
    return script + "END\n";
}

std::string StringTableScript(const CStringTable& strings) {
    std::string script = "STRINGTABLE\nBEGIN\n";
    for (const auto& [id, text] : strings) {
        script += "    " + std::to_string(id) + ", " + Quoted(text) + "\n";
    }
    return script + "END\n";
}
