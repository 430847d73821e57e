// The about box: the product picture with the version and legal text scrolling in it.
#pragma once

#include <wx/arrstr.h>
#include <wx/window.h>

namespace VEQ {
class VEQSplashScreen;
}

// The lines of the about box: the version, then the legal block, its paragraphs
// divided at 300 pixels in the box's 9-point font.
wxArrayString AboutScreenLines();

// Opens the about box over parent; it owns itself.
VEQ::VEQSplashScreen* OpenAboutScreen(wxWindow* parent);
