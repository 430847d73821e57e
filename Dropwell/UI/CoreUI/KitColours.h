// Named colours of the kit. Each source file that includes this header has its
// own copies (internal linkage), all opaque.
#pragma once

#include <wx/colour.h>

namespace VEQ {

static const wxColour wxCUSTOMGREY(236, 236, 236);
static const wxColour wxMAGENTA(255, 0, 255);
static const wxColour wxYELLOW_DISABLED(255, 255, 210);
static const wxColour wxGREEN_DISABLED(210, 255, 210);
static const wxColour wxBLUE_DISABLED(210, 210, 255);
static const wxColour wxMAGENTA_DISABLED(255, 210, 255);
static const wxColour wxCYAN_DISABLED(210, 255, 255);
static const wxColour wxBLACK_DISABLED(210, 210, 210);
static const wxColour wxDEFCOLOR_VISTA(76, 76, 76);

}  // namespace VEQ
