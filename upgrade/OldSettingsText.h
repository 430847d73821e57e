// The older version's settings files as the migration reads them. They may
// have been crafted (any user can write their own, an administrator the
// machine-wide one), so they are read line by line with bounds, and only what
// the migration uses is handed on: the entries of group "6" that it reads, a
// handful of recent servers among them. Overlong lines are passed over.
#pragma once

#include <string>

#include <wx/string.h>

namespace vequpgrade {

// Old recent servers carried over: those with an index below this (the older
// version kept a handful).
constexpr long kMaxOldServers = 50;

// The index of a recent server's key: "ipaddress_12", "servername_12" and
// "devicename_12" give 12. False for any other key, and for an index written
// otherwise than plainly (a sign, a leading zero).
bool OldServerKeyIndex(const std::string& key, long& index);

// The entry lines of group "6" of the settings file at path that the migration
// reads, in UTF-8, one per name (the last one, as the toolkit's settings
// decide); they go under a "[6]" line. Empty when the file cannot be read.
std::string MigratedSettingsEntries(const wxString& path);

}  // namespace vequpgrade
