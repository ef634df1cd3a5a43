#include "zovTaskBarIcon.h"

#include <wx/menu.h>
#include <wx/msgdlg.h>

#include <zov/zovKernel.h>

#include "CurrentTaskPanel.h"
#include "zovPictures.h"
#include "zovTaskBarApp.h"
#include "zovTrayRules.h"

// Defined before the event table below, which reads them at start-up.
const long zovTaskBarIcon::ID_MENU_OPEN = wxNewId();
const long zovTaskBarIcon::ID_MENU_EXIT = wxNewId();
const long zovTaskBarIcon::ID_ICON_TIMER = wxNewId();

// clang-format off
wxBEGIN_EVENT_TABLE(zovTaskBarIcon, wxTaskBarIcon)
    EVT_MENU(zovTaskBarIcon::ID_MENU_OPEN, zovTaskBarIcon::OnMenuOpen)
    EVT_MENU(zovTaskBarIcon::ID_MENU_EXIT, zovTaskBarIcon::OnMenuExit)
    EVT_TASKBAR_LEFT_DCLICK(zovTaskBarIcon::OnLeftDoubleClick)
    EVT_TASKBAR_LEFT_DOWN(zovTaskBarIcon::OnLeftDown)
    EVT_TASKBAR_MOVE(zovTaskBarIcon::OnMove)
    EVT_TIMER(zovTaskBarIcon::ID_ICON_TIMER, zovTaskBarIcon::OnTimer)
wxEND_EVENT_TABLE()
// clang-format on

zovTaskBarIcon::zovTaskBarIcon()
{
    m_last_update.set_local_time();
    UpdateIcon(true);
    m_timer.SetOwner(this, ID_ICON_TIMER);
    m_timer.Start(60000, wxTIMER_CONTINUOUS);
}

zovTaskBarIcon::~zovTaskBarIcon()
{
    m_timer.Stop();
    RemoveIcon();
}

void zovTaskBarIcon::UpdateIcon(bool force)
{
    vu_datetime now;
    now.set_local_time();
    if (!zovtray::icon_update_due(force, m_tooltip.empty(), now, m_last_update))
        return;

    zovTaskBarApp& app = wxGetApp();
    zovKernel* kernel = app.GetKernel();
    if (!kernel)
        return;
    const bool logged_out = app.CheckAutoLogout();

    const zovCurrent& current = kernel->current();
    m_tooltip = zovtray::tooltip_text(current, now);
    m_working = current.active();
    const wxIcon picture = zovPictureIcon(m_working ? zovPicture::working : zovPicture::sleeping);
    if (SetIcon(picture, m_tooltip))
        m_last_update = now;
    else
        wxMessageBox("Could not set new icon.", "Message", wxOK | wxCENTRE, nullptr);
    // The page, when shown, says the same as the icon at once.
    if (logged_out)
        CurrentTaskPanel::RefreshStatusIfShown();
}

wxMenu* zovTaskBarIcon::CreatePopupMenu()
{
    wxMenu* menu = new wxMenu;
    menu->Append(ID_MENU_OPEN, _("&Open ZOV"), wxEmptyString);
    menu->AppendSeparator();
    menu->Append(ID_MENU_EXIT, _("E&xit"), wxEmptyString);
    return menu;
}

void zovTaskBarIcon::OnMenuOpen(wxCommandEvent&)
{
    wxGetApp().ShowDialog(true);
}

void zovTaskBarIcon::OnMenuExit(wxCommandEvent& event)
{
    event.Skip();
    RemoveIcon();
    wxGetApp().Exit();
}

void zovTaskBarIcon::OnLeftDoubleClick(wxTaskBarIconEvent&)
{
    wxGetApp().ShowDialog(true);
}

void zovTaskBarIcon::OnLeftDown(wxTaskBarIconEvent&)
{
    wxGetApp().ToggleDialog();
}

void zovTaskBarIcon::OnMove(wxTaskBarIconEvent&)
{
    UpdateIcon(false);
}

void zovTaskBarIcon::OnTimer(wxTimerEvent&)
{
    UpdateIcon(false);
}
