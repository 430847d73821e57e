// How both plug-ins pick their server: keep the one held when it has the
// address, else let it go and make a new one; then log in as "guest".
#pragma once

#include <memory>

#include <wx/string.h>

#include "Server.h"

// Returns whether held is connected afterwards. A held server with the same
// address that is connecting or connected is left as it is; one still logging
// out is replaced by a new one.
bool SelectPluginServer(std::shared_ptr<Server>& held, const wxString& ip);
