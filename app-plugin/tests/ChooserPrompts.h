// Scripted answers for the save chooser's dialogs, recording what was asked.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ScanSaveDirChooser.h"

struct AskedFile {
    wxString folder;
    wxString name;
    wxString wildcard;
    int filterIndex;
};

struct ShownMessage {
    wxString text;
    wxString caption;
    long style;
};

// An answer to the save dialog: a path and filter index, or a cancel.
struct FileAnswer {
    bool chosen;
    wxString path;
    int filterIndex;
};

class ScriptedPrompts {
public:
    explicit ScriptedPrompts(std::deque<FileAnswer> answers) : m_answers(std::move(answers)) {
        ScanSaveDirChooser::Prompts prompts;
        prompts.m_askFile = [this](const wxString& folder, const wxString& name, const wxString& wildcard,
                                   int filterIndex, wxString& path, int& chosenIndex) {
            m_asked.push_back({folder, name, wildcard, filterIndex});
            if (m_answers.empty()) {
                return false;
            }
            const FileAnswer answer = m_answers.front();
            m_answers.pop_front();
            path = answer.path;
            chosenIndex = answer.filterIndex;
            return answer.chosen;
        };
        prompts.m_showMessage = [this](const wxString& text, const wxString& caption, long style) {
            m_messages.push_back({text, caption, style});
        };
        ScanSaveDirChooser::SetPrompts(prompts);
    }
    ~ScriptedPrompts() { ScanSaveDirChooser::SetPrompts(ScanSaveDirChooser::Prompts()); }

    std::deque<FileAnswer> m_answers;
    std::vector<AskedFile> m_asked;
    std::vector<ShownMessage> m_messages;
};
