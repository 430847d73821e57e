#include "Frame.h"

#include <wx/sizer.h>

#include "VEQAppPlugin.h"
#include "VEQUI.h"

Frame::Frame()
    : wxFrame(nullptr, -1, "Veqora", wxDefaultPosition, wxSize(450, 610), wxDEFAULT_FRAME_STYLE),
      m_appPlugin(new VEQAppPlugin()) {
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    wxWindow* panel = m_appPlugin->GetUI(this);
    sizer->Add(panel, 1, wxEXPAND | wxALL, 0);
    SetSizer(sizer);
    // Resizable, never below the size it opens with; the job list takes the room.
    SetMinSize(GetSize());
    Layout();

    // Keys reach the window only through a focused control: when the focused
    // one goes away (a control disabled once connected, say), the panel
    // takes the focus back, so that Ctrl+Q keeps working.
    Bind(wxEVT_IDLE, [this, panel](wxIdleEvent& event) {
        if (IsActive() && !FindFocus()) {
            panel->SetFocus();
        }
        event.Skip();
    });

    // Ctrl+Q from wherever the focus is in the window.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (event.GetModifiers() == wxMOD_CONTROL && event.GetKeyCode() == 'Q') {
            wxCommandEvent quit(wxEVT_MENU, wxID_EXIT);
            ProcessWindowEvent(quit);
            return;
        }
        event.Skip();
    });
}

Frame::~Frame() {
    delete m_appPlugin;
}
