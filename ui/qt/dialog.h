// Dialogs built from templates.
//
// A dialog object names its template by resource id. DoModal builds the
// window from the template, initialises it (OnInitDialog), shows it and
// runs until EndDialog; the window is destroyed before DoModal returns.
// Create builds, initialises and shows the same window without waiting,
// for a dialog that lives alongside others (and for tests).
//
// The dialog's own message map sends the OK button (IDOK) to OnOK and the
// cancel command (IDCANCEL: a button with that id, the Esc key) to
// OnCancel; the close box and the system menu's Close arrive as WM_CLOSE,
// which also goes to OnCancel.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include <arkseal/ui/core/icon.h>
#include <arkseal/ui/core/menu.h>
#include <arkseal/ui/core/window.h>

class QWidget;

namespace arkseal {

class DataExchange;
class DialogWindow;

class Dialog : public Window {
public:
    explicit Dialog(int templateId, Window* parent = nullptr);
    ~Dialog() override;

    // Runs the dialog modally; the value passed to EndDialog (IDCANCEL
    // also when the template does not exist).
    int DoModal();
    // Builds, initialises and shows the dialog; false when the template
    // does not exist.
    bool Create();
    // Ends the dialog with the result; DoModal returns it. Message boxes
    // and dialogs open over it are closed first (DismissBoxes), since it
    // cannot end before they have.
    void EndDialog(int result);
    // Closes the message boxes and dialogs open over this dialog as their
    // escape would: a question answers No (its safe answer), an OK box OK,
    // a file dialog is cancelled, a dialog gets IDCANCEL.
    void DismissBoxes();

    // Moves control contents into the members (true) or the members into
    // the controls (false) through DoDataExchange.
    bool UpdateData(bool saveAndValidate = true);

    // The window's system menu (here its context menu): a standard Close
    // command followed by what the program appends. Null before the window
    // exists.
    Menu* GetSystemMenu();
    void SetIcon(const Icon& icon, bool bigIcon);
    // Starts a timer that sends WM_TIMER with the id every period.
    void SetTimer(unsigned id, unsigned periodMs);
    // Lets files be dropped onto the dialog (WM_DROPFILES).
    void DragAcceptFiles(bool accept);

    DialogWindow* Handle() const { return window_.get(); }

    // Posted messages travel as Qt events to the dialog's widget; message
    // boxes run on the user-interface thread as QMessageBox.
    bool Post(unsigned message, WPARAM wParam, LPARAM lParam) override;
    void RunOnWindowThread(const std::function<void()>& call) override;
    int ShowMessageBox(const std::string& caption, const std::string& text, unsigned type,
                       const ButtonTexts& buttons) override;

    // The dialog's widget; null while the window does not exist.
    QWidget* Widget() const { return widget_.load(); }

protected:
    // Pushes the members into the controls. True: the focus goes to the
    // first tab stop; false: the handler has placed it itself.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(DataExchange& dx);
    // Pulls the controls and ends the dialog with IDOK.
    virtual void OnOK();
    // Ends the dialog with IDCANCEL.
    virtual void OnCancel();
    // Default handling of system commands: Close sends WM_CLOSE.
    void OnSysCommand(WPARAM command, LPARAM lParam);

    const MessageMap* GetMessageMap() const override;

private:
    bool Build();
    void Destroy();

    void HandleOk() { OnOK(); }
    void HandleCancel() { OnCancel(); }
    LRESULT HandleClose(WPARAM, LPARAM) {
        OnCancel();
        return 0;
    }
    LRESULT HandleSysCommand(WPARAM command, LPARAM lParam) {
        OnSysCommand(command, lParam);
        return 0;
    }

    const int templateId_;
    Window* const parent_;
    std::unique_ptr<DialogWindow> window_;
    // Read by posting threads while the user-interface thread creates and
    // destroys the window.
    std::atomic<QWidget*> widget_{nullptr};
    Menu systemMenu_;
};

// The widget on screen behind a window: a dialog's while it exists; null
// for any other window (one that is not on screen) and for null. Owners of
// Qt windows (dialogs, message boxes, file dialogs) are found this way.
QWidget* WidgetOf(const Window* window);

}  // namespace arkseal
