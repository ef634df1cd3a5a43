#include "zovTrayMenu.h"

#include <algorithm>

#include <wx/intl.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>

#include <zov/zovKernel.h>
#include <zov/zovUndo.h>

#include "CurrentTaskPanel.h"
#include "zovTaskBarApp.h"
#include "zovTaskBarDialog.h"
#include "zovTaskBarIcon.h"
#include "zovTrayRules.h"

namespace zovtray {

wxString menu_status(const zovCurrent& current, const vu_datetime& now)
{
    return current.active() ? tooltip_text(current, now) : wxString("Sleeping");
}

tray_menu make_tray_menu(const zovCurrent& current, const zovSinkHours& recent,
                         const vu_datetime& now)
{
    tray_menu menu;
    menu.status = menu_status(current, now);
    for (const std::string& task : recent_tasks(recent)) {
        if (menu.tasks.size() == switch_to_count)
            break;
        // Switching to the running task would change nothing.
        if (current.active() && task == current.task())
            continue;
        menu.tasks.push_back(task);
    }
    return menu;
}

wxString undo_label(const std::string& what)
{
    wxString label = what.empty() ? wxString("Undo") : "Undo " + from_bytes(what);
    label.Replace("&", "&&");
    return label;
}

}  // namespace zovtray

const wxString zovTrayMenu::label_open = "&Open ZOV";
const wxString zovTrayMenu::label_switch = "&Switch to";
const wxString zovTrayMenu::label_exit = "E&xit";

const long zovTrayMenu::ID_MENU_STATUS = wxNewId();
const long zovTrayMenu::ID_MENU_SWITCH = wxNewId();
const long zovTrayMenu::ID_MENU_UNDO = wxNewId();

const std::vector<long>& zovTrayMenu::TaskIds()
{
    static const std::vector<long> ids = [] {
        std::vector<long> made;
        for (std::size_t i = 0; i < zovtray::switch_to_count; ++i)
            made.push_back(wxNewId());
        return made;
    }();
    return ids;
}

zovtray::tray_menu zovTrayMenu::Read()
{
    zovKernel* kernel = wxGetApp().GetKernel();
    if (!kernel)
        return {};
    vu_datetime now;
    now.set_local_time();
    const zovtray::day_range range = zovtray::recent_range(now);
    const zovSnapshot snap = kernel->snapshot(range.lo, range.hi);
    zovtray::tray_menu menu = zovtray::make_tray_menu(snap.current, snap.hours, snap.now);
    menu.undo = kernel->undo_what();
    return menu;
}

void zovTrayMenu::Open()
{
    wxGetApp().ShowDialog(true);
}

void zovTrayMenu::SwitchTo(const std::string& task)
{
    zovTaskBarApp& app = wxGetApp();
    zovKernel* kernel = app.GetKernel();
    if (!kernel)
        return;
    if (!kernel->next(task)) {
        const wxString text = zovKernel::is_valid_task_name(task)
                                  ? zovtray::write_failed_message(zovtray::from_bytes(kernel->dir()))
                                  : zovtray::bad_name_message(zovtray::from_bytes(task));
        wxMessageBox(text, _("Error"), wxOK | wxICON_ERROR | wxCENTRE, nullptr);
    }
    // The dialog, when open on the current task, shows the switch at once.
    zovTaskBarDialog* dialog = app.GetDialog();
    if (dialog && dialog->IsShown() && dialog->GetCurrentPage()
        && dialog->GetCurrentPage()->IsShown())
        dialog->GetCurrentPage()->RefreshAll();
    else
        app.RefreshIcon();
}

void zovTrayMenu::Undo()
{
    zovTaskBarApp& app = wxGetApp();
    zovKernel* kernel = app.GetKernel();
    if (!kernel)
        return;
    zovUndoPlan plan;
    if (!kernel->undo(false, plan)) {
        const wxString text = !kernel->message().empty()
                                  ? zovtray::from_bytes(kernel->message())
                                  : zovtray::write_failed_message(zovtray::from_bytes(kernel->dir()));
        wxMessageBox(text, _("Undo"), wxOK | wxICON_ERROR | wxCENTRE, nullptr);
    }
    zovTaskBarDialog* dialog = app.GetDialog();
    if (dialog && dialog->IsShown() && dialog->GetCurrentPage()
        && dialog->GetCurrentPage()->IsShown())
        dialog->GetCurrentPage()->RefreshAll();
    else
        app.RefreshIcon();
}

void zovTrayMenu::Exit()
{
    wxGetApp().Exit();
}

wxMenu* zovTrayMenu::MakeMenu(const zovtray::tray_menu& menu)
{
    wxMenu* popup = new wxMenu;
    popup->Append(ID_MENU_STATUS, menu.status, wxEmptyString)->Enable(false);
    popup->Append(zovTaskBarIcon::ID_MENU_OPEN, _(label_open), wxEmptyString);
    wxMenu* tasks = new wxMenu;
    const std::vector<long>& ids = TaskIds();
    for (std::size_t i = 0; i < menu.tasks.size() && i < ids.size(); ++i) {
        // "&" in a task name is a character, not a mnemonic.
        wxString label = zovtray::from_bytes(menu.tasks[i]);
        label.Replace("&", "&&");
        tasks->Append(ids[i], label, wxEmptyString);
    }
    popup->Append(ID_MENU_SWITCH, _(label_switch), tasks, wxEmptyString)
        ->Enable(!menu.tasks.empty());
    popup->Append(ID_MENU_UNDO, zovtray::undo_label(menu.undo), wxEmptyString)->Enable(!menu.undo.empty());
    popup->AppendSeparator();
    popup->Append(zovTaskBarIcon::ID_MENU_EXIT, _(label_exit), wxEmptyString);
    return popup;
}
