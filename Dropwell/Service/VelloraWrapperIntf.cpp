#include "VelloraWrapperIntf.h"

#include "VellMemoryAllocator.h"

#include <cstdio>
#include <cstring>
#include <map>

namespace {
constexpr int kNotAvailable = VELLORA_FUNCTION_NOT_AVAILABLE;
}

VelloraWrapperIntf::~VelloraWrapperIntf() = default;

int VelloraWrapperIntf::SCAN_openSession() { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_closeSession() { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_getJobList(ScanJobList**) { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_getJobListInMailbox(const std::string&, const std::string&, ScanJobList**) {
    return kNotAvailable;
}
int VelloraWrapperIntf::SCAN_getData(int, ScanAttributes*, int, char*, int*) { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_getDataEx(int, ScanAttributes*, int, char*, int*, int) { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_getDataInMailbox(const std::string&, const std::string&, int, ScanAttributes*, int,
                                              char*, int*) {
    return kNotAvailable;
}
int VelloraWrapperIntf::SCAN_deleteJob(int) { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_deleteJobInMailbox(const std::string&, const std::string&, int) { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_isJobInMailbox(const std::string&, const std::string&, int, unsigned char*) {
    return kNotAvailable;
}
int VelloraWrapperIntf::SCAN_initiateScan(ScanAttributes*, int*) { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_getScanPageInfo(int, int, ScanAttributes**) { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_getScanPageInfoInMailbox(const std::string&, const std::string&, int, int,
                                                      ScanAttributes**) {
    return kNotAvailable;
}
int VelloraWrapperIntf::SCAN_serverAttributes(ScanAttributes**) { return kNotAvailable; }

int VelloraWrapperIntf::SCAN_freeScanJobList(ScanJobList* list) {
    VellMemoryAllocator allocator;
    allocator.FreeScanJobList(&list);
    return kNotAvailable;
}

int VelloraWrapperIntf::SCAN_getEvents() { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_getEvents(VelloraScanEventCallback) { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_getEventsEx(VelloraScanEventExCallback) { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_getAlertEvents() { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_getAlertEvents(VelloraScanAlertCallback) { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_cancelScan(int) { return kNotAvailable; }
int VelloraWrapperIntf::INIT_connectToNonStandardServer(const char*, const char*, const char*) { return kNotAvailable; }
int VelloraWrapperIntf::INIT_connectUTF8(const char*, const char*, const char*) { return kNotAvailable; }
int VelloraWrapperIntf::INIT_disconnectFromServer() { return kNotAvailable; }
int VelloraWrapperIntf::INIT_disconnect() { return kNotAvailable; }
int VelloraWrapperIntf::INIT_setTimeout(int) { return kNotAvailable; }
int VelloraWrapperIntf::LOCL_openSession(const char*, const char*) { return kNotAvailable; }
int VelloraWrapperIntf::LOCL_closeSession() { return kNotAvailable; }
int VelloraWrapperIntf::LOCL_getString(const char*, wxString&) { return kNotAvailable; }
int VelloraWrapperIntf::NB_registerCallback(VelloraMonitorCallback, void*) { return kNotAvailable; }
bool VelloraWrapperIntf::IsInitiateScanSupported() { return true; }
int VelloraWrapperIntf::INIT_monitorServer(int, int) { return kNotAvailable; }
int VelloraWrapperIntf::ATTR_openSession() { return kNotAvailable; }
int VelloraWrapperIntf::ATTR_closeSession() { return kNotAvailable; }
int VelloraWrapperIntf::ATTR_getDefault(const char*, wxString&) { return kNotAvailable; }
int VelloraWrapperIntf::DEV_getNumDevices(int*) { return kNotAvailable; }
int VelloraWrapperIntf::AUTH_getAuthIDEx(const wxString&, const wxString&, bool, wxString&) { return kNotAvailable; }
int VelloraWrapperIntf::SCAN_getNumPagesInJob(int, int*) { return kNotAvailable; }
int VelloraWrapperIntf::NB_waitForProgress(int, int*) { return kNotAvailable; }
int VelloraWrapperIntf::LOCL_decodeStringToUTF8(const wxString&, const std::string&, std::string&, bool) {
    return kNotAvailable;
}
int VelloraWrapperIntf::SCAN_getBoxListInEngineBox(const std::string&, const std::string&, const char*,
                                                   ScanJobList**) {
    return kNotAvailable;
}
int VelloraWrapperIntf::SCAN_getJobListInEngineBox(const std::string&, const std::string&, int, const std::string&,
                                                   const std::string&, ScanJobList**) {
    return kNotAvailable;
}
int VelloraWrapperIntf::FEAT_getFeatureList() { return kNotAvailable; }
bool VelloraWrapperIntf::IsUTF8UserNameSupported() { return false; }
int VelloraWrapperIntf::GetServerTimeAdjustment() { return 0; }
std::string VelloraWrapperIntf::GetServerName() { return std::string(); }
wxString VelloraWrapperIntf::GetStringInServerEncoding(const char*) { return wxString(); }
void VelloraWrapperIntf::Initialize() {}

std::string VelloraWrapperIntf::GetVelloraResultString(VelloraResult code) {
    static const std::map<int, const char*> kNames = {
        {0, "OK"},
        {-1, "BAD_PARAM"},
        {-2, "ACCESS_DENIED"},
        {-3, "SYSTEM_ERROR"},
        {-5, "FILE_NOT_FOUND"},
        {-6, "BUSY"},
        {-7, "HOST_NOT_FOUND"},
        {-8, "HOST_UNREACHABLE"},
        {-9, "CONNECTION_FAILED"},
        {-10, "PROTOCOL_ERROR"},
        {-11, "GENERAL_FAILURE"},
        {-12, "INVALID_HANDLE"},
        {-13, "LP_NOT_FOUND"},
        {-14, "LP_EXISTS"},
        {-15, "ITEM_NOT_FOUND"},
        {-16, "BAD_DEVICE_INDEX"},
        {-17, "NO_SUCH_SCOPE"},
        {-18, "KEY_NOT_FOUND"},
        {-19, "VALUE_NOT_FOUND"},
        {-20, "MALFORMED_ATTRIBUTES"},
        {-21, "INVALID_SCOPE"},
        {-22, "CONSTRAINTS_VIOLATED"},
        {-23, "FILE_LOCKED"},
        {-24, "OUT_OF_MEMORY"},
        {-30, "LOCL_PARMERR"},
        {-31, "LOCL_NOMEMERR"},
        {-32, "LOCL_INVALID_HANDLE"},
        {-33, "LOCL_UNKNOWN_KEY"},
        {-34, "LOCL_INVALID_LOCALE"},
        {-35, "LOCL_INVALID_ENCODING"},
        {-36, "LOCL_INTERNAL_ERROR"},
        {-37, "LOCL_UNSUPPORTED"},
        {-38, "OFFSET_OUT_OF_RANGE"},
        {-39, "BAD_LIMIT"},
        {-40, "ACTION_UNNECESSARY"},
        {-41, "PARAMETER_MAY_NOT_BE_NULL"},
        {-42, "NO_DEFAULT"},
        {-43, "NO_CONSTRAINTS"},
        {-50, "JOB_NOT_FOUND"},
        {-51, "BAD_PATH"},
        {-52, "ARCHIVE_NOT_FOUND"},
        {-53, "DISK_FULL"},
        {-54, "TAB_EXISTS"},
        {-60, "NO_RETURN"},
        {-61, "CANNOT_REUSE_NBTICKET"},
        {-99, "FUNCTION_NOT_COMPATIBLE"},
        {-100, "FUNCTION_NOT_AVAILABLE"},
        {-101, "PENDING"},
        {-102, "TIMEOUT"},
        {-103, "CANCELED"},
        {-104, "ACTION_NOT_SUPPORTED"},
        {-110, "ADDRESS_DATABASE_OPEN_ERROR"},
        {-111, "ADDRESS_DATABASE_WRITE_ERROR"},
        {-112, "ADDRESS_SERVICE_ERROR"},
        {-113, "ADDRESS_DUPLICATE_ENTRY"},
        {-200, "SCAN_DEST_NOT_SUPPORTED"},
        {-201, "SCAN_DEST_FAILED"},
        {-202, "SCAN_DISK_PARTITION_FULL"},
        {101, "Vellora_core.dll is not found"},
        {102, "Vellora10.dll is not found"},
        {103, "Vellora_qmv.dll is not found"},
        {104, "Vellora_scan.dll is not found"},
        {105, "A vellora function is not found"},
    };
    auto it = kNames.find(code);
    return it == kNames.end() ? "Unknown Vellora Result" : it->second;
}

std::string VelloraWrapperIntf::GetVelloraScanAlert(const VelloraScanAlert& alert) {
    char line[64];
    std::snprintf(line, sizeof line, "ID = %d\n", alert.id);
    std::string text = line;
    std::snprintf(line, sizeof line, "\tkind = %d\n", alert.kind);
    text += line;
    std::snprintf(line, sizeof line, "\thas_message = %d\n", alert.has_message);
    text += line;
    text += "\tmessage = ";
    if (alert.text && alert.length > 0) text.append(alert.text, strnlen(alert.text, size_t(alert.length)));
    return text;
}
