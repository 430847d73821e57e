// An IPlugin whose answers the test sets; every call is logged with the
// thread it came on (" [worker]" when not the main thread).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <wx/thread.h>

#include "FakeDataSource.h"
#include "IPlugin.h"

namespace veqfake {

class FakePlugin : public IPlugin {
public:
    FakePlugin() : m_server(std::make_shared<FakeServer>()) {}

    bool SetServer(const wxString& ip) override {
        Log("SetServer " + ip.ToStdString());
        m_server->SetStatus(m_connects ? VEQTypes::CONNECTED : VEQTypes::DISCONNECTED);
        return m_connects;
    }
    std::shared_ptr<Server> GetServer() override { return m_server; }
    bool IsDriverMode() override { return m_pluginMode; }
    bool IsPluginMode() override { return m_pluginMode; }
    int InitScan(const VEQTypes::ScanInitiateAttributes& attributes) override {
        Log("InitScan");
        m_lastScan = attributes;
        if (m_duringInitScan) {
            m_duringInitScan();
        }
        return m_initScanResult;
    }
    int OnScanCompleted() override {
        Log("OnScanCompleted");
        if (m_duringScanCompleted) {
            m_duringScanCompleted();
        }
        return m_scanCompletedResult;
    }
    bool OnDownloadCompleted() override {
        Log("OnDownloadCompleted");
        return true;
    }
    int InitMailBoxRetrive(std::shared_ptr<MailBox> mailbox, const VEQTypes::VEQScannedJob& job) override {
        Log("InitMailBoxRetrive " + std::to_string(job.m_id));
        if (mailbox && m_duringRetrieve) {
            m_duringRetrieve(mailbox, job);
        }
        return mailbox ? m_retrieveResult : 1;
    }

    std::shared_ptr<FakeScanAPI> ScanAPI() { return m_server->m_scanAPI; }

    std::shared_ptr<FakeServer> m_server;
    bool m_pluginMode = true;
    bool m_connects = true;
    int m_initScanResult = 0;
    int m_scanCompletedResult = 1;
    int m_retrieveResult = 0;
    // Run inside the calls, e.g. to raise the events that follow them.
    std::function<void()> m_duringInitScan;
    std::function<void()> m_duringScanCompleted;
    std::function<void(std::shared_ptr<MailBox>, const VEQTypes::VEQScannedJob&)> m_duringRetrieve;
    VEQTypes::ScanInitiateAttributes m_lastScan;
    CallLog m_log;

private:
    void Log(const std::string& call) { m_log.Add(wxIsMainThread() ? call : call + " [worker]"); }
};

}  // namespace veqfake
