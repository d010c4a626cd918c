#pragma once
// A dialog described as data, the way the resource compiler keeps it: a caption, a size and
// the controls, all positions in dialog units (a quarter of the font's average character width
// across, an eighth of its height down).

#include <string>
#include <vector>

#include "platform/window/win_types.h"

enum class DialogItemKind {
    kPushButton,
    kDefaultPushButton,
    kText,      // static text; mnemonic ampersands are not interpreted
    kIcon,      // static icon; `text` is unused, `iconId` names the icon resource
    kProgress,  // the common progress bar window, filled in by whatever subclasses it
};

struct CDialogItem {
    int id;
    DialogItemKind kind;
    std::u16string text;
    int x, y, cx, cy;
    bool visible = true;
    bool border = false;
    int iconId = 0;
};

struct CDialogTemplate {
    int id;
    std::u16string caption;
    int cx, cy;
    int fontPoints;  // the dialog font's size; the toolkit's own dialog face stands in for the font
    std::vector<CDialogItem> items;
};
