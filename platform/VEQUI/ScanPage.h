// The scan settings of the connected scanner, one choice per setting, and
// the button that starts a scan.
#pragma once

#include <functional>

#include <wx/panel.h>

#include "ScanSettings.h"

class wxButton;
class wxChoice;
class wxStaticText;

class ScanPage : public wxPanel {
public:
    explicit ScanPage(wxWindow* parent);

    void SetOptions(const ScanSettingOptions& options);
    void Clear();
    ScanSettingSelection GetSelection() const;
    const ScanSettingOptions& GetOptions() const { return m_options; }
    // Why scans are not possible; empty when they are.
    void SetNotice(const wxString& text);
    void EnableScan(bool enable);

    std::function<void()> m_onScan;

private:
    static void Fill(wxChoice* choice, const std::vector<ScannerAttribute>& values, size_t selected);

    ScanSettingOptions m_options;
    wxChoice* m_source;
    wxChoice* m_pageSize;
    wxChoice* m_resolution;
    wxChoice* m_sides;
    wxChoice* m_colorMode;
    wxChoice* m_orientation;
    wxStaticText* m_notice;
    wxButton* m_scanButton;
};
