// The service's interface to the controller SDK: one operation per SDK facility.
// Every operation here does nothing and returns -100 (FUNCTION_NOT_AVAILABLE)
// unless its comment says otherwise; VelloraWrapper provides them over the SDK.
// Results are the SDK's ints, 0 for success.
#pragma once

#include "vellora.h"

#include <wx/string.h>

#include <string>

class VelloraWrapperIntf {
public:
    virtual ~VelloraWrapperIntf();

    virtual int SCAN_openSession();
    virtual int SCAN_closeSession();
    virtual int SCAN_getJobList(ScanJobList** list);
    virtual int SCAN_getJobListInMailbox(const std::string& mailbox, const std::string& password,
                                         ScanJobList** list);
    virtual int SCAN_getData(int jobId, ScanAttributes* destination, int offset, char* buffer, int* length);
    virtual int SCAN_getDataEx(int jobId, ScanAttributes* destination, int offset, char* buffer, int* length,
                               int flags);
    virtual int SCAN_getDataInMailbox(const std::string& mailbox, const std::string& password, int jobId,
                                      ScanAttributes* destination, int offset, char* buffer, int* length);
    virtual int SCAN_deleteJob(int jobId);
    virtual int SCAN_deleteJobInMailbox(const std::string& mailbox, const std::string& password, int jobId);
    virtual int SCAN_isJobInMailbox(const std::string& mailbox, const std::string& password, int jobId,
                                    unsigned char* present);
    virtual int SCAN_initiateScan(ScanAttributes* attributes, int* jobId);
    virtual int SCAN_getScanPageInfo(int jobId, int page, ScanAttributes** info);
    virtual int SCAN_getScanPageInfoInMailbox(const std::string& mailbox, const std::string& password, int jobId,
                                              int page, ScanAttributes** info);
    virtual int SCAN_serverAttributes(ScanAttributes** attributes);
    // Frees list through a plain allocator, then returns -100.
    virtual int SCAN_freeScanJobList(ScanJobList* list);
    virtual int SCAN_getEvents();
    virtual int SCAN_getEvents(VelloraScanEventCallback callback);
    virtual int SCAN_getEventsEx(VelloraScanEventExCallback callback);
    virtual int SCAN_getAlertEvents();
    virtual int SCAN_getAlertEvents(VelloraScanAlertCallback callback);
    virtual int SCAN_cancelScan(int jobId);
    virtual int INIT_connectToNonStandardServer(const char* address, const char* user, const char* password);
    virtual int INIT_connectUTF8(const char* address, const char* user, const char* password);
    virtual int INIT_disconnectFromServer();
    virtual int INIT_disconnect();
    virtual int INIT_setTimeout(int seconds);
    virtual int LOCL_openSession(const char* language, const char* encoding);
    virtual int LOCL_closeSession();
    virtual int LOCL_getString(const char* key, wxString& text);
    // The SDK calls callback(context) on its own thread when the monitored
    // connection is lost; context is passed through untouched.
    virtual int NB_registerCallback(VelloraMonitorCallback callback, void* context);
    virtual bool IsInitiateScanSupported();  // true here
    virtual int INIT_monitorServer(int retries, int intervalSeconds);
    virtual int ATTR_openSession();
    virtual int ATTR_closeSession();
    virtual int ATTR_getDefault(const char* key, wxString& value);
    virtual int DEV_getNumDevices(int* count);
    virtual int AUTH_getAuthIDEx(const wxString& user, const wxString& password, bool flag, wxString& id);
    virtual int SCAN_getNumPagesInJob(int jobId, int* pages);
    virtual int NB_waitForProgress(int timeoutMilliseconds, int* progress);
    virtual int LOCL_decodeStringToUTF8(const wxString& language, const std::string& text, std::string& out,
                                        bool withByteOrderMark);
    virtual int SCAN_getBoxListInEngineBox(const std::string& user, const std::string& password,
                                           const char* filter, ScanJobList** list);
    virtual int SCAN_getJobListInEngineBox(const std::string& user, const std::string& password, int flags,
                                           const std::string& box, const std::string& boxPassword,
                                           ScanJobList** list);
    virtual int FEAT_getFeatureList();
    virtual bool IsUTF8UserNameSupported();       // false here
    virtual int GetServerTimeAdjustment();        // 0 here
    virtual std::string GetServerName();          // empty here
    virtual wxString GetStringInServerEncoding(const char* text);  // empty here
    virtual void Initialize();                    // nothing here

    // The SDK's name of a result code; "Unknown Vellora Result" for any other.
    static std::string GetVelloraResultString(VelloraResult code);
    // A multi-line description of an alert.
    static std::string GetVelloraScanAlert(const VelloraScanAlert& alert);
};
