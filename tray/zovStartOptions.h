#pragma once
// The part of the "Options" page about the program itself: "Start ZOV when
// I log in", and, where there is no tray to end the program from, "Exit".

#include <wx/panel.h>

class wxButton;
class wxCheckBox;
class wxCommandEvent;

class zovStartOptions : public wxPanel
{
public:
    explicit zovStartOptions(wxWindow* parent);

    // The box shows whether the autostart entry exists.
    void LoadState();

    wxCheckBox* GetAutostartBox() const { return m_autostart; }
    // Shown only while the program runs without a tray.
    wxButton* GetExitButton() const { return m_exit; }
    // The tray went away: the program ends from here now.
    void ShowExitButton();

    static const long ID_CHECKBOX_AUTOSTART;
    static const long ID_BUTTON_EXIT;

private:
    void OnAutostartClicked(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);

    wxCheckBox* m_autostart;
    wxButton* m_exit;
};
