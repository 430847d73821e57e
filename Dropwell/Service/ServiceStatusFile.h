// "ServiceStatus.xml" in the service folder: the host's or the installer's
// switch that may forbid the service to run.
#pragma once

#include <wx/string.h>

namespace ServiceStatusFile {

// Whether the file at path lets the service start: a missing, unreadable or
// differently shaped file allows it, as does one refused as hostile (a link,
// too large, nested too deeply; logged); only a first child "Service" of the root
// whose attribute "Status" is not "1" (trimmed, any case) forbids it.
bool AllowsStart(const wxString& path);

}  // namespace ServiceStatusFile
