// The public face of a simulated controller: its state, its listener and its faults.
#include "ZeltoSim.h"

#include "CallLog.h"
#include "Config.h"
#include "Controller.h"
#include "Faults.h"
#include "Server.h"

#include <stdexcept>

namespace zeltosim {

struct Simulator::Impl : EventSink {
    explicit Impl(const Json::Value& fixtureJson) : fixture(ParseController(fixtureJson)) {}

    void Publish(uint16_t eventKind, const std::string& frame) override {
        std::shared_ptr<Server> current;
        {
            std::lock_guard<std::mutex> lock(serverMutex);
            current = server;
        }
        if (current) current->Publish(eventKind, frame);
    }

    std::shared_ptr<Server> CurrentServer() {
        std::lock_guard<std::mutex> lock(serverMutex);
        return server;
    }

    ControllerFixture fixture;
    Faults faults;
    CallLog calls;
    std::unique_ptr<Controller> controller;
    std::unique_ptr<Services> services;
    std::mutex serverMutex;
    std::shared_ptr<Server> server;
};

Simulator::Simulator() : Simulator(DemoFixture()) {}

Simulator::Simulator(const Json::Value& fixture) : m_impl(std::make_unique<Impl>(fixture)) {
    m_impl->controller = std::make_unique<Controller>(m_impl->fixture, *m_impl);
    m_impl->services = std::make_unique<Services>(Services{
        *m_impl->controller, m_impl->faults, m_impl->calls, [this](const Json::Value& c) { return Control(c); }});
}

Simulator::~Simulator() {
    Stop();
    m_impl->controller->Shutdown();
}

void Simulator::Start(const std::string& address, int port) {
    std::lock_guard<std::mutex> lock(m_impl->serverMutex);
    if (m_impl->server) throw std::runtime_error("zelto-sim: already serving on " + m_impl->server->Address());
    m_impl->server = std::make_shared<Server>(*m_impl->services, address, port);
}

void Simulator::Stop() {
    std::shared_ptr<Server> server;
    {
        std::lock_guard<std::mutex> lock(m_impl->serverMutex);
        server.swap(m_impl->server);
    }
    server.reset();  // closes the connections and joins their threads
    m_impl->controller->Shutdown();
}

int Simulator::Port() const {
    auto server = m_impl->CurrentServer();
    return server ? server->Port() : 0;
}

std::string Simulator::Address() const {
    auto server = m_impl->CurrentServer();
    return server ? server->Address() : std::string();
}

std::string Simulator::ServerName() const { return m_impl->controller->Config().name; }

int Simulator::AddJob(const JobOptions& job) { return m_impl->controller->AddJob(job); }
bool Simulator::DeleteJob(int jobId) { return m_impl->controller->DeleteJob(jobId); }
std::vector<JobInfo> Simulator::Jobs(const std::string& mailbox) const { return m_impl->controller->Jobs(&mailbox); }
std::vector<JobInfo> Simulator::AllJobs() const { return m_impl->controller->Jobs(nullptr); }
bool Simulator::HasJob(int jobId) const { return m_impl->controller->HasJob(jobId); }

bool Simulator::AddMailbox(const std::string& name, const std::string& password, const std::string& engineUser) {
    return m_impl->controller->AddMailbox(MailboxInfo{name, password, engineUser, 0});
}

bool Simulator::DeleteMailbox(const std::string& name) { return m_impl->controller->DeleteMailbox(name); }
std::vector<MailboxInfo> Simulator::Mailboxes() const { return m_impl->controller->Mailboxes(); }

void Simulator::RaiseScanEvent(int type, int jobId) { m_impl->controller->RaiseScanEvent(type, jobId); }
void Simulator::RaiseAlert(int kind, const std::string& text, int id) { m_impl->controller->RaiseAlert(kind, text, id); }
void Simulator::RaiseServerEvent(int type, int id) { m_impl->controller->RaiseServerEvent(type, id); }

void Simulator::DropConnections() {
    if (auto server = m_impl->CurrentServer()) server->DropConnections();
}

void Simulator::Hang() { m_impl->faults.Hang(); }
void Simulator::Resume() { m_impl->faults.Resume(); }

void Simulator::InjectResult(const std::string& function, int result, int count) {
    m_impl->faults.Inject(function, result, count);
}

void Simulator::FailTransfer(int jobId, int afterChunks, int result, int times) {
    m_impl->faults.FailTransfer(jobId, afterChunks, result, times);
}

void Simulator::SlowTransfer(int jobId, uint64_t bytesPerSecond) { m_impl->faults.SlowTransfer(jobId, bytesPerSecond); }
void Simulator::DropDuringTransfer(int jobId, int afterChunks) { m_impl->faults.DropDuringTransfer(jobId, afterChunks); }
void Simulator::ClearFaults() { m_impl->faults.Clear(); }

std::vector<CallRecord> Simulator::Calls() const { return m_impl->calls.All(); }
std::vector<CallRecord> Simulator::Calls(const std::string& function) const { return m_impl->calls.Of(function); }
size_t Simulator::CallCount(const std::string& function) const { return m_impl->calls.Count(function); }
void Simulator::ClearCalls() { m_impl->calls.Clear(); }

int Simulator::ConnectionCount() const {
    auto server = m_impl->CurrentServer();
    return server ? server->ConnectionCount() : 0;
}

bool Simulator::Hung() const { return m_impl->faults.Hung(); }

}  // namespace zeltosim
