// The simulated Zelto controller, as a library: a tests' and demo's stand-in for a
// networked controller that libvellora talks to over TCP on loopback.
//
//   zeltosim::Simulator sim;                         // the built-in demo controller
//   sim.Start("127.0.0.1", 0);                       // a port of its own
//   veqtest::ScopedEnv port("VELLORA_PORT", std::to_string(sim.Port()).c_str());
//   ... INIT_connectUTF8("127.0.0.1", "guest", "", ..., -1, ...) reaches it ...
//
// How a client finds the port: every caller passes -1 as the port of
// INIT_connectUTF8, so libvellora reads the environment variable VELLORA_PORT at
// each connect and at each discovery (default 18630). Tests set VELLORA_PORT in
// their own process to the port of their simulator. VELLORA_TIMEOUT_MS, when set,
// replaces every time-out libvellora uses (connect, INIT_setTimeout values), so
// that tests of code which always sets 60 seconds can still run short.
//
// A simulator serves one controller on one address and port, on its own threads,
// to any number of client connections at once (several processes share one state).
// Every operation below is thread-safe. Events raised here, or by any client's
// deletion, reach every event subscriber of this controller; they are delivered on
// libvellora's own threads. The fixture format is described in
// docs/zelto-sim-fixture.md, the wire protocol in docs/zelto-sim-protocol.md.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zeltosim {

// A fixture that cannot be used (bad JSON, wrong types, unknown format texts).
class FixtureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The built-in demo controller's fixture (also what `zelto-sim --print-demo-fixture` prints).
Json::Value DemoFixture();

// Reads a fixture file; throws FixtureError when it cannot be read or parsed.
Json::Value LoadFixtureFile(const std::string& path);

// A job to add. Formats are the texts "PDF", "TIFF", "JPEG", "XPS", "RAW",
// "COMPACT_PDF", "COMPACT_XPS".
struct JobOptions {
    std::string mailbox;                 // "" is the default mailbox
    std::string name = "Scan";           // FILENAME and UTF8_FILENAME
    int pages = 1;
    std::vector<std::string> formats = {"PDF", "TIFF"};
    std::string defaultFormat;           // empty: the first of formats
    bool color = true;
    int widthPx = 850;                   // page raster in pixels (letter at 100 dpi)
    int heightPx = 1100;
    int dpi = 100;                       // resolution of the raster
    uint32_t seed = 0;                   // 0: derived from the job id
    uint64_t paddingBytesPerPage = 0;    // makes very large jobs cheaply
    int64_t finishTime = 0;              // seconds since 1970; 0: now
    int id = 0;                          // 0: the next free id
    // Added to, or replacing, the attributes the controller serves for the job,
    // and keys of served attributes to leave out (e.g. "N_PAGES").
    std::map<std::string, std::string> attributes;
    std::vector<std::string> removedAttributes;
};

// A job as the controller holds it.
struct JobInfo {
    int id = 0;
    std::string mailbox;
    std::string name;
    int pages = 0;
    std::vector<std::string> formats;
    std::string defaultFormat;
    uint64_t size = 0;                   // whole job in its default format, bytes
    int64_t finishTime = 0;
    int widthPx = 0, heightPx = 0, dpi = 0;  // page raster and its resolution
};

struct MailboxInfo {
    std::string name;
    std::string password;
    std::string engineUser;              // non-empty for an engine box of that user
    int jobCount = 0;
};

// One SDK call that reached the controller, with its arguments as texts.
struct CallRecord {
    uint64_t sequence = 0;               // increasing over the simulator's life
    uint64_t connection = 0;             // the client connection that made it
    std::string function;                // the SDK function, e.g. "SCAN_getDataInMailbox"
    std::vector<std::pair<std::string, std::string>> arguments;  // in call order
    int result = 0;                      // what the controller answered

    // The value of the named argument, "" when absent.
    std::string Argument(const std::string& name) const;
};

class Simulator {
public:
    Simulator();                                     // the demo controller
    explicit Simulator(const Json::Value& fixture);  // throws FixtureError
    ~Simulator();                                    // stops
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Listens on address (loopback only: 127.0.0.0/8 or ::1) and port (0 = a free
    // port) and serves on its own threads. Throws std::runtime_error on failure.
    void Start(const std::string& address = "127.0.0.1", int port = 0);
    // Closes every connection and the listener and joins the threads; idempotent.
    void Stop();
    int Port() const;                                // 0 before Start
    std::string Address() const;
    std::string ServerName() const;

    // ---- State -----------------------------------------------------------------
    // Adds a job (raising the created event, type 0); returns its id. Throws
    // std::invalid_argument for an unknown mailbox, a used id or bad formats.
    int AddJob(const JobOptions& job);
    // Deletes a job (raising the deleted event, type 1); false when unknown.
    bool DeleteJob(int jobId);
    std::vector<JobInfo> Jobs(const std::string& mailbox) const;   // in id order
    std::vector<JobInfo> AllJobs() const;
    bool HasJob(int jobId) const;
    // Adds a mailbox; false when one of that name exists.
    bool AddMailbox(const std::string& name, const std::string& password,
                    const std::string& engineUser = "");
    // Deletes a mailbox and its jobs (a deleted event for each); false when unknown.
    bool DeleteMailbox(const std::string& name);
    std::vector<MailboxInfo> Mailboxes() const;

    // ---- Events (to every subscriber of this controller) ------------------------
    void RaiseScanEvent(int type, int jobId);        // SCAN_getEventsEx / SCAN_getEvents
    void RaiseAlert(int kind, const std::string& text, int id = 0);  // SCAN_getAlertEvents
    void RaiseServerEvent(int type, int id);         // SERVER_getEventsEx

    // ---- Faults ----------------------------------------------------------------------
    void DropConnections();                          // closes every client connection
    void Hang();                                     // stops answering (calls, events)
    void Resume();                                   // answers again, queued calls too
    bool Hung() const;
    // The next count calls of the named SDK function answer result without effect.
    void InjectResult(const std::string& function, int result, int count = 1);
    // Data transfers of the job (0: any job): after afterChunks successful
    // SCAN_getDataInMailbox calls, the next `times` calls (-1: all) answer result.
    void FailTransfer(int jobId, int afterChunks, int result = -11, int times = 1);
    // Serves the job's data (0: any job) at most bytesPerSecond; 0 = full speed.
    void SlowTransfer(int jobId, uint64_t bytesPerSecond);
    // After afterChunks successful data calls of the job (0: any job), the next one
    // sends part of its answer and closes the connection.
    void DropDuringTransfer(int jobId, int afterChunks);
    void ClearFaults();                              // injections and transfer faults

    // ---- Calls received ----------------------------------------------------------------
    std::vector<CallRecord> Calls() const;           // oldest first (the last 10000)
    std::vector<CallRecord> Calls(const std::string& function) const;
    size_t CallCount(const std::string& function) const;
    void ClearCalls();
    int ConnectionCount() const;                     // client connections open now

    // The control commands of `zelto-sim ctl`, as JSON (docs/zelto-sim-protocol.md).
    Json::Value Control(const Json::Value& command);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace zeltosim
