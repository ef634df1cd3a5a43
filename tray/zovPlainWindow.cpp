#include "zovPlainWindow.h"

#include <gtk/gtk.h>

#include <wx/dialog.h>

zovPlainWindow::zovPlainWindow(wxDialog* dialog)
    : m_dialog(dialog)
{
    Bind(wxEVT_CLOSE_WINDOW, &zovPlainWindow::OnClose, this);
}

zovPlainWindow* zovPlainWindow::Attach(wxDialog* dialog)
{
    dialog->SetWindowStyleFlag((dialog->GetWindowStyleFlag() & ~wxSTAY_ON_TOP) | wxMINIMIZE_BOX);
    // The toolkit marks dialogs as such; a window manager keeps those out of
    // the task bar and without a minimise box. Set before the first showing.
    if (GtkWidget* widget = dialog->GetHandle()) {
        GtkWindow* window = GTK_WINDOW(widget);
        gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_NORMAL);
        gtk_window_set_skip_taskbar_hint(window, FALSE);
        gtk_window_set_keep_above(window, FALSE);
        // The toolkit gives the window manager a dialog's functions and
        // decorations, without minimising, when the window is realised.
        dialog->m_gdkFunc |= GDK_FUNC_MINIMIZE;
        dialog->m_gdkDecor |= GDK_DECOR_MINIMIZE;
        if (GdkWindow* gdk_window = gtk_widget_get_window(widget)) {
            gdk_window_set_functions(gdk_window, static_cast<GdkWMFunction>(dialog->m_gdkFunc));
            gdk_window_set_decorations(gdk_window,
                                       static_cast<GdkWMDecoration>(dialog->m_gdkDecor));
        }
    }
    zovPlainWindow* handler = new zovPlainWindow(dialog);
    // Pushed handlers see the close before the dialog's own, which would hide it.
    dialog->PushEventHandler(handler);
    return handler;
}

bool zovPlainWindow::IsAttached(wxDialog* dialog)
{
    return dynamic_cast<zovPlainWindow*>(dialog->GetEventHandler()) != nullptr;
}

void zovPlainWindow::Detach(wxDialog* dialog)
{
    if (dynamic_cast<zovPlainWindow*>(dialog->GetEventHandler()))
        dialog->PopEventHandler(true);
}

void zovPlainWindow::OnClose(wxCloseEvent& event)
{
    if (!event.CanVeto()) {
        event.Skip();  // the session ends: let it go
        return;
    }
    event.Veto();
    // Hidden, it could not be reached again: no tray, no menu.
    m_dialog->Iconize(true);
}
