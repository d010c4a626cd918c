#include "tools/demo/window_shots.h"

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/zelvane_app.h"

QWidget* MainWindowWidget() {
    CDialog* main = theApp.m_pMainWnd;
    return main != nullptr ? static_cast<QWidget*>(main->ToolkitWindow()) : nullptr;
}

bool SaveWidgetShot(QWidget* widget, const std::string& path) {
    if (widget == nullptr) {
        return false;
    }
    return widget->grab().save(QString::fromStdString(path), "PNG");
}

std::string PrepareShotFolder(const std::string& requested) {
    std::error_code error;
    if (!requested.empty()) {
        std::filesystem::create_directories(requested, error);
        return error ? std::string() : requested;
    }
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    std::string pattern = ((error ? "/tmp" : base) / "zelvane-demo-shots-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    return ::mkdtemp(name.data()) != nullptr ? std::string(name.data()) : std::string();
}
