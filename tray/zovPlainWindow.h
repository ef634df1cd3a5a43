#pragma once
// Where the desktop has no tray, the main dialog is the program's only
// presence: an ordinary window (in the task bar, not kept on top, with a
// minimise box) whose close box iconifies it instead of hiding it.

#include <wx/event.h>

class wxDialog;

class zovPlainWindow : public wxEvtHandler
{
public:
    // Turns `dialog` into an ordinary window; the handler is pushed onto it
    // and must be popped (Detach) before the dialog goes.
    static zovPlainWindow* Attach(wxDialog* dialog);
    static void Detach(wxDialog* dialog);
    static bool IsAttached(wxDialog* dialog);

private:
    explicit zovPlainWindow(wxDialog* dialog);
    void OnClose(wxCloseEvent& event);

    wxDialog* m_dialog;
};
