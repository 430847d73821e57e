// The wire protocol towards the controller: the input is the byte stream a
// client sends on one connection (frames, or anything else), served by a
// simulator on loopback. Every answer is read until the simulator closes.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

#include "ZeltoSim.h"
#include "vellora_wire/Net.h"

namespace {

std::unique_ptr<zeltosim::Simulator> s_simulator;
int s_inputs = 0;

// Reads what comes back until the simulator closes or stays silent.
void Drain(int fd) {
    char buffer[65536];
    for (;;) {
        pollfd wait{fd, POLLIN, 0};
        if (::poll(&wait, 1, 50) <= 0) return;
        if (::read(fd, buffer, sizeof buffer) <= 0) return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A fresh controller now and then, so that added jobs and mailboxes do not pile up.
    if (!s_simulator || ++s_inputs % 500 == 0) {
        s_simulator.reset();
        s_simulator = std::make_unique<zeltosim::Simulator>();
        s_simulator->Start("127.0.0.1", 0);
    }
    vwire::Endpoint endpoint;
    int error = 0;
    if (!vwire::LoopbackEndpoint("127.0.0.1", s_simulator->Port(), endpoint)) return 0;
    vwire::Socket socket = vwire::ConnectTcp(endpoint, 2000, error);
    if (!socket.Valid()) return 0;
    vwire::SendAll(socket.Fd(), reinterpret_cast<const char*>(data), size,
                   vwire::Clock::now() + std::chrono::seconds(2));
    ::shutdown(socket.Fd(), SHUT_WR);
    Drain(socket.Fd());
    // A request may have hung the controller or slowed its transfers.
    s_simulator->Resume();
    s_simulator->ClearFaults();
    // The session ends with the input: its threads (and what they keep for
    // themselves) are gone before the leak check of the next input.
    socket = vwire::Socket();
    for (int i = 0; i < 200 && s_simulator->ConnectionCount() > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // A scan the input started goes on on a thread of the controller's own;
    // the next input gets a fresh controller, whose predecessor cancels and
    // joins that thread, so that nothing of this input still runs meanwhile.
    if (s_simulator->CallCount("SCAN_initiateScan") > 0) s_simulator.reset();
    return 0;
}
