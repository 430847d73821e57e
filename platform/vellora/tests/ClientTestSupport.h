// Shared parts of libvellora's contract tests: a simulated controller on a port
// of the test's own (VELLORA_PORT set for the process), connections that are
// closed at the end, and recorders for callbacks.
#pragma once

#include "TestSupport.h"
#include "ZeltoSim.h"
#include "vellora.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace clienttest {

// A small controller: two mailboxes, quick scans, a few locale strings.
inline Json::Value SmallFixture() {
    Json::Value f;
    f["name"] = "Test Controller";
    f["product"] = "Zelto Varda";
    f["model"] = "Varda T1";
    f["timeZone"] = "+0530";
    f["defaultEncoding"] = "SJIS";
    Json::Value guest, admin;
    guest["name"] = "guest";
    guest["password"] = "";
    admin["name"] = "admin";
    admin["password"] = "secret";
    f["users"].append(guest);
    f["users"].append(admin);
    f["dictionary"]["WB3_SYSTEM"]["QMVSYSVERNUM"] = "10";
    f["dictionary"]["WB3_SYSTEM"]["VEQ_SIZE_COLUMN_HIDE"] = "YES";
    f["features"]["ZeltoKesti"] = "2";
    f["features"]["NoValue"] = Json::Value();
    f["scanning"]["pageDelayMs"] = 20;
    f["scanning"]["sources"].append("ADF");
    f["scanning"]["sources"].append("PLATEN");
    f["scanning"]["colorModes"].append("COLOR");
    f["scanning"]["colorModes"].append("BLACK_WHITE");
    f["scanning"]["formats"].append("PDF");
    f["scanning"]["formats"].append("JPEG");
    f["scanning"]["adfPages"] = 3;
    Json::Value box0, box1, job;
    box0["name"] = "";
    box0["password"] = "";
    job["name"] = "First";
    job["pages"] = 2;
    job["id"] = 1;
    box0["jobs"].append(job);
    box1["name"] = "Accounting";
    box1["password"] = "1234";
    f["mailboxes"].append(box0);
    f["mailboxes"].append(box1);
    f["locales"]["en_US"]["COLOR"] = "Colour";
    f["locales"]["en_US"]["PageSize"]["A4"] = "A4 sheet";
    f["locales"]["en_US"]["A4"] = "A4";
    f["locales"]["fr_FR"]["COLOR"] = "Couleur";
    return f;
}

// A simulator serving on a loopback port (0: one the system picks as it binds),
// with VELLORA_PORT pointing at it.
class ControllerOnPort {
public:
    explicit ControllerOnPort(const Json::Value& fixture = SmallFixture(), const std::string& address = "127.0.0.1",
                              int port = 0)
        : sim(fixture) {
        sim.Start(address, port);
        env = std::make_unique<veqtest::ScopedEnv>("VELLORA_PORT", std::to_string(sim.Port()).c_str());
    }
    zeltosim::Simulator sim;
    std::unique_ptr<veqtest::ScopedEnv> env;
};

inline int Connect(VelloraServerHandle** handle, const char* user = "guest", const char* password = "",
                   const char* address = "127.0.0.1") {
    return INIT_connectUTF8(address, user, password, "Veqora", "test-key", "trpc", -1, -1, 1, 1, 0, handle, 0);
}

// Test fixture: a controller and connections that are closed at the end.
class ClientTest : public ::testing::Test {
protected:
    virtual Json::Value Fixture() { return SmallFixture(); }
    void SetUp() override { controller = std::make_unique<ControllerOnPort>(Fixture()); }
    void TearDown() override {
        for (auto* h : handles) INIT_disconnect(h, 0);
        controller.reset();
    }
    zeltosim::Simulator& Sim() { return controller->sim; }
    VelloraServerHandle* Open(const char* user = "guest", const char* password = "") {
        VelloraServerHandle* h = nullptr;
        int rc = Connect(&h, user, password);
        EXPECT_EQ(rc, VELLORA_OK);
        if (h) handles.push_back(h);
        return h;
    }
    VelloraScanSession Session(VelloraServerHandle* h) {
        VelloraScanSession s{};
        EXPECT_EQ(SCAN_openSession(h, &s, 0), VELLORA_OK);
        return s;
    }
    std::unique_ptr<ControllerOnPort> controller;
    std::vector<VelloraServerHandle*> handles;
};

// Callbacks recorded with the thread they ran on.
struct Seen {
    int type = 0;
    int id = 0;
    VelloraServerHandle* server = nullptr;
    std::string text;
    std::thread::id thread;
};

class Recorder {
public:
    void Add(Seen s) {
        std::lock_guard<std::mutex> lock(m_mutex);
        s.thread = std::this_thread::get_id();
        m_seen.push_back(s);
        m_changed.notify_all();
    }
    bool WaitFor(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_seen.size() >= count; });
    }
    std::vector<Seen> All() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_seen;
    }
    size_t Count() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_seen.size();
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_seen.clear();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Seen> m_seen;
};

// The scan and alert callbacks have no context: one recorder each per process.
inline Recorder& ScanEvents() {
    static Recorder r;
    return r;
}
inline Recorder& Alerts() {
    static Recorder r;
    return r;
}
inline void OnScanEvent(VelloraScanEventEx* e) { ScanEvents().Add(Seen{e->type, e->jobId, e->server, "", {}}); }
inline void OnAlert(VelloraScanAlert* a) {
    Alerts().Add(Seen{a->kind, a->id, a->server, std::string(a->text, static_cast<size_t>(a->length)), {}});
}
inline void OnMonitor(void* context) { static_cast<Recorder*>(context)->Add(Seen{}); }

}  // namespace clienttest

namespace clienttest {

// Destination attributes of a data request, in the order given.
class Destination {
public:
    explicit Destination(std::vector<std::pair<std::string, std::string>> pairs) : m_pairs(std::move(pairs)) {
        for (auto& p : m_pairs) {
            m_names.push_back(&p.first[0]);
            m_values.push_back(&p.second[0]);
        }
        m_record = ScanAttributes{m_names.data(), m_values.data(), static_cast<long>(m_pairs.size())};
    }
    // What the data source sends: N_DEST, DEST:1, DEST_FORMAT:1, DEST_PAGE:1, DEST_ERR:1.
    Destination(const Destination&) = delete;
    Destination& operator=(const Destination&) = delete;
    static Destination For(const std::string& format, int page) {
        return Destination({{"N_DEST", "1"}, {"DEST:1", "CALLER"}, {"DEST_FORMAT:1", format},
                            {"DEST_PAGE:1", std::to_string(page)}, {"DEST_ERR:1", ""}});
    }
    ScanAttributes* Get() { return &m_record; }

private:
    std::vector<std::pair<std::string, std::string>> m_pairs;
    std::vector<char*> m_names, m_values;
    ScanAttributes m_record;
};

// Reads a rendition to its end through buffers of bufferSize bytes; chunks
// gets every call's length (the last one 0 on success).
inline int ReadAll(VelloraScanSession* session, const char* mailbox, const char* password, int jobId,
                   Destination& destination, int bufferSize, std::string& data, std::vector<int>* chunks = nullptr) {
    std::vector<char> buffer(static_cast<size_t>(bufferSize));
    data.clear();
    while (true) {
        int length = bufferSize;
        int rc = SCAN_getDataInMailbox(session, mailbox, password, jobId, destination.Get(),
                                       static_cast<int>(data.size()), buffer.data(), &length, 0);
        if (rc != VELLORA_OK) return rc;
        if (chunks) chunks->push_back(length);
        if (length == 0) return VELLORA_OK;
        data.append(buffer.data(), static_cast<size_t>(length));
    }
}

// The value of a job list entry's attribute, "" when absent.
inline std::string AttributeOf(const ScanJob& job, const std::string& key) {
    for (long i = 0; i < job.attributes.count; ++i)
        if (key == job.attributes.names[i]) return job.attributes.values[i];
    return std::string();
}

}  // namespace clienttest
