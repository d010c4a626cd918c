#pragma once
// Resources described as data, the way the resource compiler keeps them. A dialog: a caption, a
// size and the controls, all positions in dialog units (a quarter of the font's average character
// width across, an eighth of its height down). A string table: ids and texts.

#include <string>
#include <utility>
#include <vector>

#include "platform/window/win_types.h"

enum class DialogItemKind {
    kPushButton,
    kDefaultPushButton,
    kText,      // static text, left-aligned; always starts a group of controls
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
    // Starts a new group of controls for the arrow keys (text items always do).
    bool startsGroup = false;
    // An ampersand is shown as it is. The Qt backend never interprets ampersands in text items;
    // Windows does unless this is set.
    bool noPrefix = false;
};

// A string table: resource ids and their texts, in the order the resource script lists them.
using CStringTable = std::vector<std::pair<int, std::u16string>>;

struct CDialogTemplate {
    int id;
    std::u16string caption;
    int cx, cy;
    int fontPoints;  // the dialog font's size; the toolkit's own dialog face stands in for the font
    std::vector<CDialogItem> items;
    bool visibleAtCreation = false;  // shown as soon as it is created, before it is run
    bool appWindow = false;          // has a taskbar button of its own even when it has an owner
};
