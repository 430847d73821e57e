// Helpers of the mailbox, save, retriever and scan-component tests: a
// simulated controller with small jobs of known content, a connected server,
// the expected bytes of a job, and a recorder of job-save events.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "JobContent.h"
#include "MailBox.h"
#include "ScanAPIComponent.h"
#include "ServerTestSupport.h"
#include "VEQDataSource.h"
#include "ZeltoServer.h"
#include "ZeltoServerMailBox.h"

namespace mailboxtest {

// A controller with an empty default mailbox "" and a mailbox "Accounting"
// (password "1234"); scans take a few milliseconds per page.
inline Json::Value EmptyMailboxesFixture() {
    Json::Value fixture = servertest::DemoWith(servertest::ParseJson(R"({
        "mailboxes": [
            {"name": "", "password": "", "jobs": []},
            {"name": "Accounting", "password": "1234", "jobs": []}
        ]})"));
    fixture["scanning"]["pageDelayMs"] = 20;
    return fixture;
}

// A small job of known content: its seed fixes the bytes.
inline zeltosim::JobOptions SmallJob(int id, int pages, std::vector<std::string> formats,
                                     const std::string& mailbox = "") {
    zeltosim::JobOptions job;
    job.id = id;
    job.mailbox = mailbox;
    job.name = "Job" + std::to_string(id);
    job.pages = pages;
    job.formats = std::move(formats);
    job.widthPx = 96;
    job.heightPx = 128;
    job.seed = static_cast<uint32_t>(1000 + id);
    return job;
}

// The bytes the controller serves for a job's page (0 = whole) in a format.
inline std::string ExpectedContent(const zeltosim::JobOptions& job, zeltosim::ContentFormat format,
                                   int page) {
    zeltosim::JobSpec spec;
    spec.seed = job.seed;
    spec.pages = job.pages;
    spec.widthPx = job.widthPx;
    spec.heightPx = job.heightPx;
    spec.color = job.color;
    spec.paddingBytesPerPage = job.paddingBytesPerPage;
    const std::shared_ptr<const zeltosim::JobDocument> document =
        zeltosim::JobDocument::Make(spec, format, page);
    if (!document) return std::string();
    std::string bytes(document->Size(), '\0');
    document->Read(0, &bytes[0], bytes.size());
    return bytes;
}

// What to retrieve of a job: format, page (0 = whole) and job id.
inline VEQTypes::ScanRetriveAttribute Request(VEQTypes::FileFormat format, int page, int jobId) {
    VEQTypes::ScanRetriveAttribute request;
    request.m_format = format;
    request.m_pageIndex = page;
    request.m_jobId = jobId;
    return request;
}

// A server of the data source connected as guest to the controller.
inline std::shared_ptr<ZeltoServer> ConnectedServer() {
    std::shared_ptr<ZeltoServer> server =
        std::dynamic_pointer_cast<ZeltoServer>(VEQDataSource::Get().CreateServer("127.0.0.1"));
    if (!server || !server->Connect("guest", "", false)) return nullptr;
    return server;
}

// A controller with empty mailboxes and the mailbox "Accounting" (password
// "1234") opened over a guest login.
class AccountingMailboxTest : public ::testing::Test {
protected:
    AccountingMailboxTest() : m_controller(EmptyMailboxesFixture()) {}

    zeltosim::Simulator& Sim() { return m_controller.Sim(); }

    // Adds the jobs to the controller, connects and opens "Accounting", so
    // that its first listing holds them.
    std::shared_ptr<ZeltoServerMailBox> Open(const std::vector<zeltosim::JobOptions>& jobs = {}) {
        for (const auto& job : jobs) Sim().AddJob(job);
        m_server = ConnectedServer();
        if (!m_server) return nullptr;
        return std::make_shared<ZeltoServerMailBox>(m_server.get(), "Accounting", "1234");
    }

    servertest::SimulatedController m_controller;
    std::shared_ptr<ZeltoServer> m_server;
};

struct SaveEvent {
    int kind;
    int jobId;
    std::string address;
    int percent;
    std::string message;
};

// Every job-save event of a mailbox, in arrival order.
class SaveEventRecorder {
public:
    explicit SaveEventRecorder(MailBox& mailbox) {
        m_connection = mailbox.m_jobSaveSignal.connect([this](MailBox::JobSaveEvent event) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back({event.m_eventKind, event.m_jobId,
                                std::string(event.m_serverAddress.utf8_str()), event.m_percent,
                                std::string(event.m_message.utf8_str())});
        });
    }
    ~SaveEventRecorder() { m_connection.disconnect(); }

    std::vector<SaveEvent> Events() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }
    std::vector<int> Kinds() {
        std::vector<int> kinds;
        for (const SaveEvent& e : Events()) kinds.push_back(e.kind);
        return kinds;
    }
    std::vector<int> Percents() {
        std::vector<int> percents;
        for (const SaveEvent& e : Events()) percents.push_back(e.percent);
        return percents;
    }
    // Waits for a completed or failed event; false after the deadline.
    bool WaitForEnd() {
        return veqtest::WaitFor([this] {
            for (const SaveEvent& e : Events())
                if (e.kind == MailBox::JobSaveEvent::COMPLETED ||
                    e.kind == MailBox::JobSaveEvent::FAILED)
                    return true;
            return false;
        });
    }
    int LastKind() {
        const std::vector<SaveEvent> events = Events();
        return events.empty() ? -1 : events.back().kind;
    }

private:
    std::mutex m_mutex;
    std::vector<SaveEvent> m_events;
    boost::signals2::connection m_connection;
};

// Every scan event of a component, in arrival order.
class ScanEventRecorder {
public:
    explicit ScanEventRecorder(ScanAPIComponent& component) {
        m_connection = component.m_scanEventSignal.connect([this](ScanAPIComponent::VEQScanEvent e) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back(e);
        });
    }
    ~ScanEventRecorder() { m_connection.disconnect(); }

    std::vector<ScanAPIComponent::VEQScanEvent> Events() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }
    bool WaitForType(int type) {
        return veqtest::WaitFor([&] {
            for (const auto& e : Events())
                if (e.m_type == type) return true;
            return false;
        });
    }

private:
    std::mutex m_mutex;
    std::vector<ScanAPIComponent::VEQScanEvent> m_events;
    boost::signals2::connection m_connection;
};

}  // namespace mailboxtest
