// The agent's own per-user settings: the toolkit's configuration named
// "TrayIcon" (the file "~/.TrayIcon"), holding whether a start without
// arguments (at login) keeps the agent running.
#pragma once

#include <memory>

#include <wx/confbase.h>

extern const char kStartAtLoginKey[];

std::unique_ptr<wxConfigBase> OpenTraySettings();

// "StartAtLogin", true when it was never written.
bool ReadStartAtLogin(const wxConfigBase& settings);
