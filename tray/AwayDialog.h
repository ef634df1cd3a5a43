#pragma once
// The question on return: "You were away from 12:03 to 13:10 (1:07) while
// "K" was running." with three answers. One window at a time: a second
// absence before the answer widens the open question. Closing it answers
// nothing and changes nothing.

#include <wx/dialog.h>

#include <vu_utils/vu_datetime.h>

#include "zovAwayTexts.h"

class wxButton;
class wxCloseEvent;
class wxComboBox;
class wxCommandEvent;
class wxStaticText;

class AwayDialog : public wxDialog
{
public:
    ~AwayDialog() override;

    // An absence is over: asks about it (brought to the front), or widens
    // the open question, or does nothing when there is nothing to ask.
    static void Notice(const vu_datetime& left, const vu_datetime& back);
    // The window on screen, or null.
    static AwayDialog* Open() { return s_open; }
    // At exit: the question goes unanswered; the next run starts afresh.
    static void CloseOpen();

    const zovtray::away_question& Question() const { return m_question; }

    // The three answers; each closes the window when it went through.
    void Keep();
    bool LogOut();
    bool Book();

    wxStaticText* GetText() const { return m_text; }
    wxButton* GetKeepButton() const { return m_keep; }
    wxButton* GetLogOutButton() const { return m_log_out; }
    wxComboBox* GetTaskBox() const { return m_task; }
    wxButton* GetBookButton() const { return m_book; }

    static const long ID_STATICTEXT1;
    static const long ID_BUTTON1;
    static const long ID_BUTTON2;
    static const long ID_COMBOBOX1;
    static const long ID_BUTTON3;

private:
    AwayDialog(const zovtray::away_question& question, const vu_datetime& back);
    void ShowQuestion();
    void BringToFront();
    // After an answer: the icon and the page show the new state at once.
    void Answered();

    void OnKeep(wxCommandEvent& event);
    void OnLogOut(wxCommandEvent& event);
    void OnBook(wxCommandEvent& event);
    void OnTaskText(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);

    // Marks the time asked about as settled, answered or not.
    void Settle();

    static AwayDialog* s_open;
    // The end of the last absence asked about: the same absence told again
    // by another source (the idle time after an unlock) is not asked twice.
    static vu_datetime s_settled;

    zovtray::away_question m_question;
    vu_datetime m_back;  // the latest return, also past a daily log-out
    wxStaticText* m_text;
    wxButton* m_keep;
    wxButton* m_log_out;
    wxComboBox* m_task;
    wxButton* m_book;
};
