// Starts a program that lives on its own: in a new session, reparented away
// from the caller (no zombie is left), its standard streams on /dev/null and
// none of the caller's other files open, so neither process can block or end
// the other.
#pragma once

#include <string>
#include <vector>

// arguments[0] is the program's path. False when the program is not an
// executable file or the process could not be made.
bool StartDetachedProcess(const std::vector<std::string>& arguments);
