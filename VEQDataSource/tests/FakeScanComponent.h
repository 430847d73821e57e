// A scan component and capability of the tests' own, installed through the
// server's scan-component factory, to see what the server does with them.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "MailBox.h"
#include "ScanAPIComponent.h"
#include "ScannerCapability.h"
#include "ServerAuthenticator.h"
#include "ZeltoServer.h"

namespace servertest {

class FakeCapability : public ScannerCapability {
public:
    explicit FakeCapability(bool scansEnabled) : m_scansEnabled(scansEnabled) {}

    bool IsVeqoraEnabled() override { return m_scansEnabled; }
    const std::vector<ScannerAttribute>& GetScanSources() override { return m_none; }
    const std::vector<ScannerAttribute>& GetValidPageSizes() override { return m_none; }
    const std::vector<ScannerAttribute>& GetValidResolutions() override { return m_none; }
    const std::vector<ScannerAttribute>& GetSidesToScanOption() override { return m_none; }
    const std::vector<ScannerAttribute>& GetVEQColorModes() override { return m_none; }
    const std::vector<ScannerAttribute>& GetSupportedOrientation() override { return m_none; }
    std::pair<int, int> GetMaxResolution() override { return {0, 0}; }
    ScannerAttribute GetDefaultResolution() override { return ScannerAttribute(); }
    std::vector<VEQTypes::FileFormat> GetSupportedFileFormat() override { return {}; }
    std::vector<VEQTypes::FileFormat> GetSupportedFileFormat(
        const VEQTypes::ScanInitiateAttributes&) override {
        return {};
    }
    const VEQTypes::FileFormat& GetDefaultFileFormat() override { return m_format; }
    bool MailBoxAuthenticationSupported() override { return m_mailboxAuthentication; }
    bool CanServerSupportEngineBox() override { return m_engineBox; }
    bool CanServerSupportEngineAuthentication() override { return m_engineAuthentication; }
    wxString GetEngineAuth() override { return wxString(); }
    bool CanServerSupportsAccountTrackLogin() override { return m_accountTrack; }

    bool m_scansEnabled;
    bool m_mailboxAuthentication = true;
    bool m_engineBox = false;
    bool m_engineAuthentication = false;
    bool m_accountTrack = false;

private:
    std::vector<ScannerAttribute> m_none;
    VEQTypes::FileFormat m_format = VEQTypes::PDF;
};

// Counts the components alive and the scans cancelled, process-wide.
struct FakeScanCounters {
    std::atomic<int> alive{0};
    std::atomic<int> made{0};
    std::atomic<int> cancelled{0};
};

inline FakeScanCounters& Counters() {
    static FakeScanCounters counters;
    return counters;
}

class FakeScanComponent : public ScanAPIComponent {
public:
    explicit FakeScanComponent(std::shared_ptr<ScannerCapability> capability)
        : m_capability(std::move(capability)) {
        ++Counters().alive;
        ++Counters().made;
    }
    ~FakeScanComponent() override { --Counters().alive; }

    std::shared_ptr<ScannerCapability> GetScannerCapability() override { return m_capability; }
    std::shared_ptr<MailBox> GetDefaultMailBox() override { return nullptr; }
    void SetCurrentMailBox(std::shared_ptr<MailBox>) override {}
    std::shared_ptr<MailBox> GetCurrentMailbox() override { return nullptr; }
    std::shared_ptr<MailBox> GetMailBox(const wxString&, const wxString&) override {
        return nullptr;
    }
    std::shared_ptr<MailBox> GetMailBox(const wxString&, const wxString&, const wxString&,
                                        const wxString&) override {
        return nullptr;
    }
    int InitiateScan(const VEQTypes::ScanInitiateAttributes&, int&, bool) override {
        return SCAN_FAILED;
    }
    bool CancelScan() override {
        ++Counters().cancelled;
        return true;
    }
    std::shared_ptr<ServerAuthenticator> GetAuthenticator() override { return nullptr; }

private:
    std::shared_ptr<ScannerCapability> m_capability;
};

// Installs a factory of fake components for the scope; a null capability
// makes components without one.
class ScopedFakeScanComponents {
public:
    explicit ScopedFakeScanComponents(std::shared_ptr<ScannerCapability> capability) {
        ZeltoServer::SetScanComponentFactory([capability](ZeltoServer&) {
            return std::make_shared<FakeScanComponent>(capability);
        });
    }
    ~ScopedFakeScanComponents() { ZeltoServer::SetScanComponentFactory(nullptr); }
};

}  // namespace servertest
