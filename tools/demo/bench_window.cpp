#include "tools/demo/bench_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/zelvane_app.h"
#include "tools/demo/device_bench.h"
#include "tools/demo/image_folder.h"

namespace {
constexpr int kRefreshMilliseconds = 100;
}  // namespace

CBenchWindow::CBenchWindow(CDeviceBench& bench, CDemoImageFolder& images, QWidget* owner)
    : QWidget(owner, Qt::Window), m_bench(bench), m_images(images) {
    setWindowTitle(QStringLiteral("Zelvane demo \u2013 device bench"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeIntro());
    layout->addWidget(MakeImageLine());
    layout->addWidget(MakeDriveTable());
    QObject::connect(&m_refresh, &QTimer::timeout, [this] { Refresh(); });
    m_refresh.start(kRefreshMilliseconds);
    Refresh();
}

QWidget* CBenchWindow::MakeIntro() {
    auto* intro = new QLabel(
        QStringLiteral("Plug simulated USB devices into drives 0 to 5 and watch the updater. Its "
                       "window shows the device in slot 0;\nthis table follows every device, in "
                       "every slot."),
        this);
    intro->setWordWrap(true);
    return intro;
}

QWidget* CBenchWindow::MakeImageLine() {
    auto* box = new QGroupBox(QStringLiteral("Database image"), this);
    auto* line = new QHBoxLayout(box);
    const auto& image = m_images.Image();
    QString origin = m_images.CopiedFromBesideExecutable()
                         ? QStringLiteral("copied from beside the demo")
                         : QStringLiteral("generated sample");
    auto* name = new QLabel(
        QStringLiteral("<b>%1</b> \u2013 %2 bytes, %3 blocks, %4")
            .arg(QString::fromStdString(m_images.ImageName()),
                 QLocale(QLocale::English).toString(static_cast<qlonglong>(image.size())),
                 QString::number(m_bench.ImageBlocks()), origin),
        box);
    name->setToolTip(QString::fromStdString(m_images.Folder().string()));
    line->addWidget(name, 1);
    m_imageState = new QLabel(box);
    line->addWidget(m_imageState);
    m_imageButton = new QPushButton(box);
    m_imageButton->setAutoDefault(false);
    QObject::connect(m_imageButton, &QPushButton::clicked, [this] { ToggleImage(); });
    line->addWidget(m_imageButton);
    return box;
}

QWidget* CBenchWindow::MakeDriveTable() {
    auto* box = new QGroupBox(QStringLiteral("Drives"), this);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(6);
    AddHeader(*grid);
    for (int drive = 0; drive < CDeviceBench::kDriveCount; ++drive) {
        m_rows.push_back(std::make_unique<CDriveRow>(m_bench, drive, *grid, drive + 1, box));
    }
    grid->setColumnStretch(CDriveRow::kBarColumn, 1);
    return box;
}

void CBenchWindow::AddHeader(QGridLayout& grid) {
    auto header = [&](const QString& text, int column, int span) {
        auto* label = new QLabel(QStringLiteral("<b>%1</b>").arg(text), grid.parentWidget());
        label->setAlignment(Qt::AlignCenter);
        grid.addWidget(label, 0, column, 1, span);
    };
    header(QStringLiteral("Drive"), CDriveRow::kDriveColumn, 1);
    header(QStringLiteral("Plug in a device"), CDriveRow::kPlugColumn, 4);
    header(QStringLiteral("Take it out"), CDriveRow::kPullColumn, 2);
    header(QStringLiteral("Device"), CDriveRow::kDeviceColumn, 1);
    header(QStringLiteral("Slot"), CDriveRow::kSlotColumn, 1);
    header(QStringLiteral("Written"), CDriveRow::kWrittenColumn, 1);
    header(QStringLiteral("Verified"), CDriveRow::kVerifiedColumn, 1);
    header(QStringLiteral("of %1 blocks").arg(m_bench.ImageBlocks()), CDriveRow::kBarColumn, 1);
}

void CBenchWindow::ToggleImage() {
    if (m_images.ImagePresent()) {
        m_images.TakeImageAway();
    } else {
        m_images.PutImageBack();
    }
    Refresh();
}

void CBenchWindow::Refresh() {
    for (auto& row : m_rows) {
        row->Refresh();
    }
    bool present = m_images.ImagePresent();
    m_imageState->setText(present ? QStringLiteral("in place")
                                  : QStringLiteral("<b>taken away</b>"));
    m_imageButton->setText(present ? QStringLiteral("Take it away")
                                   : QStringLiteral("Put it back"));
}

void CBenchWindow::closeEvent(QCloseEvent* event) {
    // The demo is the two windows together: without the bench nothing can be plugged in.
    if (theApp.m_pMainWnd != nullptr) {
        theApp.m_pMainWnd->EndDialog(IDCANCEL);
    }
    event->accept();
}
