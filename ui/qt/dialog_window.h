// The Qt dialog behind a Dialog (inside the layer only): built from the
// template, it turns Qt's events into the Dialog's messages.
#pragma once

#include <QDialog>
#include <QLabel>
#include <map>
#include <vector>

#include <arkseal/ui/core/dialog_template.h>
#include <arkseal/ui/core/menu.h>
#include <arkseal/ui/core/messages.h>

namespace arkseal {

class Dialog;

class DialogWindow : public QDialog {
public:
    DialogWindow(Dialog& owner, const DialogTemplate& dialogTemplate, const Menu& systemMenu, QWidget* parent);

    // The control with the id, null if there is none.
    QWidget* Control(int id) const;
    // Gives the focus to the first tab stop once the window is shown.
    void FocusFirstTabStopWhenShown() { focusFirstTabStop_ = true; }
    void StartTimer(unsigned id, unsigned periodMs);
    void AcceptFiles(bool accept) { acceptFiles_ = accept; }
    // Makes each static text that shows its text as it is as tall as its
    // text needs: the controls below it move down and the dialog grows by
    // as much (or shrinks back, down to its template's size).
    void FitTexts();

    void accept() override;
    void reject() override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QWidget* MakeControl(const ControlTemplate& control);
    void NameAfterLabel(QLabel* label, const ControlTemplate& control, QWidget* widget);
    // The system menu (the dialog's context menu), opened at a point on screen.
    void ShowSystemMenu(const QPoint& where);
    void SendCommand(int id, unsigned notifyCode = BN_CLICKED);
    void SendSysCommandLater(unsigned command);
    // Takes a drag or drop that carries local files; false for any other.
    bool HandleFileDrag(QEvent* event);

    Dialog& owner_;
    const Menu& systemMenu_;
    std::map<int, QWidget*> controls_;
    std::vector<std::pair<QWidget*, QRect>> templateRects_;  // each control where its template puts it
    QSize templateSize_;
    std::vector<QWidget*> tabStops_;
    std::map<int, unsigned> timers_;  // Qt timer id -> our timer id
    bool focusFirstTabStop_ = false;
    bool acceptFiles_ = false;
};

}  // namespace arkseal
