#include "Tool.h"

#include <clocale>
#include <cstdlib>

namespace zeltosim {

int PortFrom(const std::string& option) {
    std::string text = option;
    if (text.empty()) {
        const char* env = std::getenv("VELLORA_PORT");
        if (!env || !*env) return kDefaultPort;
        text = env;
    }
    char* end = nullptr;
    long port = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || port <= 0 || port > 65535) return -1;
    return static_cast<int>(port);
}

}  // namespace zeltosim

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args.front() == "ctl") {
        args.erase(args.begin());
        return zeltosim::Ctl(args);
    }
    return zeltosim::Serve(args);
}
