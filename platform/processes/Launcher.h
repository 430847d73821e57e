// Stand-ins for the desktop's launch services: a program started without
// waiting for it, and a folder opened in the desktop's file manager. Both go
// through wxExecute with an argument vector, never through a shell, and need
// the toolkit to be initialised (an application object exists).
#pragma once

#include <functional>
#include <string>

namespace veqplatform {

// Starts the executable without arguments; the new process inherits the
// environment and standard streams. False when the path is not an executable
// file or no process could be made.
bool StartProgram(const std::string& executable);

// Opens folder with "xdg-open". Only an absolute path to an existing folder is
// handed over, so a text from a file can never become an option or a web
// address. False when the folder is refused or "xdg-open" cannot be started.
// finished, when given, is called from the event loop with xdg-open's exit
// code once it has ended (not 0: nothing could open the folder).
bool OpenFolderInFileManager(const std::string& folder, std::function<void(int exitCode)> finished = nullptr);

}  // namespace veqplatform
