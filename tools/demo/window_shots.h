#pragma once
// Pictures of the demo's windows as PNG files. User-interface thread only.

#include <string>

class QWidget;

// The Qt widget of the running main dialog, or null while it does not run.
QWidget* MainWindowWidget();

// Renders `widget` as it looks now (a paint of its own, not a copy of the screen) into a PNG at
// `path`. False when there is no widget or the file cannot be written.
bool SaveWidgetShot(QWidget* widget, const std::string& path);

// The folder for pictures: `requested` (made when missing) or, when empty, a fresh folder under
// the temporary folder. Empty when it cannot be made.
std::string PrepareShotFolder(const std::string& requested);
