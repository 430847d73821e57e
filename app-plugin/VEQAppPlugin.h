// The main application's window content: the main-UI panel over a Plugin.
#pragma once

#include "VEQAppPluginExport.h"

class VEQUI;
class wxWindow;

class VEQAPPPLUGIN_API VEQAppPlugin {
public:
    // A new panel, a child of parent and destroyed with it; it holds its plug-in.
    VEQUI* GetUI(wxWindow* parent);
};
