#include "ServiceHarness.h"

#include "SynchronizedReadWrite.h"
#include "TestSupport.h"
#include "VEQHelper.h"

#include <vellora.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace dwtest {

namespace {

std::string Bin(const std::string& name) {
    return veqtest::BuildDir() + "/bin/" + name;
}

bool PortAnswers(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

Json::Value ParseJson(const std::string& text) {
    Json::CharReaderBuilder builder;
    Json::Value value;
    std::string errors;
    std::istringstream in(text);
    if (!Json::parseFromStream(builder, in, &value, &errors)) throw std::runtime_error("not JSON: " + text);
    return value;
}

}  // namespace

Process::~Process() {
    if (m_pid > 0 && Running()) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
}

void Process::Start(const std::vector<std::string>& argv,
                    const std::vector<std::pair<std::string, std::string>>& env, const std::string& outputFile) {
    m_pid = ::fork();
    if (m_pid < 0) throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        const int out = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        const int in = ::open("/dev/null", O_RDONLY);
        if (in >= 0) ::dup2(in, 0);
        for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        std::fprintf(stderr, "exec %s failed: %s\n", args[0], std::strerror(errno));
        ::_exit(127);
    }
}

bool Process::Running() {
    if (m_pid <= 0) return false;
    int status = 0;
    const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
    if (r == m_pid) {
        m_pid = -1;
        return false;
    }
    return r == 0;
}

void Process::Signal(int signal) {
    if (m_pid > 0) ::kill(m_pid, signal);
}

bool Process::Wait(std::chrono::milliseconds timeout, int& status) {
    if (m_pid <= 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int raw = 0;
        const pid_t r = ::waitpid(m_pid, &raw, WNOHANG);
        if (r == m_pid) {
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            m_pid = -1;
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

SimulatorProcess::SimulatorProcess(const Json::Value& fixture, int port) : m_fixture(fixture) {
    m_fixtureFile = veqtest::SandboxDir() + "/fixture-" + std::to_string(::getpid()) + ".json";
    Json::StreamWriterBuilder writer;
    veqtest::WriteFile(m_fixtureFile, Json::writeString(writer, fixture));
    m_port = port > 0 ? port : veqtest::FreeLoopbackPort();
    Launch();
}

void SimulatorProcess::Launch() {
    m_process.Start({Bin("zelto-sim"), "--address", "127.0.0.1", "--port", std::to_string(m_port), "--fixture",
                     m_fixtureFile},
                    {}, veqtest::SandboxDir() + "/zelto-sim.log");
    if (!veqtest::WaitFor([&] { return PortAnswers(m_port); })) throw std::runtime_error("zelto-sim did not start");
}

void SimulatorProcess::Restart() {
    int status = 0;
    m_process.Signal(SIGTERM);
    m_process.Wait(std::chrono::seconds(10), status);
    Launch();
}

Json::Value SimulatorProcess::Ctl(const std::vector<std::string>& words) {
    std::vector<std::string> argv = {Bin("zelto-sim"), "ctl", "--port", std::to_string(m_port)};
    argv.insert(argv.end(), words.begin(), words.end());
    const veqtest::ChildResult r = veqtest::RunProgram(argv, {}, 30);
    if (!r.exited || r.status != 0) throw std::runtime_error("zelto-sim ctl failed: " + r.output);
    return ParseJson(r.output);
}

std::vector<int> SimulatorProcess::JobIds(const std::string& mailbox) {
    std::vector<int> ids;
    const Json::Value answer = Ctl({"jobs", mailbox});
    for (const auto& job : answer["jobs"]) ids.push_back(job["id"].asInt());
    return ids;
}

// The main application's folder icons, which the service sets on mapped folders.
void InstallFolderIcons() {
    const wxString resources = VEQHelper::GetVEQAppInstalledDirectory() + "Veqora.app/Contents/Resources";
    const std::string folder(resources.utf8_str());
    veqtest::RunProgram({"/bin/mkdir", "-p", folder});
    for (const char* icon : {"veq_ok.icns", "veq_warning.icns"}) {
        if (!veqtest::FileExists(folder + "/" + icon)) veqtest::WriteFile(folder + "/" + icon, "icon");
    }
}

HostProcess::HostProcess(int port, const std::vector<std::pair<std::string, std::string>>& extraEnv) {
    InstallFolderIcons();
    m_env = {{"VELLORA_PORT", std::to_string(port)}, {"VELLORA_TIMEOUT_MS", "3000"}};
    m_env.insert(m_env.end(), extraEnv.begin(), extraEnv.end());
    m_outputFile = veqtest::SandboxDir() + "/dropwell-host-" + std::to_string(port) + ".out";
}

void HostProcess::Start() {
    m_process.Start({Bin("dropwell-host")}, m_env, m_outputFile);
}

int HostProcess::Stop(std::chrono::milliseconds timeout) {
    int status = -1;
    m_process.Signal(SIGTERM);
    if (!m_process.Wait(timeout, status)) return -1;
    return status;
}

std::string HostProcess::Output() const {
    return veqtest::FileExists(m_outputFile) ? veqtest::ReadFile(m_outputFile) : std::string();
}

void WriteMappings(const std::vector<Mapping>& mappings) {
    std::vector<DROPWELL::stServerFolderMapDetails> servers;
    for (const Mapping& m : mappings) {
        auto server = std::find_if(servers.begin(), servers.end(),
                                   [&](const auto& s) { return s.NameIP == wxString::FromUTF8(m.server); });
        if (server == servers.end()) {
            DROPWELL::stServerFolderMapDetails fresh;
            fresh.NameIP = wxString::FromUTF8(m.server);
            fresh.DisplayName = "Zelto";
            fresh.Status = 1;
            servers.push_back(fresh);
            server = servers.end() - 1;
        }
        DROPWELL::stFolderMapDetails details;
        details.MailboxName = wxString::FromUTF8(m.mailbox);
        details.Password = wxString::FromUTF8(m.password);
        details.Folder = wxString::FromUTF8(m.folder);
        details.Status = 1;
        server->MappedFolders[wxString::FromUTF8(m.mailbox)] = details;
    }
    SynchronizedReadWrite::GetInstance()->Write(servers);
    SignalMappingChange();
}

void SignalMappingChange() {
    const std::string signal = ServiceFolder() + "/VEQFMWATCH_100804659.txt";
    ::unlink(signal.c_str());
    veqtest::WriteFile(signal, "");
}

std::string ServiceFolder() {
    wxString dir;
    VEQHelper::GetPasswordFilePath(dir, true);
    return std::string(dir.utf8_str());
}

std::string ServiceLog() {
    std::string all;
    const std::string logs = ServiceFolder() + "/Logs";
    for (const std::string& name : veqtest::FolderEntries(logs)) all += veqtest::ReadFile(logs + "/" + name);
    return all;
}

std::string FolderAndLog(const std::string& folder) {
    std::string text = "folder " + folder + ":";
    for (const auto& n : veqtest::FolderEntries(folder)) text += " " + n;
    return text + "\nlog:\n" + ServiceLog();
}

std::string StagingFolder() {
    return std::string(VEQHelper::GetTempDir().utf8_str()) + "Downloadfiles";
}

std::string FolderIcon(const std::string& folder) {
    char value[4096];
    const ssize_t n = ::getxattr(folder.c_str(), "user.veq.folder-icon", value, sizeof value);
    return n > 0 ? std::string(value, static_cast<size_t>(n)) : std::string();
}

bool HasWarningIcon(const std::string& folder) {
    return FolderIcon(folder).find("veq_warning.icns") != std::string::npos;
}

bool HasOkIcon(const std::string& folder) {
    return FolderIcon(folder).find("veq_ok.icns") != std::string::npos;
}

std::string ControllerBytes(int port, const std::string& mailbox, const std::string& password, int jobId,
                            const std::string& format, int page) {
    veqtest::ScopedEnv env("VELLORA_PORT", std::to_string(port).c_str());
    VelloraServerHandle* handle = nullptr;
    if (INIT_connectUTF8("127.0.0.1", "guest", "", "VeqoraTest", "", "trpc", -1, -1, 1, 1, 0, &handle, 0) != 0) {
        throw std::runtime_error("cannot connect to the controller");
    }
    VelloraScanSession session{};
    SCAN_openSession(handle, &session, 0);
    const std::string pageText = std::to_string(page);
    char k1[] = "DEST:1", v1[] = "CALLER", k2[] = "DEST_FORMAT:1", k3[] = "DEST_PAGE:1";
    std::vector<char> f(format.begin(), format.end()), p(pageText.begin(), pageText.end());
    f.push_back('\0');
    p.push_back('\0');
    char* names[] = {k1, k2, k3};
    char* values[] = {v1, f.data(), p.data()};
    ScanAttributes request{names, values, page > 0 ? 3 : 2};
    std::string bytes;
    std::vector<char> buffer(1 << 20);
    for (int offset = 0;; offset += static_cast<int>(buffer.size())) {
        int length = static_cast<int>(buffer.size());
        if (SCAN_getDataInMailbox(&session, mailbox.c_str(), password.c_str(), jobId, &request, offset, buffer.data(),
                                  &length, 0) != 0) {
            bytes.clear();
            break;
        }
        bytes.append(buffer.data(), static_cast<size_t>(length));
        if (length < static_cast<int>(buffer.size())) break;
    }
    SCAN_closeSession(&session, 0);
    INIT_disconnect(handle, 0);
    return bytes;
}

Json::Value Fixture(const std::vector<std::pair<std::string, std::pair<std::string, Json::Value>>>& mailboxes) {
    Json::Value fixture;
    fixture["name"] = "Zelto";
    fixture["dictionary"]["WB3_SYSTEM"]["QMVSYSVERNUM"] = "10";
    fixture["dictionary"]["WB3_SYSTEM"]["QMVSYSVER"] = "10.2 build 5";
    for (const auto& [name, content] : mailboxes) {
        Json::Value box;
        box["name"] = name;
        box["password"] = content.first;
        box["jobs"] = content.second.isNull() ? Json::Value(Json::arrayValue) : content.second;
        fixture["mailboxes"].append(box);
    }
    return fixture;
}

Json::Value Job(int id, const std::string& name, const std::vector<std::string>& formats, int pages,
                const std::string& defaultFormat) {
    Json::Value job;
    job["id"] = id;
    job["name"] = name;
    job["pages"] = pages;
    for (const auto& f : formats) job["formats"].append(f);
    if (!defaultFormat.empty()) job["defaultFormat"] = defaultFormat;
    job["width"] = 300;
    job["height"] = 400;
    return job;
}

}  // namespace dwtest
