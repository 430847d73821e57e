// Modal dialogs in tests without a user: while an AnsweredDialogs lives, every
// dialog that is about to be shown modally (the toolkit's file, folder and
// message dialogs included) is noted with the title its window would carry
// and its text, and is answered at once with the given answer instead.
#pragma once

#include <vector>

#include <wx/dialog.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

namespace veqfake {

class AnsweredDialogs : public wxModalDialogHook {
public:
    struct Dialog {
        wxString title;
        wxString text;  // a message dialog's message
    };

    explicit AnsweredDialogs(int answer = wxID_CANCEL) : m_answer(answer) { Register(); }
    ~AnsweredDialogs() override { Unregister(); }
    AnsweredDialogs(const AnsweredDialogs&) = delete;
    AnsweredDialogs& operator=(const AnsweredDialogs&) = delete;

    std::vector<Dialog> shown;

protected:
    int Enter(wxDialog* dialog) override {
        shown.push_back(Describe(dialog));
        return m_answer;
    }

private:
    // The native file and folder choosers take their window title from their
    // message; a message dialog's window title is its caption.
    static Dialog Describe(wxDialog* dialog) {
        if (auto* file = wxDynamicCast(dialog, wxFileDialog)) {
            return {file->GetMessage(), wxString()};
        }
        if (auto* folder = wxDynamicCast(dialog, wxDirDialog)) {
            return {folder->GetMessage(), wxString()};
        }
        if (auto* message = wxDynamicCast(dialog, wxMessageDialog)) {
            return {message->GetCaption(), message->GetMessage()};
        }
        return {dialog->GetTitle(), wxString()};
    }

    int m_answer;
};

}  // namespace veqfake
