#include "tools/demo/drive_row.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <algorithm>

#include "tools/demo/device_bench.h"

namespace {

QString DeviceText(const CDriveState& state) {
    if (state.kind == DeviceKind::kNone) {
        return QStringLiteral("empty");
    }
    QString text = QString::fromUtf8(CDeviceBench::KindName(state.kind));
    return state.present ? text : text + QStringLiteral(", pulled out");
}

}  // namespace

CDriveRow::CDriveRow(CDeviceBench& bench, int drive, QGridLayout& grid, int row, QWidget* parent)
    : m_bench(bench), m_drive(drive), m_parent(parent) {
    auto* number = new QLabel(QStringLiteral("<b>%1</b>").arg(drive), parent);
    number->setAlignment(Qt::AlignCenter);
    grid.addWidget(number, row, kDriveColumn);
    m_plug = AddButton(grid, row, kPlugColumn, "Plug",
                       "Plug in a device in update mode: the updater writes the image into it.");
    m_slow = AddButton(grid, row, kPlugColumn + 1, "Slow",
                       "Plug in a device that takes 15 ms per command: the bar moves slowly.");
    m_faulty = AddButton(grid, row, kPlugColumn + 2, "Faulty",
                         "Plug in a device whose read-back of the middle block always differs: "
                         "\"Verify Error!!\" half-way.");
    m_otherDisk = AddButton(grid, row, kPlugColumn + 3, "Other disk",
                            "Plug in an ordinary disk of another vendor: the updater leaves it "
                            "alone.");
    m_pull = AddButton(grid, row, kPullColumn, "Pull",
                       "Pull the device out now, in the middle of its transfer: \"Connection "
                       "Error!!\". The row keeps what it received. On an empty drive, plugs in "
                       "a device that pulls itself out at 40 %.");
    m_unplug = AddButton(grid, row, kUnplugColumn, "Unplug",
                         "Unplug the device and clear the row: its bar goes back to \"Wait "
                         "Connect..\".");
    m_device = AddLabel(grid, row, kDeviceColumn, Qt::AlignLeft | Qt::AlignVCenter);
    m_device->setMinimumWidth(
        m_device->fontMetrics().horizontalAdvance(QStringLiteral("update mode, slow, pulled out")));
    m_slot = AddLabel(grid, row, kSlotColumn, Qt::AlignCenter);
    m_written = AddLabel(grid, row, kWrittenColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_verified = AddLabel(grid, row, kVerifiedColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_bar = new QProgressBar(parent);
    m_bar->setTextVisible(false);
    m_bar->setMaximumHeight(m_plug->sizeHint().height() / 2);
    m_bar->setMinimumWidth(m_bar->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 16);
    grid.addWidget(m_bar, row, kBarColumn);
    ConnectButtons();
    Refresh();
}

QLabel* CDriveRow::AddLabel(QGridLayout& grid, int row, int column, Qt::Alignment alignment) {
    auto* label = new QLabel(m_parent);
    label->setAlignment(alignment);
    grid.addWidget(label, row, column);
    return label;
}

QPushButton* CDriveRow::AddButton(QGridLayout& grid, int row, int column, const char* text,
                                  const char* tip) {
    auto* button = new QPushButton(QString::fromUtf8(text), m_parent);
    button->setToolTip(QString::fromUtf8(tip));
    button->setAutoDefault(false);
    grid.addWidget(button, row, column);
    return button;
}

void CDriveRow::ConnectButtons() {
    auto plug = [this](QPushButton* button, DeviceKind kind) {
        QObject::connect(button, &QPushButton::clicked, [this, kind] {
            m_bench.Plug(m_drive, kind);
            Refresh();
        });
    };
    plug(m_plug, DeviceKind::kUpdateMode);
    plug(m_slow, DeviceKind::kSlow);
    plug(m_faulty, DeviceKind::kFaultyReadBack);
    plug(m_otherDisk, DeviceKind::kOrdinaryDisk);
    QObject::connect(m_pull, &QPushButton::clicked, [this] {
        m_bench.PullDuringTransfer(m_drive);
        Refresh();
    });
    QObject::connect(m_unplug, &QPushButton::clicked, [this] {
        m_bench.Unplug(m_drive);
        Refresh();
    });
}

void CDriveRow::Refresh() {
    CDriveState state = m_bench.State(m_drive);
    for (QPushButton* plug : {m_plug, m_slow, m_faulty, m_otherDisk}) {
        plug->setEnabled(!state.present);
    }
    m_unplug->setEnabled(state.kind != DeviceKind::kNone);
    ShowDevice(state);
    ShowSlot(state);
    ShowBlocks(state);
}

void CDriveRow::ShowDevice(const CDriveState& state) {
    m_device->setText(DeviceText(state));
    m_device->setEnabled(state.kind != DeviceKind::kNone && state.present);
}

void CDriveRow::ShowSlot(const CDriveState& state) {
    if (state.slot < 0) {
        m_slot->setText(QStringLiteral("\u2013"));
        m_slot->setToolTip(QString());
    } else if (state.slot == 0) {
        m_slot->setText(QStringLiteral("<b>0</b> (window)"));
        m_slot->setToolTip(QStringLiteral("Slot 0: shown in the updater's window"));
    } else {
        m_slot->setText(QString::number(state.slot));
        m_slot->setToolTip(QStringLiteral("Slot %1: not shown in the updater's window; follow "
                                          "it here")
                               .arg(state.slot));
    }
}

void CDriveRow::ShowBlocks(const CDriveState& state) {
    bool target = state.kind != DeviceKind::kNone && state.kind != DeviceKind::kOrdinaryDisk;
    std::size_t total = m_bench.ImageBlocks();
    m_bar->setRange(0, static_cast<int>(total));
    m_bar->setValue(static_cast<int>(std::min(state.blocksVerified, total)));
    m_bar->setEnabled(target);
    m_written->setText(target ? QString::number(state.blocksWritten) : QString());
    m_verified->setText(target ? QString::number(state.blocksVerified) : QString());
}
