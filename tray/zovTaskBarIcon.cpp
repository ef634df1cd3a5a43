#include "zovTaskBarIcon.h"

#include <wx/menu.h>
#include <wx/msgdlg.h>

#include <zov/zovKernel.h>

#include "CurrentTaskPanel.h"
#include "zovPictures.h"
#include "zovStatusNotifierItem.h"
#include "zovTaskBarApp.h"
#include "zovTrayMenu.h"
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

zovTaskBarIcon::zovTaskBarIcon(zovtray::tray_backend backend, _GDBusConnection* bus)
    : m_backend(backend)
{
    if (m_backend == zovtray::tray_backend::status_notifier) {
        if (bus)
            m_item = std::make_unique<zovStatusNotifierItem>(bus, [] { wxGetApp().TrayLost(); });
        else
            m_backend = zovtray::tray_backend::window;
    }
    for (const long id : zovTrayMenu::TaskIds())
        Bind(wxEVT_MENU, &zovTaskBarIcon::OnMenuTask, this, static_cast<int>(id));
    Bind(wxEVT_MENU, [](wxCommandEvent&) { zovTrayMenu::Undo(); }, static_cast<int>(zovTrayMenu::ID_MENU_UNDO));
    m_last_update.set_local_time();
    UpdateIcon(true);
    m_timer.SetOwner(this, ID_ICON_TIMER);
    m_timer.Start(60000, wxTIMER_CONTINUOUS);
}

zovTaskBarIcon::~zovTaskBarIcon()
{
    m_timer.Stop();
    m_item.reset();
    RemoveIcon();
}

void zovTaskBarIcon::UseItem(_GDBusConnection* bus)
{
    if (m_item || !bus)
        return;
    m_item = std::make_unique<zovStatusNotifierItem>(bus, [] { wxGetApp().TrayLost(); });
    m_backend = zovtray::tray_backend::status_notifier;
    UpdateIcon(true);
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
    switch (m_backend) {
    case zovtray::tray_backend::xembed: {
        const wxIcon picture =
            zovPictureIcon(m_working ? zovPicture::working : zovPicture::sleeping);
        if (SetIcon(picture, m_tooltip))
            m_last_update = now;
        else
            wxMessageBox("Could not set new icon.", "Message", wxOK | wxCENTRE, nullptr);
        break;
    }
    case zovtray::tray_backend::status_notifier: {
        // The recent tasks change only with the state or through a forced
        // update (a switch, a correction): the minute's tick renews only the
        // running line instead of reading the whole log again.
        const std::string state = current.task() + (m_working ? " ACTIVE" : " INACTIVE");
        zovtray::tray_menu menu;
        if (force || state != m_item_state) {
            menu = zovTrayMenu::Read();
            m_item_state = state;
        }
        else {
            menu = m_item->Menu();
            menu.status = zovtray::menu_status(current, now);
        }
        // The same update signals the panel: NewIcon, NewToolTip, a new menu.
        m_item->Update(m_working, m_tooltip, menu);
        m_last_update = now;
        break;
    }
    case zovtray::tray_backend::window:
        m_last_update = now;
        break;
    }
    // The page, when shown, says the same as the icon at once.
    if (logged_out)
        CurrentTaskPanel::RefreshStatusIfShown();
}

wxMenu* zovTaskBarIcon::CreatePopupMenu()
{
    const zovtray::tray_menu menu = zovTrayMenu::Read();
    m_menu_tasks = menu.tasks;
    return zovTrayMenu::MakeMenu(menu);
}

void zovTaskBarIcon::OnMenuTask(wxCommandEvent& event)
{
    const std::vector<long>& ids = zovTrayMenu::TaskIds();
    for (std::size_t i = 0; i < ids.size() && i < m_menu_tasks.size(); ++i)
        if (ids[i] == event.GetId())
            zovTrayMenu::SwitchTo(m_menu_tasks[i]);
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
