#include "Frame.h"

#include <wx/accel.h>
#include <wx/sizer.h>

#include "VEQAppPlugin.h"
#include "VEQUI.h"

Frame::Frame()
    : wxFrame(nullptr, -1, "Veqora", wxDefaultPosition, wxSize(450, 610),
              wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_appPlugin(new VEQAppPlugin()) {
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    sizer->Add(m_appPlugin->GetUI(this), 1, wxEXPAND | wxALL, 0);
    SetSizer(sizer);
    Layout();

    wxAcceleratorEntry quit(wxACCEL_CTRL, 'Q', wxID_EXIT);
    SetAcceleratorTable(wxAcceleratorTable(1, &quit));
}

Frame::~Frame() {
    delete m_appPlugin;
}
