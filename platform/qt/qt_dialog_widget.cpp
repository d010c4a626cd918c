#include "platform/qt/qt_dialog_widget.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>

#include "platform/qt/qt_icons.h"
#include "platform/window/toolkit_backend.h"

namespace {
QString ToQString(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

CQtDialogWidget::CQtDialogWidget(CDialog& owner, const CDialogTemplate& dialogTemplate,
                                 QWidget* parent)
    : QDialog(parent), m_owner(owner) {
    QFont font = QApplication::font();
    font.setPointSize(dialogTemplate.fontPoints);
    setFont(font);
    QFontMetrics metrics(font);
    int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (alphabet / 26 + 1) / 2;
    m_baseY = metrics.height();

    setWindowTitle(ToQString(dialogTemplate.caption));
    setFixedSize(ToPixels(0, 0, dialogTemplate.cx, dialogTemplate.cy).size());
    for (const CDialogItem& item : dialogTemplate.items) {
        CreateItem(item);
    }
}

namespace {
// a * b / c rounded to the nearest integer, as the system's MulDiv converts dialog units.
int MulDiv(int a, int b, int c) {
    return (2 * a * b + c) / (2 * c);
}
}  // namespace

QRect CQtDialogWidget::ToPixels(int x, int y, int cx, int cy) const {
    return QRect(MulDiv(x, m_baseX, 4), MulDiv(y, m_baseY, 8), MulDiv(cx, m_baseX, 4),
                 MulDiv(cy, m_baseY, 8));
}

void CQtDialogWidget::CreateItem(const CDialogItem& item) {
    QWidget* widget = nullptr;
    QWidget* control = nullptr;
    switch (item.kind) {
        case DialogItemKind::kPushButton:
        case DialogItemKind::kDefaultPushButton: {
            auto* button = new QPushButton(ToQString(item.text), this);
            button->setDefault(item.kind == DialogItemKind::kDefaultPushButton);
            connect(button, &QPushButton::clicked, this,
                    [this, id = item.id] { m_owner.HandleCommand(id); });
            widget = button;
            break;
        }
        case DialogItemKind::kText: {
            auto* label = new QLabel(ToQString(item.text), this);
            label->setTextFormat(Qt::PlainText);
            widget = label;
            break;
        }
        case DialogItemKind::kIcon: {
            auto* label = new QLabel(this);
            if (HICON icon = LoadResourceIcon(item.iconId)) {
                label->setPixmap(icon->icon.pixmap(QSize(32, 32), devicePixelRatioF()));
            }
            widget = label;
            break;
        }
        case DialogItemKind::kProgress:
            widget = CreateProgress(item);
            control = m_controls[item.id];
            break;
    }
    widget->setGeometry(ToPixels(item.x, item.y, item.cx, item.cy));
    widget->setVisible(item.visible);
    if (control == nullptr) {
        m_controls[item.id] = widget;
    }
}

QWidget* CQtDialogWidget::CreateProgress(const CDialogItem& item) {
    // The border is the window's frame, outside its client area: the control is the inside.
    auto* frame = new QFrame(this);
    if (item.border) {
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        frame->setLineWidth(1);
    }
    auto* client = new QWidget(frame);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);  // the frame's layout already lies inside its border
    layout->addWidget(client);
    m_controls[item.id] = client;
    return frame;
}

QWidget* CQtDialogWidget::Control(int id) const {
    auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

int CQtDialogWidget::StartTimer(UINT_PTR id, UINT milliseconds) {
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (it->second == id) {
            killTimer(it->first);
            m_timers.erase(it);
            break;
        }
    }
    int qtId = startTimer(static_cast<int>(milliseconds));
    if (qtId != 0) {
        m_timers[qtId] = id;
    }
    return qtId;
}

void CQtDialogWidget::reject() {
    m_owner.HandleCommand(IDCANCEL);
}

void CQtDialogWidget::timerEvent(QTimerEvent* event) {
    auto found = m_timers.find(event->timerId());
    if (found != m_timers.end()) {
        m_owner.HandleTimer(found->second);
    }
}

void CQtDialogWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (m_menu.entries.empty()) {
        return;
    }
    QMenu menu(this);
    for (const CSystemMenu::CEntry& entry : m_menu.entries) {
        if (entry.flags & MF_SEPARATOR) {
            menu.addSeparator();
            continue;
        }
        menu.addAction(ToQString(entry.text))->setData(QVariant::fromValue<qulonglong>(entry.id));
    }
    // The command runs once the menu has closed, not inside the menu's own loop.
    if (QAction* chosen = menu.exec(event->globalPos())) {
        m_owner.HandleSysCommand(static_cast<UINT>(chosen->data().toULongLong()));
    }
}
