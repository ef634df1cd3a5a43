#pragma once
// The main dialog: a notebook with the pages "Current Task", "Time Sheet"
// and "Options". Closing it only hides it.

#include <wx/dialog.h>

class CurrentTaskPanel;
class OptionsPanel;
class TimeSheetPanel;
class TimelinePanel;
class wxNotebookAuto;

class zovTaskBarDialog : public wxDialog
{
public:
    zovTaskBarDialog(wxWindow* parent, wxWindowID id);
    // Keeps the size of a dialog still shown at exit.
    ~zovTaskBarDialog() override;

    // Hiding keeps the size the user gave the dialog in the settings.
    bool Show(bool show = true) override;

    // Lets the selected page react to being shown (or hidden) with the dialog.
    void ShowCurrentPage(bool show);

    wxNotebookAuto* GetNotebook() const { return m_notebook; }
    CurrentTaskPanel* GetCurrentPage() const { return m_current_page; }

    static const long ID_NOTEBOOK1;
    static const long ID_PANEL1;
    static const long ID_PANEL2;
    static const long ID_PANEL3;
    static const long ID_PANEL4;

    // "ZOV - Zovaro - V1.0-02 - " and the host name.
    static wxString Title(const wxString& host);

private:
    void OnClose(wxCloseEvent& event);
    // The size kept in the settings, or the fitted one when none is kept.
    void RestoreSize();
    void RememberSize();

    wxNotebookAuto* m_notebook;
    TimeSheetPanel* m_time_sheet_page;
    TimelinePanel* m_timeline_page;
    OptionsPanel* m_options_page;
    CurrentTaskPanel* m_current_page;
};
