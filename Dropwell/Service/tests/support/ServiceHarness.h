// Real processes for the service's end-to-end and fault tests: a zelto-sim
// program on a port of the test's own, a dropwell-host started on it, mappings
// written through the store with the signal file, and the controller's bytes
// read back through the SDK for comparison.
#pragma once

#include <json/json.h>
#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace dwtest {

// A child process whose output goes to a file.
class Process {
public:
    Process() = default;
    ~Process();  // kills (SIGKILL) a process still running
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    void Start(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& env,
               const std::string& outputFile);
    bool Running();
    void Signal(int signal);
    // Waits for the end; true with its exit status (or 128 + signal) when it ended in time.
    bool Wait(std::chrono::milliseconds timeout, int& status);
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

// The zelto-sim program serving fixture on 127.0.0.1 and a free port.
class SimulatorProcess {
public:
    // port 0: a free port of its own.
    explicit SimulatorProcess(const Json::Value& fixture, int port = 0);
    int Port() const { return m_port; }
    // Runs `zelto-sim ctl --port P words...`; the JSON answer (throws when refused).
    Json::Value Ctl(const std::vector<std::string>& words);
    std::vector<int> JobIds(const std::string& mailbox);
    void Restart();

private:
    void Launch();
    Json::Value m_fixture;
    std::string m_fixtureFile;
    int m_port = 0;
    Process m_process;
};

// dropwell-host against a simulator's port.
class HostProcess {
public:
    explicit HostProcess(int port, const std::vector<std::pair<std::string, std::string>>& extraEnv = {});
    void Start();
    Process& Raw() { return m_process; }
    // SIGTERM, then the exit status (-1 when it did not end within the time).
    int Stop(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    std::string Output() const;

private:
    std::vector<std::pair<std::string, std::string>> m_env;
    std::string m_outputFile;
    Process m_process;
};

struct Mapping {
    std::string server = "127.0.0.1";
    std::string mailbox;
    std::string password;
    std::string folder;
};

// Writes the mappings through the store (mapping file and password files) and
// re-creates the signal file, as the mapping dialog does.
void WriteMappings(const std::vector<Mapping>& mappings);
// Removes and re-creates the signal file.
void SignalMappingChange();

// The service folder (mapping file, signal file, Logs).
std::string ServiceFolder();
// Every line of the service's log files.
std::string ServiceLog();
// For a failed check: the names in folder, then the service's log.
std::string FolderAndLog(const std::string& folder);
// The staging folder of downloads.
std::string StagingFolder();

// The icon file recorded on a folder ("" for the generic icon).
std::string FolderIcon(const std::string& folder);
bool HasWarningIcon(const std::string& folder);
bool HasOkIcon(const std::string& folder);

// The job's bytes as the controller serves them (page 0: the whole job).
std::string ControllerBytes(int port, const std::string& mailbox, const std::string& password, int jobId,
                            const std::string& format, int page = 0);

// A fixture of one controller with the given mailboxes (name -> password, jobs).
Json::Value Fixture(const std::vector<std::pair<std::string, std::pair<std::string, Json::Value>>>& mailboxes);
Json::Value Job(int id, const std::string& name, const std::vector<std::string>& formats, int pages = 1,
                const std::string& defaultFormat = "");

}  // namespace dwtest
