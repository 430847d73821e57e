// Text from outside (names a controller sends, values of its attributes) as
// it may go into a log line: control characters are written as \n, \r, \t or
// \xNN, so that such text can never end a line and fake the next one.
#pragma once

#include <wx/string.h>

#include "VEQServicesExport.h"

VEQSERVICES_API wxString PrintableText(const wxString& text);
