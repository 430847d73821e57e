// The service's one object per connected server through which every SDK call of
// the service passes. It owns the server handle, the scan session and the
// asynchronous tickets of the connection, remembers which are open, and releases
// them in a fixed order when destroyed: locale session, scan session (after the
// event and alert tickets), attribute session, connection (after the monitor
// ticket), then a pause of one second. A close that fails keeps its flag, so
// the destructor tries again. Used by one thread at a time; no lock of its own.
#pragma once

#include "VellMemoryAllocator.h"
#include "VelloraWrapperIntf.h"

#include <atomic>
#include <functional>

class VelloraWrapper : public VelloraWrapperIntf, public VellMemoryAllocator {
public:
    // A new wrapper, initialised; the caller deletes it.
    static VelloraWrapper* New();
    // The last SDK call of the service, once every wrapper is gone.
    static void VelloraUnload();
    // Replaces the pause at the end of every destruction (seconds; ::sleep by
    // default), so that tests need not wait; null restores the default.
    static void SetTeardownSleep(std::function<void(unsigned)> sleeper);

    ~VelloraWrapper() override;

    int SCAN_openSession() override;
    int SCAN_closeSession() override;
    int SCAN_getJobList(ScanJobList** list) override;
    int SCAN_getJobListInMailbox(const std::string& mailbox, const std::string& password,
                                 ScanJobList** list) override;
    int SCAN_getData(int jobId, ScanAttributes* destination, int offset, char* buffer, int* length) override;
    int SCAN_getDataEx(int jobId, ScanAttributes* destination, int offset, char* buffer, int* length,
                       int flags) override;
    int SCAN_getDataInMailbox(const std::string& mailbox, const std::string& password, int jobId,
                              ScanAttributes* destination, int offset, char* buffer, int* length) override;
    int SCAN_deleteJob(int jobId) override;
    int SCAN_deleteJobInMailbox(const std::string& mailbox, const std::string& password, int jobId) override;
    int SCAN_isJobInMailbox(const std::string& mailbox, const std::string& password, int jobId,
                            unsigned char* present) override;
    int SCAN_initiateScan(ScanAttributes* attributes, int* jobId) override;
    int SCAN_getScanPageInfo(int jobId, int page, ScanAttributes** info) override;
    int SCAN_getScanPageInfoInMailbox(const std::string& mailbox, const std::string& password, int jobId, int page,
                                      ScanAttributes** info) override;
    int SCAN_serverAttributes(ScanAttributes** attributes) override;
    int SCAN_freeScanJobList(ScanJobList* list) override;
    int SCAN_getEvents() override;
    int SCAN_getEvents(VelloraScanEventCallback callback) override;
    int SCAN_getEventsEx(VelloraScanEventExCallback callback) override;
    int SCAN_getAlertEvents() override;
    int SCAN_getAlertEvents(VelloraScanAlertCallback callback) override;
    int SCAN_cancelScan(int jobId) override;
    int INIT_connectToNonStandardServer(const char* address, const char* user, const char* password) override;
    // Connects, reads the features and the server's default encoding; the result
    // of a good connect is that of the encoding query.
    int INIT_connectUTF8(const char* address, const char* user, const char* password) override;
    int INIT_disconnectFromServer() override;
    int INIT_disconnect() override;
    int INIT_setTimeout(int seconds) override;
    int LOCL_openSession(const char* language, const char* encoding) override;
    int LOCL_closeSession() override;
    int LOCL_getString(const char* key, wxString& text) override;
    int NB_registerCallback(VelloraMonitorCallback callback, void* context) override;
    bool IsInitiateScanSupported() override;
    // A monitor that succeeds holds its ticket at once, so that it is released
    // even when registering its callback fails.
    int INIT_monitorServer(int retries, int intervalSeconds) override;
    int ATTR_openSession() override;
    int ATTR_closeSession() override;
    int ATTR_getDefault(const char* key, wxString& value) override;
    int DEV_getNumDevices(int* count) override;
    int AUTH_getAuthIDEx(const wxString& user, const wxString& password, bool flag, wxString& id) override;
    int SCAN_getNumPagesInJob(int jobId, int* pages) override;
    int NB_waitForProgress(int timeoutMilliseconds, int* progress) override;
    int LOCL_decodeStringToUTF8(const wxString& language, const std::string& text, std::string& out,
                                bool withByteOrderMark) override;
    int SCAN_getBoxListInEngineBox(const std::string& user, const std::string& password, const char* filter,
                                   ScanJobList** list) override;
    int SCAN_getJobListInEngineBox(const std::string& user, const std::string& password, int flags,
                                   const std::string& box, const std::string& boxPassword,
                                   ScanJobList** list) override;
    int FEAT_getFeatureList() override;
    bool IsUTF8UserNameSupported() override;
    std::string GetServerName() override;
    wxString GetStringInServerEncoding(const char* text) override;

    // SDK heap: vellora_malloc (std::bad_alloc when it gives null) and vellora_free.
    void* AllocateMemory(size_t size, const char* file, int line) override;
    void FreeMemory(void* p) override;

    // Ends the connection at once, from any thread, also while another thread
    // waits in a call on it: that call and every later one fail. The wrapper
    // has then nothing left to wind down, so its destruction makes no pause.
    void AbortConnection();

    bool IsVelloraServerHandleMatch(const VelloraServerHandle* handle) const;
    int ReleaseCallbackEventNBTicket();
    int ReleaseCallbackAlertEventNBTicket();
    int ReleaseServerMonitorNBTicket();
    // Cancel, block, destroy; the first failure or the last result.
    static int ReleaseNBTicket(VelloraNBTicket& ticket);
    static void* VelloraMalloc(size_t size);
    static void VelloraFree(void* p);

    // The server's version number from its system dictionary; 0 when unknown.
    long GetServerVersion();
    // As GetServerVersion, telling a server that answered (0; version 0 when
    // its text is no number or it has none) from a read that failed (the SDK's
    // failure code), which may succeed when tried again.
    int ReadServerVersion(long& version);
    // A value of the "WB3_SYSTEM" dictionary; empty on failure.
    wxString GetSystemDictionaryValue(const char* key);

    bool IsConnected() const { return m_connected; }
    bool IsScanSessionOpen() const { return m_scanOpen; }
    bool IsMonitorTicketHeld() const { return m_monitorTicketHeld; }
    bool IsEventTicketHeld() const { return m_eventTicketHeld; }

protected:
    VelloraWrapper();

private:
    // A value of the "WB3_SYSTEM" dictionary; the SDK's result.
    int ReadSystemDictionaryValue(const char* key, wxString& value);
    // Releases a ticket when held; its flag stays set when that fails.
    static int ReleaseHeld(VelloraNBTicket& ticket, bool& held);

    bool m_loclOpen = false;
    bool m_scanOpen = false;
    bool m_connected = false;
    bool m_attrOpen = false;
    VelloraPipe m_pipe{};
    VelloraServerHandle* m_server = nullptr;
    VelloraScanSession m_scanSession{};
    VelloraNBTicket m_eventTicket{};
    VelloraNBTicket m_alertTicket{};
    VelloraNBTicket m_monitorTicket{};
    VelloraLocaleSession m_localeSession{};
    VelloraAttrSession m_attrSession{};
    bool m_eventTicketHeld = false;
    bool m_alertTicketHeld = false;
    bool m_monitorTicketHeld = false;
    bool m_utf8UserNames = false;
    wxString m_defaultEncoding;
    std::atomic<bool> m_aborted{false};
};
