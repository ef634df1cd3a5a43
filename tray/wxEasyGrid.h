#pragma once
// The time-sheet grid: the toolkit's grid with a right-click menu whose
// "Copy" and "Paste" move cells to and from the clipboard as tab-separated
// text, scrolling by single pixels, and deletion of all rows. It knows
// nothing of tasks or time sheets; the page fills it.

#include <wx/grid.h>

class wxMenu;

class wxEasyGrid : public wxGrid
{
public:
    wxEasyGrid(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxDefaultSize, long style = wxWANTS_CHARS,
               const wxString& name = wxGridNameStr);
    ~wxEasyGrid() override;

    void DeleteAllRows();

    // The right-click menu, owned by the caller: "Copy" always, "Paste" only
    // while a cell editor could open (editing on, a current cell, not read-only).
    wxMenu* CreateContextMenu() const;
    // The selected cells as the clipboard gets them.
    wxString SelectionText() const;
    // Sets cells from the text, starting at the current cell.
    void PasteText(const wxString& text);

private:
    void OnCopy(wxCommandEvent& event);
    void OnPaste(wxCommandEvent& event);
    void OnCellRightClick(wxGridEvent& event);

    wxDECLARE_CLASS(wxEasyGrid);
    wxDECLARE_EVENT_TABLE();
};
