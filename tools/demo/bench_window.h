#pragma once
// The bench window beside the updater's window: six drives, each with buttons to plug in devices
// of several kinds, pull them out during the transfer and unplug them, and what each device has
// received, refreshed ten times a second. The table follows every slot, also those the
// updater's window does not show. Closing it ends the demo. User-interface thread only.

#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "tools/demo/drive_row.h"

class CDeviceBench;
class CDemoImageFolder;
class QGridLayout;
class QLabel;
class QPushButton;

class CBenchWindow : public QWidget {
public:
    // `owner`: the updater's window. The bench is a window of its own that belongs to it, so that
    // the updater's modal loop lets it take input, and it goes when that window goes.
    CBenchWindow(CDeviceBench& bench, CDemoImageFolder& images, QWidget* owner);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* MakeIntro();
    QWidget* MakeImageLine();
    QWidget* MakeDriveTable();
    void AddHeader(QGridLayout& grid);
    void ToggleImage();
    void Refresh();

    CDeviceBench& m_bench;
    CDemoImageFolder& m_images;
    std::vector<std::unique_ptr<CDriveRow>> m_rows;
    QLabel* m_imageState = nullptr;
    QPushButton* m_imageButton = nullptr;
    QTimer m_refresh;
};
