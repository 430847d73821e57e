// `zelto-sim [--address A] [--port P] [--fixture FILE]`: serves the fixture's
// controllers (the demo controller without one) in the foreground until
// SIGTERM or SIGINT.
#include "Tool.h"

#include "Config.h"
#include "ZeltoSim.h"

#include <signal.h>

#include <cstdio>
#include <iostream>
#include <memory>

namespace zeltosim {

namespace {

const char* const kUsage =
    "usage: zelto-sim [--address ADDRESS] [--port PORT] [--fixture FILE]\n"
    "       zelto-sim --print-demo-fixture\n"
    "       zelto-sim ctl [--address ADDRESS] [--port PORT] COMMAND [ARGUMENTS]   (zelto-sim ctl help)\n";

}  // namespace

int Serve(const std::vector<std::string>& args) {
    std::string address = "127.0.0.1", portText, fixturePath;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size();
        if (a == "--address" && hasValue) address = args[++i];
        else if (a == "--port" && hasValue) portText = args[++i];
        else if (a == "--fixture" && hasValue) fixturePath = args[++i];
        else if (a == "--print-demo-fixture") {
            std::cout << DemoFixture().toStyledString();
            return 0;
        } else {
            std::cerr << kUsage;
            return a == "--help" || a == "-h" ? 0 : 2;
        }
    }
    int port = PortFrom(portText);
    if (port < 0) {
        std::cerr << "zelto-sim: not a port: " << portText << "\n";
        return 2;
    }
    // Signals are taken by sigwait below, never by the serving threads.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::vector<std::unique_ptr<Simulator>> simulators;
    try {
        std::vector<Json::Value> controllers =
            fixturePath.empty() ? std::vector<Json::Value>{DemoFixture()} : ControllerFixtures(LoadFixtureFile(fixturePath));
        for (size_t i = 0; i < controllers.size(); ++i) {
            const Json::Value& c = controllers[i];
            std::string at = c.isMember("address") && c["address"].isString() ? c["address"].asString()
                             : i == 0 ? address
                                      : "127.0.0." + std::to_string(i + 1);
            simulators.push_back(std::make_unique<Simulator>(c));
            simulators.back()->Start(at, port);
            std::cout << "zelto-sim: serving \"" << simulators.back()->ServerName() << "\" on " << at << ":"
                      << simulators.back()->Port() << std::endl;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    std::cout << "zelto-sim: ready (stop with SIGTERM or SIGINT)" << std::endl;
    int signal = 0;
    sigwait(&stopSignals, &signal);
    std::cout << "zelto-sim: stopping" << std::endl;
    for (auto& s : simulators) s->Stop();
    return 0;
}

}  // namespace zeltosim
