#include "TimeSheetPanel.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/colour.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/font.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <vu_utils/vu_shell.h>
#include <zov/zovKernel.h>
#include <zov/zovTimeSheet.h>

#include "SessionDialog.h"
#include "TimeSheetRules.h"
#include "wxEasyGrid.h"
#include "zovLayout.h"
#include "zovTaskBarApp.h"
#include "zovTrayRules.h"

namespace {

const long ID_BUTTON3 = wxNewId();
const long ID_DATEPICKERCTRL1 = wxNewId();
const long ID_BUTTON1 = wxNewId();
const long ID_STATICTEXT1 = wxNewId();
const long ID_GRID1 = wxNewId();
const long ID_BUTTON2 = wxNewId();
const long ID_SPINCTRL1 = wxNewId();
const long ID_SPINCTRL2 = wxNewId();

const wxColour sum_background(192, 192, 192);
const char* const txt_wildcard = "TXT file (*.txt)|*.txt";

// GTK draws a spin control no narrower than its entry and its two buttons
// need; below that it garbles it. The width asked for is kept where it fits.
void set_width(wxWindow* control, int width)
{
    control->SetInitialSize(wxSize(std::max(width, control->GetBestSize().GetWidth()), -1));
}

// The current date and time, from the clock the whole program reads.
wxDateTime now_for_picker()
{
    vu_datetime now;
    now.set_local_time();
    return zovtray::to_picker(now);
}

}  // namespace

TimeSheetPanel::TimeSheetPanel(wxWindow* parent, wxWindowID id, const wxPoint&, const wxSize&,
                               long, const wxString&)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "id")
{
    wxBoxSizer* page = new wxBoxSizer(wxVERTICAL);
    wxBoxSizer* top = new wxBoxSizer(wxHORIZONTAL);

    wxStaticBoxSizer* year_box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Year"));
    m_year_spin = new wxSpinCtrl(year_box->GetStaticBox(), ID_SPINCTRL2, "2013", wxDefaultPosition,
                                 wxDefaultSize, 0, 2000, 2100, 2013, "ID_SPINCTRL2");
    m_year_spin->SetValue(2013);
    set_width(m_year_spin, 80);
    year_box->Add(m_year_spin, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    top->Add(year_box, 0, wxALL | wxEXPAND, 5);

    wxStaticBoxSizer* week_box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Week no."));
    m_week_spin = new wxSpinCtrl(week_box->GetStaticBox(), ID_SPINCTRL1, "1", wxDefaultPosition,
                                 wxDefaultSize, 0, 1, 53, 1, "ID_SPINCTRL1");
    m_week_spin->SetValue(1);
    set_width(m_week_spin, 70);
    week_box->Add(m_week_spin, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    top->Add(week_box, 0, wxTOP | wxBOTTOM | wxEXPAND, 5);

    wxStaticBoxSizer* date_box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Week Of"));
    m_today_button = new wxButton(date_box->GetStaticBox(), ID_BUTTON1, _("Today"),
                                  wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                  "ID_BUTTON1");
    zovlayout::SetWidthAtLeast(m_today_button, 60);
    date_box->Add(m_today_button, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_date_picker = new wxDatePickerCtrl(date_box->GetStaticBox(), ID_DATEPICKERCTRL1,
                                         wxDefaultDateTime, wxDefaultPosition, wxDefaultSize,
                                         wxDP_SHOWCENTURY, wxDefaultValidator,
                                         "ID_DATEPICKERCTRL1");
    date_box->Add(m_date_picker, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    top->Add(date_box, 0, wxALL | wxEXPAND, 5);

    top->AddStretchSpacer(1);

    wxStaticBoxSizer* files_box =
        new wxStaticBoxSizer(wxHORIZONTAL, this, _("Weekly time sheet files"));
    m_archive_button = new wxButton(files_box->GetStaticBox(), ID_BUTTON2, _("Archive..."),
                                    wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                    "ID_BUTTON2");
    files_box->Add(m_archive_button, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_view_button = new wxButton(files_box->GetStaticBox(), ID_BUTTON3, _("View..."),
                                 wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                 "ID_BUTTON3");
    files_box->Add(m_view_button, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    top->Add(files_box, 0, wxALL | wxEXPAND, 5);
    page->Add(top, 0, wxEXPAND, 0);
    for (wxStaticBoxSizer* box : {year_box, week_box, date_box, files_box})
        zovlayout::KeepLabelWhole(box);

    m_hint_text = new wxStaticText(
        this, ID_STATICTEXT1,
        _("Double click row/column labels or cells to make corrections or additions."),
        wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT1");
    page->Add(m_hint_text, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    m_grid = new wxEasyGrid(this, ID_GRID1, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS,
                            "ID_GRID1");
    m_grid->CreateGrid(3, 8, wxGrid::wxGridSelectCells);
    m_grid->EnableEditing(false);
    m_grid->EnableGridLines(true);
    m_grid->SetRowLabelSize(150);
    m_grid->SetDefaultColSize(50, true);
    const char* const days[8] = {wxTRANSLATE("Mon"), wxTRANSLATE("Tue"), wxTRANSLATE("Wed"),
                                 wxTRANSLATE("Thu"), wxTRANSLATE("Fri"), wxTRANSLATE("Sat"),
                                 wxTRANSLATE("Sun"), wxTRANSLATE("Total")};
    for (int col = 0; col < 8; ++col)
        m_grid->SetColLabelValue(col, wxGetTranslation(days[col]));
    m_grid->SetDefaultCellFont(m_grid->GetFont());
    m_grid->SetDefaultCellTextColour(m_grid->GetForegroundColour());
    // The page keeps the grid's first size as its least; a long week scrolls
    // inside the grid rather than pushing the grid out of the page.
    m_grid->SetMinSize(m_grid->GetBestSize());
    page->Add(m_grid, 1, wxALL | wxEXPAND, 5);

    Bind(wxEVT_SPINCTRL, &TimeSheetPanel::OnYearChanged, this, ID_SPINCTRL2);
    Bind(wxEVT_SPINCTRL, &TimeSheetPanel::OnWeekChanged, this, ID_SPINCTRL1);
    Bind(wxEVT_BUTTON, &TimeSheetPanel::OnToday, this, ID_BUTTON1);
    Bind(wxEVT_DATE_CHANGED, &TimeSheetPanel::OnDateChanged, this, ID_DATEPICKERCTRL1);
    Bind(wxEVT_BUTTON, &TimeSheetPanel::OnArchive, this, ID_BUTTON2);
    Bind(wxEVT_BUTTON, &TimeSheetPanel::OnView, this, ID_BUTTON3);
    Bind(wxEVT_GRID_CELL_LEFT_DCLICK, &TimeSheetPanel::OnGridDClick, this, ID_GRID1);
    Bind(wxEVT_GRID_LABEL_LEFT_DCLICK, &TimeSheetPanel::OnGridDClick, this, ID_GRID1);

    SetSizer(page);
    page->Fit(this);
    page->SetSizeHints(this);
    // The grid first in the tab order: opening the page focuses it rather
    // than the year, whose text GTK would select for typing to replace.
    m_grid->MoveBeforeInTabOrder(year_box->GetStaticBox());

    // Filled when first shown, not here.
    m_date_picker->SetValue(now_for_picker());
    SetWeekFrom(m_date_picker->GetValue());
}

TimeSheetPanel::~TimeSheetPanel() = default;

bool TimeSheetPanel::Show(bool show)
{
    if (show)
        FillGrid();
    return wxPanel::Show(show);
}

void TimeSheetPanel::PageShown(bool shown)
{
    if (shown)
        FillGrid();
}

zovChosenWeek TimeSheetPanel::GetChosenWeek() const
{
    return {m_year_spin->GetValue(), m_week_spin->GetValue(), m_date_picker->GetValue()};
}

void TimeSheetPanel::SetChosenWeek(const zovChosenWeek& week)
{
    m_year_spin->SetValue(week.year);
    m_week_spin->SetValue(week.week);
    if (week.date.IsValid())
        m_date_picker->SetValue(week.date);
}

void TimeSheetPanel::SetWeekFrom(const wxDateTime& date)
{
    const zovtray::iso_week week = zovtray::week_of(date);
    m_year_spin->SetValue(week.year);
    m_week_spin->SetValue(week.week);
}

void TimeSheetPanel::FillGrid()
{
    zovKernel* kernel = wxGetApp().GetKernel();
    if (!kernel)
        return;
    // A session the daily log-out should have ended (the computer slept
    // through it) ends there before its hours are counted.
    if (wxGetApp().CheckAutoLogout())
        wxGetApp().RefreshIcon();
    zovTimeSheet sheet(m_week_spin->GetValue(), m_year_spin->GetValue());
    kernel->tsheet(sheet);
    const std::vector<zovtray::sheet_row> rows = zovtray::sheet_rows(sheet);

    m_grid->DeleteAllRows();
    m_grid->EnableEditing(false);
    m_grid->SetRowLabelAlignment(wxALIGN_LEFT, wxALIGN_CENTRE);
    if (!rows.empty()) {
        wxFont bold = m_grid->GetDefaultCellFont();
        bold.SetWeight(wxFONTWEIGHT_BOLD);
        const int total_row = static_cast<int>(rows.size()) - 1;
        m_grid->InsertRows(0, static_cast<int>(rows.size()));
        for (int row = 0; row <= total_row; ++row) {
            const zovtray::sheet_row& cells = rows[static_cast<std::size_t>(row)];
            m_grid->SetRowLabelValue(row, cells.label);
            for (int col = 0; col < 8; ++col) {
                const bool sum = col == 7 || row == total_row;
                if (sum)
                    m_grid->SetCellBackgroundColour(row, col, sum_background);
                if (cells.cells[col].empty())
                    continue;
                if (sum)
                    m_grid->SetCellFont(row, col, bold);
                m_grid->SetCellValue(row, col, cells.cells[col]);
            }
        }
    }
    Layout();
    // A busy week: the dialog grows so that the "Total" row shows.
    zovlayout::GrowToShow(m_grid);
}

void TimeSheetPanel::EditSession(int row, int col)
{
    const zovtray::correction_preset preset =
        zovtray::correction_for(m_year_spin->GetValue(), m_week_spin->GetValue(),
                                m_grid->GetNumberRows(), row, col);
    SessionDialog dialog(this, -1, wxDefaultPosition, wxDefaultSize);
    dialog.SetDate(preset.date);
    if (preset.with_task)
        dialog.SetTask(m_grid->GetRowLabelValue(row));
    if (dialog.ShowModal() == wxID_OK)
        FillGrid();
}

wxString TimeSheetPanel::ChosenPath(const wxFileDialog& dialog)
{
    const wxString path = dialog.GetPath();
    if (!path.empty())
        return path;
    // GTK knows the path only once its own window was accepted; a dialog
    // answered without showing it (a modal hook) keeps folder and name.
    return wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath();
}

void TimeSheetPanel::OnYearChanged(wxSpinEvent&)
{
    m_date_picker->SetValue(
        zovtray::same_day_in_year(m_date_picker->GetValue(), m_year_spin->GetValue()));
    FillGrid();
}

void TimeSheetPanel::OnWeekChanged(wxSpinEvent&)
{
    m_date_picker->SetValue(zovtray::to_picker(
        zovtray::week_monday(m_year_spin->GetValue(), m_week_spin->GetValue())));
    FillGrid();
}

void TimeSheetPanel::OnToday(wxCommandEvent&)
{
    m_date_picker->SetValue(now_for_picker());
    SetWeekFrom(m_date_picker->GetValue());
    FillGrid();
}

void TimeSheetPanel::OnDateChanged(wxDateEvent&)
{
    SetWeekFrom(m_date_picker->GetValue());
    FillGrid();
}

void TimeSheetPanel::OnArchive(wxCommandEvent&)
{
    zovKernel* kernel = wxGetApp().GetKernel();
    const int week = m_week_spin->GetValue();
    const int year = m_year_spin->GetValue();
    const wxString folder = zovtray::archive_folder(zovtray::from_bytes(kernel->dir()), year);
    MakeDirs(folder);
    wxFileDialog dialog(this, "Archive Time Sheet", folder, zovtray::archive_file_name(year, week),
                        txt_wildcard, wxFD_SAVE | wxFD_OVERWRITE_PROMPT, wxDefaultPosition,
                        wxDefaultSize, "filedlg");
    if (dialog.ShowModal() != wxID_OK)
        return;
    const wxString path = ChosenPath(dialog);
    if (!zovtray::write_time_sheet(*kernel, path, week, year))
        wxMessageBox(zovtray::archive_failed_message(path), "Archive Time Sheet",
                     wxOK | wxICON_ERROR | wxCENTRE, nullptr);
}

void TimeSheetPanel::OnView(wxCommandEvent&)
{
    zovKernel* kernel = wxGetApp().GetKernel();
    const int week = m_week_spin->GetValue();
    const int year = m_year_spin->GetValue();
    const wxString folder = zovtray::archive_folder(zovtray::from_bytes(kernel->dir()), year);
    wxFileDialog dialog(this, "Open archived Time Sheet", folder,
                        zovtray::archive_file_name(year, week), txt_wildcard, wxFD_OPEN,
                        wxDefaultPosition, wxDefaultSize, "filedlg");
    if (dialog.ShowModal() != wxID_OK)
        return;
    const wxString path = ChosenPath(dialog);
    if (!vu_shell::open_file(static_cast<const char*>(path.fn_str()), "open"))
        wxMessageBox(zovtray::open_failed_message("xdg-open", path), "Open archived Time Sheet",
                     wxOK | wxICON_ERROR | wxCENTRE, nullptr);
}

void TimeSheetPanel::OnGridDClick(wxGridEvent& event)
{
    EditSession(event.GetRow(), event.GetCol());
}
