// The wire protocol towards the client: the input is what a controller sends
// back, one segment per request (segments separated by "#NEXT#"; the first
// frame header of each gets the request's id), answered by a fake controller
// on loopback while the client runs a fixed round of calls.
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "vellora.h"
#include "vellora_wire/Codec.h"
#include "vellora_wire/Net.h"
#include "vellora_wire/Ops.h"

namespace {

const std::string kSeparator = "#NEXT#";

class FakeController {
public:
    FakeController() {
        std::string error;
        m_listener = vwire::ListenTcp("127.0.0.1", 0, m_port, error);
        if (!m_listener.Valid()) std::abort();
        std::thread([this] { Serve(); }).detach();
    }
    int Port() const { return m_port; }
    void SetAnswers(std::vector<std::string> answers) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_answers = std::move(answers);
    }

private:
    static vwire::Clock::time_point Deadline() { return vwire::Clock::now() + std::chrono::seconds(2); }

    // The next request's id; false when the client went away.
    static bool ReadRequest(int fd, uint32_t& id) {
        char raw[vwire::kHeaderSize];
        vwire::FrameHeader header;
        std::string why;
        if (vwire::RecvExact(fd, raw, sizeof raw, Deadline()) != vwire::Io::Ok ||
            !vwire::DecodeHeader(raw, header, why)) {
            return false;
        }
        std::string body(header.bodyLength, '\0');
        if (!body.empty() && vwire::RecvExact(fd, &body[0], body.size(), Deadline()) != vwire::Io::Ok) return false;
        id = header.id;
        return true;
    }

    void Serve() {
        for (;;) {
            vwire::Socket client(::accept(m_listener.Fd(), nullptr, nullptr));
            if (!client.Valid()) continue;
            std::vector<std::string> answers;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                answers = m_answers;
            }
            uint32_t id = 0;
            if (!ReadRequest(client.Fd(), id)) continue;
            vwire::Writer hello(vwire::Kind::Reply, vwire::kOpHello, id);
            hello.I32(0).Str("Fake");
            const std::string& frame = hello.Finish();
            vwire::SendAll(client.Fd(), frame.data(), frame.size(), Deadline());
            for (std::string answer : answers) {
                if (!ReadRequest(client.Fd(), id)) break;
                if (answer.size() >= vwire::kHeaderSize) {
                    for (int i = 0; i < 4; ++i) answer[8 + i] = static_cast<char>(id >> (24 - 8 * i));
                }
                vwire::SendAll(client.Fd(), answer.data(), answer.size(), Deadline());
            }
            ::shutdown(client.Fd(), SHUT_RDWR);
        }
    }

    vwire::Socket m_listener;
    int m_port = 0;
    std::mutex m_mutex;
    std::vector<std::string> m_answers;
};

FakeController* s_controller = nullptr;

std::vector<std::string> Segments(const std::string& input) {
    std::vector<std::string> segments;
    std::size_t start = 0;
    for (;;) {
        const std::size_t next = input.find(kSeparator, start);
        segments.push_back(input.substr(start, next == std::string::npos ? std::string::npos : next - start));
        if (next == std::string::npos) return segments;
        start = next + kSeparator.size();
    }
}

// The round of calls: each takes the next segment as its answer.
void RunCalls(VelloraServerHandle* handle) {
    VelloraServerInfo* info = nullptr;
    if (SERVER_getInfo(handle, &info, 0) == VELLORA_OK) SERVER_freeInfo(handle, info, 0);
    char* value = nullptr;
    if (QMVM_dictRead(handle, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0) == VELLORA_OK) vellora_free(value);
    char** names = nullptr;
    char** values = nullptr;
    int count = 0;
    if (FEAT_getFeatureList(handle, &names, &values, &count, 0) == VELLORA_OK) {
        freeStringList(names, count);
        freeStringList(values, count);
    }
    VelloraScanSession session{};
    if (SCAN_openSession(handle, &session, 0) != VELLORA_OK) return;
    ScanAttributes* attributes = nullptr;
    if (SCAN_serverAttributes(&session, &attributes) == VELLORA_OK) freeVelloraAttributes(attributes);
    ScanJobList* list = nullptr;
    if (SCAN_getJobListInMailbox(&session, "", "", &list, 0) == VELLORA_OK) SCAN_freeScanJobList(list, 0);
    int pages = 0;
    SCAN_getNumPagesInJob(&session, 1, &pages, 0);
    std::vector<char> buffer(65536);
    int length = static_cast<int>(buffer.size());
    SCAN_getDataInMailbox(&session, "", "", 1, nullptr, 0, buffer.data(), &length, 0);
    SCAN_closeSession(&session, 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Answers that never complete end the call soon.
    ::setenv("VELLORA_TIMEOUT_MS", "20", 1);
    s_controller = new FakeController();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    s_controller->SetAnswers(Segments(std::string(reinterpret_cast<const char*>(data), size)));
    VelloraServerHandle* handle = nullptr;
    if (INIT_connectUTF8("127.0.0.1", "guest", "", "fuzz", "", "", s_controller->Port(), 0, 0, 0, 0, &handle, 0) !=
        VELLORA_OK) {
        return 0;
    }
    RunCalls(handle);
    INIT_disconnect(handle, 0);
    return 0;
}
