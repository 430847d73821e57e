// The scan component of a connected server: its capability, its mailboxes,
// scan initiation, and the scan-event and alert signals.
#pragma once

#include <memory>

#include <boost/signals2/signal.hpp>
#include <wx/string.h>

#include "VEQDataSourceExport.h"
#include "VEQTypes.h"

class MailBox;
class ScannerCapability;
class ServerAuthenticator;

class VEQDATASOURCE_API ScanAPIComponent {
public:
    // Progress of a scan.
    struct VEQScanEvent {
        enum Type : int {
            CREATED = 0,       // the scanned job exists in its mailbox
            PAGE_SCANNED = 1,
            DELETED = 2,
            CANCELLED = 3,
            FAILED = 4,
            SERVER_EVENT_5 = 6,  // the server's event type 5, passed on as it is
            TIMED_OUT = 7,
            NOT_PASSED_ON = 8    // internal: events that callers never see
        };
        wxString m_serverAddress;  // the server's GetIP() text
        int m_type = NOT_PASSED_ON;
        int m_jobId = 0;
        int m_pageCount = 0;  // for PAGE_SCANNED: pages scanned so far in this scan
    };

    // InitiateScan results.
    enum InitiateScanResult : int { SCAN_STARTED = 0, SCAN_FAILED = 1, SCAN_REFUSED_BUSY = 2 };

    ScanAPIComponent();
    virtual ~ScanAPIComponent();
    ScanAPIComponent(const ScanAPIComponent&) = delete;
    ScanAPIComponent& operator=(const ScanAPIComponent&) = delete;

    virtual std::shared_ptr<ScannerCapability> GetScannerCapability() = 0;
    virtual std::shared_ptr<MailBox> GetDefaultMailBox() = 0;
    virtual void SetCurrentMailBox(std::shared_ptr<MailBox> mailbox) = 0;
    virtual std::shared_ptr<MailBox> GetCurrentMailbox() = 0;
    // Empty on refused credentials.
    virtual std::shared_ptr<MailBox> GetMailBox(const wxString& mailboxName,
                                                const wxString& mailboxPassword) = 0;
    virtual std::shared_ptr<MailBox> GetMailBox(const wxString& mailboxName,
                                                const wxString& mailboxPassword,
                                                const wxString& userName,
                                                const wxString& userPassword) = 0;
    // 0 started, 1 failed, 2 refused by the server as busy.
    virtual int InitiateScan(const VEQTypes::ScanInitiateAttributes& attributes, int& jobId,
                             bool leaveOpen) = 0;
    virtual bool CancelScan() = 0;
    virtual std::shared_ptr<ServerAuthenticator> GetAuthenticator() = 0;

    // Both fire on the server's pool threads.
    boost::signals2::signal<void(ScanAPIComponent::VEQScanEvent)> m_scanEventSignal;
    boost::signals2::signal<void(wxString)> m_alertSignal;  // a ready-to-show text
};
