#include "vellora_wire/Ops.h"

namespace vwire {

const char* OpFunctionName(uint16_t op) {
    switch (op) {
        case kOpHello: return "INIT_connectUTF8";
        case kOpBye: return "INIT_disconnect";
        case kOpPing: return "PING";
        case kOpDiscover: return "DISCOV_getZeltoList";
        case kOpServerInfo: return "SERVER_getInfo";
        case kOpDeviceInfo: return "DEV_getInfo";
        case kOpDictRead: return "QMVM_dictRead";
        case kOpFeatures: return "FEAT_getFeatureList";
        case kOpAuthId: return "AUTH_getAuthIDEx";
        case kOpSubscribeServer: return "SERVER_getEventsEx";
        case kOpSubscribeScanEx: return "SCAN_getEventsEx";
        case kOpSubscribeScan: return "SCAN_getEvents";
        case kOpSubscribeAlerts: return "SCAN_getAlertEvents";
        case kOpMonitor: return "INIT_monitorServer";
        case kOpTicketEnd: return "NB_cancel";
        case kOpLocaleOpen: return "LOCL_openSession";
        case kOpLocaleClose: return "LOCL_closeSession";
        case kOpLocaleGet: return "LOCL_getString";
        case kOpLocaleGetContext: return "LOCL_getStringWithContext";
        case kOpDefaultEncoding: return "LOCL_getDefaultEncoding";
        case kOpScanOpen: return "SCAN_openSession";
        case kOpScanClose: return "SCAN_closeSession";
        case kOpScanAttributes: return "SCAN_serverAttributes";
        case kOpScanInitiate: return "SCAN_initiateScan";
        case kOpScanFinish: return "SCAN_finish";
        case kOpScanCancel: return "SCAN_cancelScan";
        case kOpJobListMailbox: return "SCAN_getJobListInMailbox";
        case kOpJobListEngineBox: return "SCAN_getJobListInEngineBox";
        case kOpBoxListEngineBox: return "SCAN_getBoxListInEngineBox";
        case kOpNumPages: return "SCAN_getNumPagesInJob";
        case kOpIsJobInMailbox: return "SCAN_isJobInMailbox";
        case kOpDeleteJob: return "SCAN_deleteJobInMailbox";
        case kOpGetData:
        case kOpGetDataAhead:
        case kOpDataTaken: return "SCAN_getDataInMailbox";
        default: return nullptr;
    }
}

}  // namespace vwire
