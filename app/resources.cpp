#include "app/resource.h"

namespace {
constexpr int kDialogFontPoints = 8;
using Kind = DialogItemKind;
}  // namespace

const CDialogTemplate& AboutBoxTemplate() {
    static const CDialogTemplate about{
        IDD_ABOUTBOX,
        u"About Zelvane",
        235,
        55,
        kDialogFontPoints,
        {
            {-1, Kind::kIcon, u"", 11, 17, 20, 20, true, false, IDR_MAINFRAME},
            {.id = -1, .kind = Kind::kText, .text = u"Zelvane Version 1.0",
             .x = 40, .y = 10, .cx = 119, .cy = 8, .noPrefix = true},
            {-1, Kind::kText, u"USB device database updater", 40, 25, 119, 8},
            {.id = 1, .kind = Kind::kDefaultPushButton, .text = u"OK",
             .x = 178, .y = 7, .cx = 50, .cy = 16, .startsGroup = true},
        }};
    return about;
}

const CDialogTemplate& MainDialogTemplate() {
    // Only the bar 1001 is ever seen; the buttons and the other two bars stay hidden.
    static const CDialogTemplate main{
        IDD_ZELVANE_DIALOG,
        u"Quil VoiceUpdater V1.0",  // replaced by the title at initialisation
        320,
        91,
        kDialogFontPoints,
        {
            {1, Kind::kDefaultPushButton, u"OK", 263, 7, 50, 16, false},
            {2, Kind::kPushButton, u"Cancel", 263, 69, 50, 15, false},
            {IDC_BUTTON1, Kind::kPushButton, u"Button1", 7, 7, 50, 14, false},
            {IDC_PROGRESS1, Kind::kProgress, u"", 7, 37, 306, 14, true, true},
            {IDC_PROGRESS2, Kind::kProgress, u"", 7, 7, 306, 14, false, true},
            {IDC_PROGRESS3, Kind::kProgress, u"", 7, 17, 306, 14, false, true},
        },
        true,  // visible at creation
        true,  // an application window
    };
    return main;
}

const CStringTable& StringTable() {
    static const CStringTable strings{{IDS_ABOUTBOX, u"&About Zelvane..."}};
    return strings;
}
