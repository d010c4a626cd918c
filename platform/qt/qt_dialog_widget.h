#pragma once
// The Qt window of a CDialog: made from its template, it turns button clicks, the close box,
// Escape, timers and its context menu into the dialog's commands.

#include <QDialog>
#include <map>

#include "platform/window/dialog.h"

class CQtDialogWidget : public QDialog {
public:
    CQtDialogWidget(CDialog& owner, const CDialogTemplate& dialogTemplate, QWidget* parent);

    // The widget standing for control `id` (for a bordered control, the area inside the border).
    QWidget* Control(int id) const;
    int StartTimer(UINT_PTR id, UINT milliseconds);
    CSystemMenu& Menu() { return m_menu; }

    void reject() override;

protected:
    void timerEvent(QTimerEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Pixels for dialog units, from the dialog font's average character size as Windows
    // measures it.
    QRect ToPixels(int x, int y, int cx, int cy) const;
    void CreateItem(const CDialogItem& item);
    QWidget* CreateProgress(const CDialogItem& item);

    CDialog& m_owner;
    int m_baseX;
    int m_baseY;
    std::map<int, QWidget*> m_controls;
    std::map<int, UINT_PTR> m_timers;  // Qt's timer id -> the dialog's
    CSystemMenu m_menu;
};
