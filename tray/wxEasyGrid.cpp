#include "wxEasyGrid.h"

#include <memory>

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/menu.h>

#include "TimeSheetRules.h"

wxIMPLEMENT_CLASS(wxEasyGrid, wxGrid);

// The menu's commands reach the grid because the menu pops up on the grid.
wxBEGIN_EVENT_TABLE(wxEasyGrid, wxGrid)
    EVT_MENU(wxID_COPY, wxEasyGrid::OnCopy)
    EVT_MENU(wxID_PASTE, wxEasyGrid::OnPaste)
    EVT_GRID_CELL_RIGHT_CLICK(wxEasyGrid::OnCellRightClick)
wxEND_EVENT_TABLE()

wxEasyGrid::wxEasyGrid(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                       long style, const wxString& name)
    : wxGrid(parent, id, pos, size, style, name)
{
    SetScrollLineX(1);
    SetScrollLineY(1);
    SetDefaultCellAlignment(wxALIGN_RIGHT, wxALIGN_BOTTOM);
}

wxEasyGrid::~wxEasyGrid() = default;

void wxEasyGrid::DeleteAllRows()
{
    if (GetNumberRows() > 0)
        DeleteRows(0, GetNumberRows(), true);
}

wxMenu* wxEasyGrid::CreateContextMenu() const
{
    wxMenu* menu = new wxMenu;
    menu->Append(wxID_COPY, _("Copy"), wxEmptyString);
    menu->Append(wxID_PASTE, _("Paste"), wxEmptyString);
    menu->Enable(wxID_PASTE, CanEnableCellControl());
    return menu;
}

wxString wxEasyGrid::SelectionText() const
{
    return zovtray::selection_text(
        GetNumberRows(), GetNumberCols(), [this](int row, int col) { return IsInSelection(row, col); },
        [this](int row, int col) { return GetCellValue(row, col); });
}

void wxEasyGrid::PasteText(const wxString& text)
{
    for (const zovtray::pasted_cell& cell : zovtray::paste_cells(
             text, GetGridCursorRow(), GetGridCursorCol(), GetNumberRows(), GetNumberCols()))
        SetCellValue(cell.row, cell.col, cell.value);
}

void wxEasyGrid::OnCellRightClick(wxGridEvent& event)
{
    std::unique_ptr<wxMenu> menu(CreateContextMenu());
    PopupMenu(menu.get(), event.GetPosition());
}

void wxEasyGrid::OnCopy(wxCommandEvent&)
{
    const wxString text = SelectionText();
    if (wxTheClipboard->Open()) {
        wxTheClipboard->SetData(new wxTextDataObject(text));
        wxTheClipboard->Close();
    }
}

void wxEasyGrid::OnPaste(wxCommandEvent&)
{
    wxString text;
    if (wxTheClipboard->Open()) {
        wxTextDataObject data;
        if (wxTheClipboard->IsSupported(data.GetFormat()) && wxTheClipboard->GetData(data))
            text = data.GetText();
        wxTheClipboard->Close();
    }
    PasteText(text);
}
