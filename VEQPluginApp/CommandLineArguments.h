// The key=value options VEQPluginApp is started with.
//
//   VEQPluginApp ip=127.0.0.1 format=pdf savepath=/tmp/out supresserror=1 lang=de_DE pos=400,300
//
// Keys are matched without regard to case; an option given twice takes the
// value of the key that sorts first (case-sensitive order) for ip, format,
// savepath and lang, and the last valid value for supresserror and pos.
#pragma once

#include <utility>
#include <vector>

#include <wx/cmdargs.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include "VEQPluginTypes.h"

using FormatTable = std::vector<std::pair<veq::types::FileFormat, wxString>>;

// (jpeg, "jpeg"), (tiff, "tiff"), (pdf, "pdf"): option texts and file extensions.
FormatTable MakeFormatTable();

class CommandLineArguments {
public:
    CommandLineArguments(const wxCmdLineArgsArray& argv, const FormatTable& formats);
    // The same from the program's arguments, the program path first.
    CommandLineArguments(const wxArrayString& arguments, const FormatTable& formats);

    const wxString& GetIP() const { return m_ip; }
    veq::types::FileFormat GetFileFormat() const { return m_format; }
    const wxString& GetSavePath() const { return m_savePath; }
    bool ShouldSupressError() const { return m_supressError; }
    const wxString& GetLanguageCode() const { return m_languageCode; }
    const wxPoint& GetWindowLeftTopPoint() const { return m_position; }

private:
    void Parse(const wxArrayString& arguments, const FormatTable& formats);

    wxString m_ip;
    veq::types::FileFormat m_format = veq::types::tiff;
    wxString m_savePath;
    bool m_supressError = false;
    wxString m_languageCode;
    wxPoint m_position = wxDefaultPosition;
};
