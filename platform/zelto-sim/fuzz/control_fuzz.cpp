// The simulator's control requests (what `zelto-sim ctl` sends) as any local
// program may send them: the text parsed as the simulator parses it, then the
// command run on a fresh demo controller.
#include <cstddef>
#include <cstdint>
#include <string>

#include "JsonParse.h"
#include "ZeltoSim.h"

namespace {

// The simulator renders every page of a job it is asked to add, as it should;
// a request for thousands of pages at printing resolution is valid and merely
// slow. Requests above this many rendered pixels are left out so that each
// input stays quick and the time goes to the parsing and the commands.
constexpr double kPixelBudget = 50e6;

double Number(const Json::Value& object, const char* key, double fallback) {
    const Json::Value& v = object[key];
    return v.isNumeric() ? v.asDouble() : fallback;
}

bool WithinBudget(const Json::Value& value) {
    if (value.isObject()) {
        if (value.isMember("pages") || value.isMember("dpi") || value.isMember("width") ||
            value.isMember("height")) {
            const double dpi = Number(value, "dpi", 100);
            const double pixels = Number(value, "pages", 1) * Number(value, "width", dpi * 8.5) *
                                  Number(value, "height", dpi * 11);
            if (pixels > kPixelBudget) return false;
        }
        for (const auto& name : value.getMemberNames())
            if (!WithinBudget(value[name])) return false;
    } else if (value.isArray()) {
        for (const auto& item : value)
            if (!WithinBudget(item)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    Json::Value command;
    std::string errors;
    if (!zeltosim::ParseJson(text, text + size, command, errors)) return 0;
    if (!WithinBudget(command)) return 0;
    zeltosim::Simulator simulator;
    simulator.Control(command);
    return 0;
}
