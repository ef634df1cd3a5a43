#include "wxNotebookAuto.h"

#include "zovWeekControls.h"

wxNotebookAuto::wxNotebookAuto(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                               const wxSize& size, long style, const wxString& name)
    : wxNotebook(parent, id, pos, size, style, name)
{
    Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &wxNotebookAuto::OnPageChanged, this, GetId());
}

wxNotebookAuto::~wxNotebookAuto() = default;

void wxNotebookAuto::OnPageChanged(wxBookCtrlEvent& event)
{
    event.Skip();  // the toolkit's own page change goes on as usual
    if (event.GetEventObject() != this)
        return;  // a notebook inside a page
    const int old_page = event.GetOldSelection();
    const int new_page = event.GetSelection();
    const int pages = static_cast<int>(GetPageCount());
    if (old_page != wxNOT_FOUND && old_page != new_page && old_page < pages)
        if (auto* page = dynamic_cast<wxNotebookAutoPage*>(GetPage(old_page)))
            page->PageShown(false);
    // Pages that show a week show the same one: the week chosen on the page
    // left last goes with the user, across other pages too.
    if (old_page != wxNOT_FOUND && old_page != new_page && old_page < pages)
        if (auto* from = dynamic_cast<zovWeekPage*>(GetPage(old_page)))
            m_week = std::make_unique<zovChosenWeek>(from->GetChosenWeek());
    if (m_week && new_page != wxNOT_FOUND && new_page != old_page)
        if (auto* to = dynamic_cast<zovWeekPage*>(GetPage(new_page)))
            to->SetChosenWeek(*m_week);
    if (new_page != wxNOT_FOUND && new_page != old_page)
        if (auto* page = dynamic_cast<wxNotebookAutoPage*>(GetPage(new_page)))
            page->PageShown(true);
}
