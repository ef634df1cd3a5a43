#pragma once
// The dialog's notebook. Tells its pages when they come to the front or go
// back: GTK switches pages without calling Show on them, unlike the
// toolkit's other ports, and the pages start and stop their work on it.

#include <memory>

#include <wx/notebook.h>

struct zovChosenWeek;

// A page that reacts to being brought to the front (true) or sent back (false).
class wxNotebookAutoPage
{
public:
    virtual void PageShown(bool shown) = 0;

protected:
    wxNotebookAutoPage() = default;
    wxNotebookAutoPage(const wxNotebookAutoPage&) = default;
    wxNotebookAutoPage& operator=(const wxNotebookAutoPage&) = default;
    ~wxNotebookAutoPage() = default;
};

class wxNotebookAuto : public wxNotebook
{
public:
    wxNotebookAuto(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize, long style = 0,
                   const wxString& name = wxNotebookNameStr);
    ~wxNotebookAuto() override;

private:
    void OnPageChanged(wxBookCtrlEvent& event);

    // The week of the week page left last, for the next one shown.
    std::unique_ptr<zovChosenWeek> m_week;
};
