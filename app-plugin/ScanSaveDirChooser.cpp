#include "ScanSaveDirChooser.h"

#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>

#include "VEQConfig.h"
#include "VEQDataSource.h"
#include "VEQUIUtil.h"

namespace {

// The longest path, in UTF-8 bytes, that a job may be saved to, plus one.
constexpr size_t kPathLimitBytes = 256;

ScanSaveDirChooser::Prompts& CurrentPrompts() {
    static ScanSaveDirChooser::Prompts prompts = ScanSaveDirChooser::DialogPrompts();
    return prompts;
}

}  // namespace

ScanSaveDirChooser::Prompts ScanSaveDirChooser::DialogPrompts() {
    Prompts prompts;
    prompts.m_askFile = [](const wxString& folder, const wxString& name, const wxString& wildcard,
                           int filterIndex, wxString& path, int& chosenFilterIndex) {
        wxFileDialog dialog(nullptr, _("Save Scan"), folder, name, wildcard, wxFD_SAVE | wxFD_OVERWRITE_PROMPT,
                            wxDefaultPosition, wxDefaultSize);
        dialog.SetFilterIndex(filterIndex);
        if (dialog.ShowModal() == wxID_CANCEL) {
            return false;
        }
        path = dialog.GetPath();
        chosenFilterIndex = dialog.GetFilterIndex();
        return true;
    };
    prompts.m_showMessage = [](const wxString& text, const wxString& caption, long style) {
        wxMessageBox(text, caption, style, nullptr);
    };
    return prompts;
}

void ScanSaveDirChooser::SetPrompts(const Prompts& prompts) {
    const Prompts dialogs = DialogPrompts();
    CurrentPrompts().m_askFile = prompts.m_askFile ? prompts.m_askFile : dialogs.m_askFile;
    CurrentPrompts().m_showMessage = prompts.m_showMessage ? prompts.m_showMessage : dialogs.m_showMessage;
}

ScanSaveDirChooser::ScanSaveDirChooser(const std::vector<VEQTypes::FileFormat>& formats,
                                       VEQTypes::FileFormat defaultFormat)
    : m_defaultIndex(0), m_filterType(VEQTypes::PDF) {
    Initialize();
    for (VEQTypes::FileFormat format : formats) {
        for (const FilterRow& row : m_allRows) {
            if (row.first != format) {
                continue;
            }
            m_offeredRows.push_back(row);
            if (format == defaultFormat) {
                m_defaultIndex = static_cast<int>(m_offeredRows.size()) - 1;
            }
            break;
        }
    }
    if (!m_offeredRows.empty()) {
        m_filterType = m_offeredRows.front().first;
    }
}

void ScanSaveDirChooser::Initialize() {
    m_allRows = {
        {VEQTypes::PDF, _("PDF") + "|*.pdf"},
        {VEQTypes::TIFF, _("TIFF") + "|*.tif;*.tiff"},
        {VEQTypes::JPEG, _("JPEG") + "|*.jpg;*.jpeg"},
        {VEQTypes::XPS, _("XPS") + "|*.xps"},
        {VEQTypes::RAW, _("RAW") + "|*.raw"},
        {VEQTypes::BMP, _("BMP") + "|*.bmp"},
        {VEQTypes::COMPACT_PDF, _("COMPACT_PDF") + "|*.pdf"},
        {VEQTypes::COMPACT_XPS, _("COMPACT_XPS") + "|*.xps"},
    };
    m_filterType = VEQTypes::PDF;
}

wxString ScanSaveDirChooser::GetFilterString() {
    wxString filter;
    for (size_t i = 0; i < m_offeredRows.size(); ++i) {
        if (i > 0) {
            filter += "|";
        }
        filter += m_offeredRows[i].second;
    }
    return filter;
}

VEQTypes::FileFormat ScanSaveDirChooser::GetFilterType() const {
    return m_filterType;
}

wxString ScanSaveDirChooser::GetDir() const {
    return m_path;
}

bool ScanSaveDirChooser::Launch(const wxString& fileName) {
    std::shared_ptr<VEQConfig> config = VEQDataSource::Get().GetConfig();
    wxString folder = config ? config->GetLastSaveJobPath() : wxString();
    if (folder.empty() || !wxDirExists(folder)) {
        folder.clear();
    }
    wxString name = fileName.empty() ? _("Untitled") : fileName;
    const Prompts& prompts = CurrentPrompts();
    for (;;) {
        wxString path;
        int chosenIndex = m_defaultIndex;
        if (!prompts.m_askFile(folder, name, GetFilterString(), m_defaultIndex, path, chosenIndex)) {
            return false;
        }
        if (path.utf8_str().length() >= kPathLimitBytes) {
            prompts.m_showMessage(_("Invalid file"), VEQUIUtil::GetAppName(), wxOK | wxICON_ERROR);
            continue;
        }
        m_path = path;
        const wxFileName chosen(path);
        const wxString chosenFolder = chosen.GetPath(wxPATH_GET_VOLUME);
        if (wxFileName::IsDirWritable(chosenFolder)) {
            if (config) {
                config->SetLastSaveJobPath(chosenFolder);
            }
            if (chosenIndex >= 0 && static_cast<size_t>(chosenIndex) < m_offeredRows.size()) {
                m_filterType = m_offeredRows[static_cast<size_t>(chosenIndex)].first;
            }
            return true;
        }
        folder = chosenFolder;
        if (fileName.empty()) {
            name = chosen.GetFullName();
        }
        prompts.m_showMessage(_("Please check this folder can be accessed and that you have read/write access."),
                              VEQUIUtil::GetAppName(), wxOK | wxICON_WARNING);
    }
}
