#pragma once
// The program's resource ids and the resources kept as data: the two dialog templates and the
// string table.

#include "platform/window/dialog_template.h"

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_ZELVANE_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDC_BUTTON1 = 1000;
inline constexpr int IDC_PROGRESS1 = 1001;
inline constexpr int IDC_PROGRESS2 = 1002;
inline constexpr int IDC_PROGRESS3 = 1003;
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

const CDialogTemplate& AboutBoxTemplate();
const CDialogTemplate& MainDialogTemplate();

// The program's string table. At run time the framework's LoadResourceString
// (platform/window/toolkit_backend.h) gives its strings: on Windows from the table compiled into the
// executable, which the build writes from this one.
const CStringTable& StringTable();
