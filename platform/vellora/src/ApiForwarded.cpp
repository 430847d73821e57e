// Calls the system only forwards and never makes: the controller does not offer
// them (pipe connections, device counts, the session-less job calls, page
// information and the attribute session).
#include "vellora.h"

extern "C" {

VELLORA_API int INIT_connectToNonStandardServer(const char*, const char*, const char*, const char*, int, int, int,
                                                VelloraPipe*, int) {
    return VELLORA_FUNCTION_NOT_AVAILABLE;
}
VELLORA_API int INIT_usePipe(VelloraPipe*, int) { return VELLORA_FUNCTION_NOT_AVAILABLE; }
VELLORA_API int INIT_disconnectFromServer(VelloraPipe*, int) { return VELLORA_FUNCTION_NOT_AVAILABLE; }
VELLORA_API int DEV_getNumDevices(VelloraServerHandle*, int*, int) { return VELLORA_FUNCTION_NOT_AVAILABLE; }
VELLORA_API int SCAN_getJobList(VelloraScanSession*, ScanJobList**, int) { return VELLORA_FUNCTION_NOT_AVAILABLE; }
VELLORA_API int SCAN_getData(VelloraScanSession*, int, ScanAttributes*, int, char*, int*, int) {
    return VELLORA_FUNCTION_NOT_AVAILABLE;
}
VELLORA_API int SCAN_getDataEx(VelloraScanSession*, int, ScanAttributes*, int, char*, int*, int, int) {
    return VELLORA_FUNCTION_NOT_AVAILABLE;
}
VELLORA_API int SCAN_deleteJob(VelloraScanSession*, int, int) { return VELLORA_FUNCTION_NOT_AVAILABLE; }
VELLORA_API int SCAN_getScanPageInfo(VelloraScanSession*, int, int, ScanAttributes**, int) {
    return VELLORA_FUNCTION_NOT_AVAILABLE;
}
VELLORA_API int SCAN_getScanPageInfoInMailbox(VelloraScanSession*, const char*, const char*, int, int,
                                              ScanAttributes**, int) {
    return VELLORA_FUNCTION_NOT_AVAILABLE;
}
VELLORA_API int ATTR_openSession(VelloraServerHandle*, VelloraAttrSession*, int) {
    return VELLORA_FUNCTION_NOT_AVAILABLE;
}
VELLORA_API int ATTR_closeSession(VelloraAttrSession*, int) { return VELLORA_FUNCTION_NOT_AVAILABLE; }
VELLORA_API int ATTR_getDefault(VelloraAttrSession*, int, const char*, char**, int) {
    return VELLORA_FUNCTION_NOT_AVAILABLE;
}

}  // extern "C"
