#pragma once
// One drive's row in the bench window: its number, the buttons that plug, pull and unplug
// devices, and what the device there has received. User-interface thread only.

#include <Qt>
#include <cstddef>

class CDeviceBench;
struct CDriveState;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

class CDriveRow {
public:
    // The grid column of each part, for the window's header: positions, not an enumeration.
    static constexpr int kDriveColumn = 0;
    static constexpr int kPlugColumn = 1;  // four plug buttons from here
    static constexpr int kPullColumn = kPlugColumn + 4;
    static constexpr int kUnplugColumn = kPullColumn + 1;
    static constexpr int kDeviceColumn = kUnplugColumn + 1;
    static constexpr int kSlotColumn = kDeviceColumn + 1;
    static constexpr int kWrittenColumn = kSlotColumn + 1;
    static constexpr int kVerifiedColumn = kWrittenColumn + 1;
    static constexpr int kBarColumn = kVerifiedColumn + 1;

    // Makes the row's widgets in `grid` at `row`; their parent is `parent`.
    CDriveRow(CDeviceBench& bench, int drive, QGridLayout& grid, int row, QWidget* parent);

    // Shows what the drive holds now.
    void Refresh();

private:
    QLabel* AddLabel(QGridLayout& grid, int row, int column, Qt::Alignment alignment);
    QPushButton* AddButton(QGridLayout& grid, int row, int column, const char* text,
                           const char* tip);
    void ConnectButtons();
    void ShowDevice(const CDriveState& state);
    void ShowSlot(const CDriveState& state);
    void ShowBlocks(const CDriveState& state);

    CDeviceBench& m_bench;
    int m_drive;
    QWidget* m_parent;
    QPushButton* m_plug;
    QPushButton* m_slow;
    QPushButton* m_faulty;
    QPushButton* m_otherDisk;
    QPushButton* m_pull;
    QPushButton* m_unplug;
    QLabel* m_device;
    QLabel* m_slot;
    QLabel* m_written;
    QLabel* m_verified;
    QProgressBar* m_bar;
};
