// The first steps of a start of the tray agent, before any window: one agent
// per user, its log folder, and the start-at-login setting, which a start
// without arguments (at login) obeys. A start by the main application
// ("--args VEQAPP") runs whatever the setting says.
#pragma once

#include <memory>
#include <vector>

#include <wx/defs.h>
#include <wx/snglinst.h>
#include <wx/string.h>

enum class TrayStart {
    Run,
    AnotherInstance,  // ends at once, without a log line
    StartAtLoginOff,  // ends after its Debug log line
};

class TrayStartup {
public:
    // arguments: the command line without the program's name.
    TrayStart Decide(const std::vector<wxString>& arguments);
    // True when another agent of this user holds the instance lock.
    bool IsSingleInstance();

private:
    std::unique_ptr<wxSingleInstanceChecker> m_checker;  // held while the agent runs
};
