// Asks where a scanned or stored job goes: a save dialog ("Save Scan") whose
// file types are the formats on offer, opened in the last folder a job was
// saved to.
//
// A chosen path of 256 UTF-8 bytes or more is refused ("Invalid file"); a
// folder without write access is refused with the access message, and the
// dialog comes back in that folder. An accepted folder becomes the last
// job-save folder of the settings.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <wx/string.h>

#include "VEQAppPluginExport.h"
#include "VEQTypes.h"

class VEQAPPPLUGIN_API ScanSaveDirChooser {
public:
    using FilterRow = std::pair<VEQTypes::FileFormat, wxString>;

    // The user's side of the chooser; the dialogs by default, replaced in tests.
    struct Prompts {
        // Shows the save dialog; false when cancelled, else path and the
        // chosen filter index are filled in.
        std::function<bool(const wxString& folder, const wxString& name, const wxString& wildcard,
                           int filterIndex, wxString& path, int& chosenFilterIndex)>
            m_askFile;
        std::function<void(const wxString& text, const wxString& caption, long style)> m_showMessage;
    };
    static Prompts DialogPrompts();
    // Process-wide; empty functions restore the dialogs.
    static void SetPrompts(const Prompts& prompts);

    ScanSaveDirChooser(const std::vector<VEQTypes::FileFormat>& formats,
                       VEQTypes::FileFormat defaultFormat);

    void Initialize();
    // False when the user cancels.
    bool Launch(const wxString& fileName);
    // The offered rows' texts joined with "|".
    wxString GetFilterString();
    VEQTypes::FileFormat GetFilterType() const;
    wxString GetDir() const;
    int GetDefaultIndex() const { return m_defaultIndex; }

private:
    std::vector<FilterRow> m_allRows;
    std::vector<FilterRow> m_offeredRows;
    int m_defaultIndex;
    VEQTypes::FileFormat m_filterType;
    wxString m_path;
};
