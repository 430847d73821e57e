// The strip at the bottom of the mapping panel: a warning icon, a message in
// dark red and, for the privacy-folder warning only, the links "More Info"
// (the explanation dialog) and "Dismiss" (no more privacy warnings).
#pragma once

#include <wx/hyperlink.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

class AlertPanel : public wxPanel {
public:
    // messageSize: the size of the message text; size: the panel's.
    AlertPanel(wxWindow* parent, const wxSize& messageSize, int id = wxID_ANY,
               const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize);

    // The message, wrapped at 350 pixels.
    void SetErrorMessage(const wxString& message);
    // Shows or hides both links; location (the privacy folder's word) is kept
    // for "More Info" when they are shown.
    void EnableHyperlinks(bool show, const wxString& location);

    const wxStaticText* GetMessageText() const { return m_messageText; }
    wxHyperlinkCtrl* GetMoreInfoLink() const { return m_moreInfoLink; }
    wxHyperlinkCtrl* GetDismissLink() const { return m_dismissLink; }

private:
    void OnDetailsClick(wxHyperlinkEvent& event);
    void OnDismissClick(wxHyperlinkEvent& event);

    wxStaticText* m_messageText;
    wxHyperlinkCtrl* m_moreInfoLink;
    wxHyperlinkCtrl* m_dismissLink;
    wxBoxSizer* m_mainSizer;
    wxString m_location;
};
