// The server object of a Zelto controller: login and logout through the SDK,
// the server information, the scan session and its scan component, the locale
// component, the connection monitor and the server's own two-thread task pool
// on which asynchronous work and every status notification run.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include <wx/string.h>

#include "Server.h"
#include "ThreadPool.h"
#include "VEQDataSourceExport.h"
#include "vellora.h"

class LocaleComponent;

// The product name that every login presents to the controller.
VEQDATASOURCE_API extern const char kApplicationName[];

class VEQDATASOURCE_API ZeltoServer : public Server {
public:
    // Makes the scan component of a login whose scan session has just opened.
    using ScanComponentFactory = std::function<std::shared_ptr<ScanAPIComponent>(ZeltoServer&)>;

    // SCAN COMPONENT SEAM. A login that opens the scan session asks this factory
    // for its scan component. Without one set, MakeDefaultScanComponent (in
    // ZeltoServerScanComponent.cpp) makes a ZeltoScanAPIComponent. Tests
    // install their own; an empty function restores the default.
    static void SetScanComponentFactory(ScanComponentFactory factory);
    static std::shared_ptr<ScanAPIComponent> MakeDefaultScanComponent(ZeltoServer& server);

    explicit ZeltoServer(const wxString& address);
    // Waits for queued work, logs out a connected server (the status signal
    // still reports 2 and 3), releases what a lost connection left, joins the pool.
    ~ZeltoServer() override;

    int GetTimeAdjustment() override;
    bool TryConnect(const wxString& ignored) override;
    bool Connect(const wxString& user, const wxString& password, bool asynchronous) override;
    bool Disconnect(bool asynchronous) override;
    bool IsScanSupported() const override;
    ServerInfo GetServerInfo() const override;
    std::shared_ptr<ScanAPIComponent> GetScanAPI() override;
    bool IsMailboxColumnHidden(const MailboxColumn& column) override;

    boost::threadpool::pool& GetPool();
    VelloraServerHandle* GetServerhandle() const;
    VelloraScanSession* GetSessionHandle();
    std::shared_ptr<LocaleComponent> GetLocaleComponent() const;

    // Stores the status; only a real change queues one notification on the pool.
    void SetServerStatus(VEQTypes::ServerStatus status);
    bool Connect_internal(const wxString& user, const wxString& password);
    bool Disconnect_internal();
    void InitializeServerInfo(VelloraServerHandle* handle);
    long GetServerVersion(VelloraServerHandle* handle);
    bool GetSystemDictionaryValue(VelloraServerHandle* handle, const wxString& key,
                                  wxString& value);
    void GetFeatureList(VelloraServerHandle* handle, std::vector<wxString>& names,
                        std::vector<wxString>& values);
    // Local clock minus server clock, from the zone offset in the server's time text.
    void SetTimeAdjustment(const char* serverTime);
    // Minus the server's offset east of UTC in minutes, e.g. -330 for "+0530"; 0 when none.
    static int GetTimeZoneDif(const char* serverTime);
    void MonitorServer();
    // An SDK call that got no answer in time or found the connection closed
    // means the connection is lost, as when the monitor reports it: a
    // connected server goes to 3 (disconnected). Other results change nothing.
    static void NoteCallResult(Server* server, int sdkResult);

    static void MonitorServerVelloraCallback(void* context);
    static void ZeltoServerEventCallback(VelloraServerEvent* event, void* context);
    void ProcessServerEvent(VelloraServerEvent* event);

private:
    // The seam's answer for this login: the installed factory, else the default.
    static std::shared_ptr<ScanAPIComponent> MakeScanComponent(ZeltoServer& server);
    // Moves the status from expected to next; only the caller that wins queues work.
    bool ChangeServerStatus(VEQTypes::ServerStatus expected, VEQTypes::ServerStatus next);
    void EmitServerStatus(VEQTypes::ServerStatus status);
    // Closes the scan session and cancels the tickets of the current connection.
    void ReleaseSessionAndTickets();
    // Frees everything a lost connection left behind: session, tickets, handle.
    void ReleaseLostConnection();
    void SetScanComponent(std::shared_ptr<ScanAPIComponent> component);
    void SetLocaleComponent(std::shared_ptr<LocaleComponent> component);

    std::unique_ptr<boost::threadpool::pool> m_pool;
    std::shared_ptr<ScanAPIComponent> m_scanComponent;
    std::shared_ptr<LocaleComponent> m_localeComponent;
    mutable std::mutex m_componentsMutex;  // guards both component pointers
    ServerInfo m_serverInfo;
    mutable std::mutex m_infoMutex;  // guards the server information and the name
    std::atomic<VelloraServerHandle*> m_handle;
    // The scan session that SDK calls of every thread are given. Each opened
    // session is a record of its own that nobody writes once it is published
    // here: the logout closes a copy, so calls still running on the pool read
    // a stale session, which the SDK refuses, and never a half-written one.
    // The records live as long as the server.
    std::atomic<VelloraScanSession*> m_session;
    VelloraScanSession m_noSession;
    std::vector<std::unique_ptr<VelloraScanSession>> m_openedSessions;  // under m_componentsMutex
    std::atomic<bool> m_scanSessionOpen;
    std::atomic<bool> m_scanningEnabled;
    VelloraNBTicket m_serverEventsTicket;
    bool m_serverEventsRegistered;
    VelloraNBTicket m_monitorTicket;
    bool m_monitorRegistered;
    std::atomic<int> m_timeAdjustment;
};
