// Stand-ins for a server, its scan component, capability and mailboxes, for
// tests of the panel and the plug-ins: the test decides every answer, sees
// every call, and raises the data source's signals from threads of its own.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "MailBox.h"
#include "ScanAPIComponent.h"
#include "ScannerCapability.h"
#include "Server.h"
#include "VEQAttributeKeys.h"

namespace veqfake {

// A record of calls, safe to append from any thread.
class CallLog {
public:
    void Add(const std::string& call) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(call);
    }
    std::vector<std::string> Calls() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }
    size_t Count(const std::string& call) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        size_t count = 0;
        for (const std::string& entry : m_calls) {
            count += entry == call ? 1 : 0;
        }
        return count;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
};

// Emits from a thread of its own, as the server's pool does, and waits for it.
inline void EmitFromOtherThread(const std::function<void()>& emit) {
    std::thread(emit).join();
}

inline ScannerAttribute Attribute(ScannerAttribute::ScannerAttributeType type, const wxString& key,
                                  const wxString& value) {
    return ScannerAttribute(type, key, value, value);
}

class FakeCapability : public ScannerCapability {
public:
    FakeCapability() {
        m_sources = {Attribute(ScannerAttribute::SCAN_SOURCE, g_keyScanSource, "ADF"),
                     Attribute(ScannerAttribute::SCAN_SOURCE, g_keyScanSource, "PLATEN")};
        m_pageSizes = {Attribute(ScannerAttribute::PAGE_SIZE, g_keyPageSize, "A4")};
        m_resolutions = {Attribute(ScannerAttribute::RESOLUTION, g_keyResolution, "600"),
                         Attribute(ScannerAttribute::RESOLUTION, g_keyResolution, "300"),
                         Attribute(ScannerAttribute::RESOLUTION, g_keyResolution, "150")};
        m_defaultResolution = m_resolutions[1];
        m_sides = {Attribute(ScannerAttribute::SIDES, g_keySidesToScan, "SCAN_SINGLE_SIDE")};
        m_colorModes = {Attribute(ScannerAttribute::COLOR_MODE, g_keyColorMode, "BLACK_WHITE"),
                        Attribute(ScannerAttribute::COLOR_MODE, g_keyColorMode, "COLOR")};
    }

    bool IsVeqoraEnabled() override { return m_enabled; }
    const std::vector<ScannerAttribute>& GetScanSources() override { return m_sources; }
    const std::vector<ScannerAttribute>& GetValidPageSizes() override { return m_pageSizes; }
    const std::vector<ScannerAttribute>& GetValidResolutions() override { return m_resolutions; }
    const std::vector<ScannerAttribute>& GetSidesToScanOption() override { return m_sides; }
    const std::vector<ScannerAttribute>& GetVEQColorModes() override { return m_colorModes; }
    const std::vector<ScannerAttribute>& GetSupportedOrientation() override { return m_orientations; }
    std::pair<int, int> GetMaxResolution() override { return {600, 600}; }
    ScannerAttribute GetDefaultResolution() override { return m_defaultResolution; }
    std::vector<VEQTypes::FileFormat> GetSupportedFileFormat() override { return m_formats; }
    std::vector<VEQTypes::FileFormat> GetSupportedFileFormat(const VEQTypes::ScanInitiateAttributes&) override {
        return m_formats;
    }
    const VEQTypes::FileFormat& GetDefaultFileFormat() override { return m_defaultFormat; }
    bool MailBoxAuthenticationSupported() override { return true; }
    bool CanServerSupportEngineBox() override { return false; }
    bool CanServerSupportEngineAuthentication() override { return false; }
    wxString GetEngineAuth() override { return wxString(); }
    bool CanServerSupportsAccountTrackLogin() override { return false; }

    bool m_enabled = true;
    std::vector<ScannerAttribute> m_sources, m_pageSizes, m_resolutions, m_sides, m_colorModes,
        m_orientations;
    ScannerAttribute m_defaultResolution;
    std::vector<VEQTypes::FileFormat> m_formats = {VEQTypes::PDF, VEQTypes::TIFF, VEQTypes::JPEG};
    VEQTypes::FileFormat m_defaultFormat = VEQTypes::PDF;
};

// A save request as the mailbox received it.
struct SaveRequest {
    wxString m_path;
    VEQTypes::ScanRetriveAttribute m_attributes;
    bool m_asynchronous = false;
    MailBox::JobSavePolicy m_policy = MailBox::SAVE_DOCUMENTS_WHOLE;
};

class FakeMailBox : public MailBox {
public:
    explicit FakeMailBox(const wxString& name = wxString()) : m_name(name) {
        m_jobs = std::make_shared<std::vector<VEQTypes::VEQScannedJob>>();
    }

    const wxString& GetMailBoxName() const override { return m_name; }
    const wxString& GetMailBoxDisplayName() const override { return m_name; }
    const wxString& GetPassword() const override { return m_password; }
    bool SaveScanedJobToPathFromMailBox(const wxString& path, VEQTypes::ScanRetriveAttribute& attributes,
                                        bool asynchronous, MailBox::JobSavePolicy policy) override {
        m_log.Add("Save");
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_saves.push_back({path, attributes, asynchronous, policy});
        }
        if (m_onSave) {
            m_onSave(path, attributes);
        }
        return m_acceptSaves;
    }
    void CancelCurrentSaveJobOperation() override { m_log.Add("CancelSave"); }
    bool IsJobInMailbox(int) override { return true; }
    bool DeleteJob(int jobId) override {
        m_log.Add("Delete " + std::to_string(jobId));
        return m_acceptDeletes;
    }
    std::vector<VEQTypes::FileFormat> GetSupportedFileFormatForJob(int jobId) override {
        auto found = m_jobFormats.find(jobId);
        return found == m_jobFormats.end() ? std::vector<VEQTypes::FileFormat>() : found->second;
    }
    VEQTypes::FileFormat GetDefaultFileFormatForJob(int) override { return m_defaultFormat; }
    bool RefreshAvailableScannedJobs() override {
        m_log.Add("Refresh");
        if (m_duringRefresh) {
            m_duringRefresh();
        }
        m_jobsRefreshedSignal();
        return true;
    }
    std::shared_ptr<VEQTypes::VEQScannedJob> GetScannedJobForID(int jobId) override {
        for (const auto& job : *m_jobs) {
            if (job.m_id == jobId) {
                return std::make_shared<VEQTypes::VEQScannedJob>(job);
            }
        }
        return std::make_shared<VEQTypes::VEQScannedJob>();
    }
    std::shared_ptr<std::vector<VEQTypes::VEQScannedJob>> GetAvailableScannedJobs() override { return m_jobs; }
    std::shared_ptr<ScanJobDataRetriever> GetJobDataRetriever(const VEQTypes::ScanRetriveAttribute&) override {
        return nullptr;
    }

    void AddJob(int id, const wxString& name, int pages) {
        VEQTypes::VEQScannedJob job;
        job.m_id = id;
        job.m_name = name;
        job.m_pageCount = pages;
        m_jobs->push_back(job);
        m_jobFormats[id] = {VEQTypes::PDF, VEQTypes::TIFF};
    }
    std::vector<SaveRequest> Saves() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_saves;
    }
    // Emits a job-save event from another thread, as the pool does.
    void EmitSave(MailBox::JobSaveEvent::Kind kind, int jobId, int percent = 0,
                  const wxString& message = wxString()) {
        MailBox::JobSaveEvent event;
        event.m_eventKind = kind;
        event.m_jobId = jobId;
        event.m_percent = percent;
        event.m_message = message;
        EmitFromOtherThread([this, event]() { m_jobSaveSignal(event); });
    }

    wxString m_name;
    wxString m_password;
    std::shared_ptr<std::vector<VEQTypes::VEQScannedJob>> m_jobs;
    std::map<int, std::vector<VEQTypes::FileFormat>> m_jobFormats;
    VEQTypes::FileFormat m_defaultFormat = VEQTypes::PDF;
    bool m_acceptSaves = true;
    bool m_acceptDeletes = true;
    // Runs inside the save call, on the caller's thread (e.g. to write files).
    std::function<void(const wxString&, const VEQTypes::ScanRetriveAttribute&)> m_onSave;
    // Runs inside the refresh call, on the caller's thread (e.g. to hold it).
    std::function<void()> m_duringRefresh;
    CallLog m_log;

private:
    mutable std::mutex m_mutex;
    std::vector<SaveRequest> m_saves;
};

class FakeScanAPI : public ScanAPIComponent {
public:
    FakeScanAPI()
        : m_capability(std::make_shared<FakeCapability>()),
          m_defaultMailbox(std::make_shared<FakeMailBox>()) {}

    std::shared_ptr<ScannerCapability> GetScannerCapability() override { return m_capability; }
    std::shared_ptr<MailBox> GetDefaultMailBox() override { return m_defaultMailbox; }
    void SetCurrentMailBox(std::shared_ptr<MailBox> mailbox) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_current = mailbox;
    }
    std::shared_ptr<MailBox> GetCurrentMailbox() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_current;
    }
    std::shared_ptr<MailBox> GetMailBox(const wxString& name, const wxString& password) override {
        m_log.Add(("GetMailBox " + name + ":" + password).ToStdString());
        if (m_duringGetMailBox) {
            m_duringGetMailBox();
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_mailboxes.find(name);
        if (found == m_mailboxes.end() || found->second.first != password) {
            return nullptr;
        }
        return found->second.second;
    }
    std::shared_ptr<MailBox> GetMailBox(const wxString& name, const wxString& password, const wxString&,
                                        const wxString&) override {
        return GetMailBox(name, password);
    }
    int InitiateScan(const VEQTypes::ScanInitiateAttributes& attributes, int& jobId, bool leaveOpen) override {
        m_log.Add(leaveOpen ? "InitiateScan open" : "InitiateScan");
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lastScan = attributes;
        }
        if (m_initiateResult == 0) {
            jobId = m_scanJobId;
        }
        return m_initiateResult;
    }
    bool CancelScan() override {
        m_log.Add("CancelScan");
        return true;
    }
    std::shared_ptr<ServerAuthenticator> GetAuthenticator() override { return nullptr; }

    std::shared_ptr<FakeMailBox> AddMailbox(const wxString& name, const wxString& password) {
        auto mailbox = std::make_shared<FakeMailBox>(name);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_mailboxes[name] = {password, mailbox};
        return mailbox;
    }
    VEQTypes::ScanInitiateAttributes LastScan() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lastScan;
    }
    // Emits a scan event from another thread, as the pool does.
    void EmitScan(int type, int jobId, int pages, const wxString& address) {
        ScanAPIComponent::VEQScanEvent event;
        event.m_serverAddress = address;
        event.m_type = type;
        event.m_jobId = jobId;
        event.m_pageCount = pages;
        EmitFromOtherThread([this, event]() { m_scanEventSignal(event); });
    }

    std::shared_ptr<FakeCapability> m_capability;
    std::shared_ptr<FakeMailBox> m_defaultMailbox;
    int m_initiateResult = 0;
    int m_scanJobId = 41;
    // Runs inside GetMailBox, on the caller's thread (e.g. to hold it).
    std::function<void()> m_duringGetMailBox;
    CallLog m_log;

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<MailBox> m_current;
    std::map<wxString, std::pair<wxString, std::shared_ptr<FakeMailBox>>> m_mailboxes;
    VEQTypes::ScanInitiateAttributes m_lastScan;
};

class FakeServer : public Server {
public:
    explicit FakeServer(const wxString& address = "127.0.0.1")
        : Server(address), m_scanAPI(std::make_shared<FakeScanAPI>()) {}

    bool TryConnect(const wxString&) override { return m_answers; }
    bool Connect(const wxString& user, const wxString& password, bool asynchronous) override {
        m_log.Add(("Connect " + user + ":" + password + (asynchronous ? " async" : " sync")).ToStdString());
        SetStatus(m_answers ? VEQTypes::CONNECTED : VEQTypes::DISCONNECTED);
        return m_answers;
    }
    bool Disconnect(bool asynchronous) override {
        m_log.Add(asynchronous ? "Disconnect async" : "Disconnect sync");
        SetStatus(VEQTypes::DISCONNECTED);
        return true;
    }
    bool IsScanSupported() const override { return static_cast<bool>(m_scanAPI); }
    ServerInfo GetServerInfo() const override {
        ServerInfo info;
        info.m_ip = m_address;
        info.m_name = "Fake Controller";
        info.m_model = "Fake C1";
        return info;
    }
    std::shared_ptr<ScanAPIComponent> GetScanAPI() override { return m_scanAPI; }
    bool IsMailboxColumnHidden(const MailboxColumn&) override { return false; }

    void SetStatus(VEQTypes::ServerStatus status) { m_status.store(status); }
    // Changes the status and reports it from another thread, as the pool does.
    void EmitStatus(VEQTypes::ServerStatus status) {
        SetStatus(status);
        EmitFromOtherThread([this, status]() { m_serverStatusSignal(status); });
    }

    std::shared_ptr<FakeScanAPI> m_scanAPI;
    bool m_answers = true;
    CallLog m_log;
};

}  // namespace veqfake
