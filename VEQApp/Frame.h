// Veqora's main window: fixed size, its whole content the application
// plug-in's panel. Ctrl+Q asks the application to quit.
#pragma once

#include <wx/frame.h>

class VEQAppPlugin;

class Frame : public wxFrame {
public:
    Frame();
    ~Frame() override;

private:
    VEQAppPlugin* m_appPlugin;
};
