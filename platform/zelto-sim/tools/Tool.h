// The zelto-sim program: serving controllers, and `zelto-sim ctl` against a
// running one.
#pragma once

#include <string>
#include <vector>

namespace zeltosim {

constexpr int kDefaultPort = 18630;

// --port, else VELLORA_PORT, else 18630; -1 for a text that is not a port.
int PortFrom(const std::string& option);

int Serve(const std::vector<std::string>& args);
int Ctl(const std::vector<std::string>& args);

}  // namespace zeltosim
