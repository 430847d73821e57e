// Explains how to give the application Full Disk Access, so that a folder in
// a privacy-protected location can be mapped. Shown modally by "More Info".
#pragma once

#include <wx/dialog.h>

class UnsupportedLocMsgDlg : public wxDialog {
public:
    // location: the translated word of the protected folder ("Desktop", ...).
    UnsupportedLocMsgDlg(wxWindow* parent, const wxString& location);
};
