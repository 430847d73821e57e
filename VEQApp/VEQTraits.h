// Gives the application Veqora's renderer.
#pragma once

#include <wx/app.h>
#include <wx/apptrait.h>

class VEQTraits : public wxGUIAppTraits {
public:
    wxRendererNative* CreateRenderer() override;
};
