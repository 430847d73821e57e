// The scan component of a connected Zelto controller: capability, attribute
// utility and authenticator built from the server's scan attributes, the
// default, current and cached mailboxes, scan initiation and cancellation, and
// the SDK's scan events and alerts turned into the component's signals.
//
// Events and alerts arrive on SDK threads; they are copied there and processed
// on the server's pool one at a time, in arrival order. Make the component
// with std::make_shared: its queued work shares it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include <wx/string.h>

#include "OrderedTaskQueue.h"
#include "ScanAPIComponent.h"
#include "VEQDataSourceExport.h"
#include "VelloraUtil.h"
#include "vellora.h"

class ScanAttributeUtil;
class Server;
class ZeltoServer;

class VEQDATASOURCE_API ZeltoScanAPIComponent
    : public ScanAPIComponent,
      public std::enable_shared_from_this<ZeltoScanAPIComponent> {
public:
    // How long InitiateScan waits for the first event of a scan.
    static constexpr int kFirstEventWaitSeconds = 10;

    explicit ZeltoScanAPIComponent(ZeltoServer* server);
    ~ZeltoScanAPIComponent() override;

    std::shared_ptr<ScannerCapability> GetScannerCapability() override;
    std::shared_ptr<MailBox> GetDefaultMailBox() override;
    void SetCurrentMailBox(std::shared_ptr<MailBox> mailbox) override;
    std::shared_ptr<MailBox> GetCurrentMailbox() override;
    // The same object for the same mailbox id, refreshed on each later call.
    std::shared_ptr<MailBox> GetMailBox(const wxString& mailboxName,
                                        const wxString& mailboxPassword) override;
    // An engine box of the user when the server has engine boxes; else as above.
    std::shared_ptr<MailBox> GetMailBox(const wxString& mailboxName,
                                        const wxString& mailboxPassword,
                                        const wxString& userName,
                                        const wxString& userPassword) override;
    // Blocks: up to 10 seconds for the first event, and with leaveOpen false
    // until the scan ends (or the connection is gone). Never call it on one of
    // the server's pool threads.
    int InitiateScan(const VEQTypes::ScanInitiateAttributes& attributes, int& jobId,
                     bool leaveOpen) override;
    bool CancelScan() override;
    std::shared_ptr<ServerAuthenticator> GetAuthenticator() override;

    std::shared_ptr<ScanAttributeUtil> GetScanAttributeUtil();
    // Refreshes the default mailbox when it holds the job, else the current one when it does.
    void UpdateMailbox(int jobId);

    // Called on SDK threads: copy the event and queue its processing.
    void ProcessScanEvent(VelloraScanEventEx* event);
    void ProcessScanAlertEvent(VelloraScanAlert* alert);
    // Their halves on the pool.
    void ProcessScanEvent_internal(VelloraUtil::VEQVelloraScanEventEx* copy);
    void ProcessScanAlertEvent_internal(VelloraScanAlert* copy);

    static void ZeltoServerScanEventCallback(VelloraScanEventEx* event);
    static void ZeltoServerScanAlertEventCallback(VelloraScanAlert* alert);

private:
    void Initialize();
    // The component of the server that owns handle, when it is this kind and still serves it.
    static std::shared_ptr<ZeltoScanAPIComponent> ComponentForHandle(VelloraServerHandle* handle);
    void MarkScanEnded();
    // Waits until an ending event marked the scan ended, or the server is no longer connected.
    void WaitForScanEnd();
    std::shared_ptr<MailBox> CachedMailBox(const wxString& id);

    ZeltoServer* m_server;  // the owner; not owned
    VelloraServerHandle* m_handle;
    VelloraNBTicket m_eventTicket;
    bool m_eventsRegistered;
    VelloraNBTicket m_alertTicket;
    bool m_alertsRegistered;

    std::atomic<int> m_currentJobId;

    // The last event seen, and the wait of InitiateScan for the first one.
    std::mutex m_firstEventMutex;
    std::condition_variable m_firstEventCondition;
    int m_lastEventType;
    int m_lastEventJobId;
    std::atomic<bool> m_waitingForFirstEvent;

    std::atomic<bool> m_scanActive;
    std::atomic<int> m_pageCounter;
    std::mutex m_endMutex;
    std::condition_variable m_endCondition;
    bool m_scanEnded;

    std::shared_ptr<ScanAttributeUtil> m_attributeUtil;
    std::shared_ptr<ScannerCapability> m_capability;
    std::shared_ptr<ServerAuthenticator> m_authenticator;
    std::mutex m_mailboxMutex;  // guards the cache and both mailbox pointers
    std::map<wxString, std::shared_ptr<MailBox>> m_mailboxCache;
    std::shared_ptr<MailBox> m_defaultMailbox;
    std::shared_ptr<MailBox> m_currentMailbox;

    OrderedTaskQueue m_eventQueue;
};
