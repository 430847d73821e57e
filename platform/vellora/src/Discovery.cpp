// Discovery of controllers: probes loopback addresses only (127.0.0.1 to
// 127.0.0.16 unless first and second give another range) on the controller
// port, and reports every controller that answers.
#include "Api.h"
#include "Env.h"

#include "vellora_wire/Net.h"

#include <atomic>
#include <cstring>
#include <deque>
#include <optional>
#include <thread>

using namespace vellora;

namespace {

constexpr int kConnectTimeoutMs = 300;
constexpr int kProbeTimeoutMs = 1000;
constexpr uint32_t kMaxAddresses = 256;
constexpr uint32_t kMaxBody = 64 * 1024;
constexpr size_t kParallelProbes = 16;

struct Found {
    std::string address, name, product, model;
};

std::optional<Found> Probe(uint32_t address, int port, int timeoutMs) {
    std::string text = vwire::FormatIPv4(address);
    vwire::Endpoint endpoint;
    if (!vwire::LoopbackEndpoint(text, port, endpoint)) return std::nullopt;
    auto deadline = vwire::Clock::now() + std::chrono::milliseconds(timeoutMs);
    int error = 0;
    vwire::Socket socket = vwire::ConnectTcp(endpoint, std::min(timeoutMs, kConnectTimeoutMs), error);
    if (!socket.Valid()) return std::nullopt;
    vwire::Writer request(vwire::Kind::Request, vwire::kOpDiscover, 1);
    const std::string& frame = request.Finish();
    if (vwire::SendAll(socket.Fd(), frame.data(), frame.size(), deadline) != vwire::Io::Ok) return std::nullopt;
    char raw[vwire::kHeaderSize];
    if (vwire::RecvExact(socket.Fd(), raw, sizeof raw, deadline) != vwire::Io::Ok) return std::nullopt;
    vwire::FrameHeader header;
    std::string why;
    if (!vwire::DecodeHeader(raw, header, why) || header.kind != vwire::Kind::Reply || header.id != 1 ||
        header.bodyLength > kMaxBody || header.bodyLength < 4) {
        LogLine("discovery: " + text + ":" + std::to_string(port) + " does not answer as a controller");
        return std::nullopt;
    }
    std::string body(header.bodyLength, '\0');
    if (vwire::RecvExact(socket.Fd(), &body[0], body.size(), deadline) != vwire::Io::Ok) return std::nullopt;
    vwire::Reader in(body);
    if (in.I32() != VELLORA_OK) return std::nullopt;
    Found found;
    found.address = text;
    found.name = in.Str();
    found.product = in.Str();
    found.model = in.Str();
    if (!in.Done()) {
        LogLine("discovery: malformed answer from " + text);
        return std::nullopt;
    }
    return found;
}

void Report(const Found& found, VelloraDiscoveryCallback callback, void* context) {
    VelloraDiscoveryRecord record;
    std::memset(&record, 0, sizeof record);
    std::strncpy(record.address, found.address.c_str(), sizeof record.address - 1);
    std::strncpy(record.name, found.name.c_str(), sizeof record.name - 1);
    VelloraDiscoveryDevice device{const_cast<char*>(found.product.c_str()), const_cast<char*>(found.model.c_str()),
                                  const_cast<char*>(found.name.c_str())};
    record.device = found.product.empty() && found.model.empty() ? nullptr : &device;
    callback(&record, context);
}

bool Range(const char* first, const char* second, uint32_t& low, uint32_t& high) {
    bool hasFirst = first && *first, hasSecond = second && *second;
    if (!vwire::ParseIPv4(hasFirst ? first : "127.0.0.1", low)) return false;
    if (!vwire::ParseIPv4(hasSecond ? second : (hasFirst ? first : "127.0.0.16"), high)) return false;
    if (high < low) std::swap(low, high);
    return high - low < kMaxAddresses;
}

}  // namespace

extern "C" {

VELLORA_API int DISCOV_getZeltoList(int, int, const char* first, const char* second, int timeout,
                                    VelloraDiscoveryCallback callback, void* context, int, int,
                                    VelloraNBTicket* ticket) {
    if (!callback || !ticket) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    uint32_t low = 0, high = 0;
    if (!Range(first, second, low, high)) return VELLORA_BAD_PARAM;
    int port = ControllerPort(-1);
    int probeMs = timeout > 0 ? timeout * 1000 : kProbeTimeoutMs;
    auto workerId = std::make_shared<std::atomic<std::thread::id>>();
    // Reports run on the discovery thread itself, one after another. What is
    // posted from elsewhere (a callback registered once discovery is done)
    // gets a thread of its own, never the caller's.
    auto state = std::make_shared<TicketState>(
        [workerId](std::function<void()> work) {
            if (workerId->load() == std::this_thread::get_id()) {
                work();
            } else {
                std::thread(std::move(work)).detach();
            }
            return true;
        },
        [workerId] { return workerId->load() == std::this_thread::get_id(); });
    std::weak_ptr<TicketState> weak = state;
    state->StartWorker([weak, workerId, low, high, port, probeMs, callback, context] {
        workerId->store(std::this_thread::get_id());
        std::vector<uint32_t> addresses;
        for (uint64_t a = low; a <= high; ++a)
            if ((a >> 24) == 127) addresses.push_back(static_cast<uint32_t>(a));  // loopback only
        for (size_t start = 0; start < addresses.size(); start += kParallelProbes) {
            auto ticket = weak.lock();
            if (!ticket || !ticket->Running()) return;
            size_t end = std::min(addresses.size(), start + kParallelProbes);
            std::vector<std::optional<Found>> results(end - start);
            std::vector<std::thread> probes;
            for (size_t i = start; i < end; ++i)
                probes.emplace_back([&, i] { results[i - start] = Probe(addresses[i], port, probeMs); });
            for (auto& p : probes) p.join();
            for (const auto& found : results)
                if (found) ticket->Deliver([found, callback, context] { Report(*found, callback, context); });
        }
        if (auto ticket = weak.lock()) ticket->Complete(VELLORA_OK);
    });
    PublishTicket(ticket, state);
    return VELLORA_OK;
}

}  // extern "C"
