/*
 * vellora.h - the controller SDK as this system calls it.
 *
 * A C library that talks to a controller (here the simulated controller
 * zelto-sim) over TCP on loopback. Every call returns an int result, 0 = OK.
 * Texts are UTF-8. Every text or list the library hands out is freed by the
 * library (vellora_free, freeStringList, SCAN_freeScanJobList, *_freeInfo).
 * Trailing "reserved" arguments are passed as 0 by callers.
 *
 * Where the controller is: only loopback is ever contacted (127.0.0.0/8, ::1,
 * "localhost"); any other address gets VELLORA_HOST_UNREACHABLE before anything
 * is sent. Callers pass -1 as the port of INIT_connectUTF8, so the port comes
 * from the environment variable VELLORA_PORT, read at each connect and each
 * discovery (default 18630). VELLORA_TIMEOUT_MS, when set to a positive number
 * of milliseconds, replaces every time-out (connect, INIT_setTimeout), so that
 * tests of callers that always set 60 seconds can run short. The default
 * time-out of a connection is 60 seconds.
 *
 * Threads: calls on one handle are safe from any thread. A null, closed or
 * stale handle or session gives VELLORA_INVALID_HANDLE (locale sessions:
 * VELLORA_LOCL_INVALID_HANDLE). Callbacks run on the library's own threads,
 * never inside the caller's own call. A call that gets no answer within the
 * time-out gives VELLORA_TIMEOUT; a lost connection gives
 * VELLORA_CONNECTION_FAILED. Malformed frames close the connection with a
 * line on stderr.
 */
#ifndef VELLORA_H
#define VELLORA_H

#include <stddef.h>

#if defined(VELLORA_BUILDING_LIBRARY)
#define VELLORA_API __attribute__((visibility("default")))
#else
#define VELLORA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Result codes ------------------------------------------------------ */
typedef int VelloraResult;

enum {
    VELLORA_OK = 0,
    VELLORA_BAD_PARAM = -1,
    VELLORA_ACCESS_DENIED = -2,
    VELLORA_SYSTEM_ERROR = -3,
    VELLORA_FILE_NOT_FOUND = -5,
    VELLORA_BUSY = -6,
    VELLORA_HOST_NOT_FOUND = -7,
    VELLORA_HOST_UNREACHABLE = -8,
    VELLORA_CONNECTION_FAILED = -9,
    VELLORA_PROTOCOL_ERROR = -10,
    VELLORA_GENERAL_FAILURE = -11,
    VELLORA_INVALID_HANDLE = -12,
    VELLORA_LP_NOT_FOUND = -13,
    VELLORA_LP_EXISTS = -14,
    VELLORA_ITEM_NOT_FOUND = -15,
    VELLORA_BAD_DEVICE_INDEX = -16,
    VELLORA_NO_SUCH_SCOPE = -17,
    VELLORA_KEY_NOT_FOUND = -18,
    VELLORA_VALUE_NOT_FOUND = -19,
    VELLORA_MALFORMED_ATTRIBUTES = -20,
    VELLORA_INVALID_SCOPE = -21,
    VELLORA_CONSTRAINTS_VIOLATED = -22,
    VELLORA_FILE_LOCKED = -23,
    VELLORA_OUT_OF_MEMORY = -24,
    VELLORA_LOCL_PARMERR = -30,
    VELLORA_LOCL_NOMEMERR = -31,
    VELLORA_LOCL_INVALID_HANDLE = -32,
    VELLORA_LOCL_UNKNOWN_KEY = -33,
    VELLORA_LOCL_INVALID_LOCALE = -34,
    VELLORA_LOCL_INVALID_ENCODING = -35,
    VELLORA_LOCL_INTERNAL_ERROR = -36,
    VELLORA_LOCL_UNSUPPORTED = -37,
    VELLORA_OFFSET_OUT_OF_RANGE = -38,
    VELLORA_BAD_LIMIT = -39,
    VELLORA_ACTION_UNNECESSARY = -40,
    VELLORA_PARAMETER_MAY_NOT_BE_NULL = -41,
    VELLORA_NO_DEFAULT = -42,
    VELLORA_NO_CONSTRAINTS = -43,
    VELLORA_JOB_NOT_FOUND = -50,
    VELLORA_BAD_PATH = -51,
    VELLORA_ARCHIVE_NOT_FOUND = -52,
    VELLORA_DISK_FULL = -53,
    VELLORA_TAB_EXISTS = -54,
    VELLORA_NO_RETURN = -60,
    VELLORA_CANNOT_REUSE_NBTICKET = -61,
    VELLORA_FUNCTION_NOT_COMPATIBLE = -99,
    VELLORA_FUNCTION_NOT_AVAILABLE = -100,
    VELLORA_PENDING = -101,
    VELLORA_TIMEOUT = -102,
    VELLORA_CANCELED = -103,
    VELLORA_ACTION_NOT_SUPPORTED = -104,
    VELLORA_ADDRESS_DATABASE_OPEN_ERROR = -110,
    VELLORA_ADDRESS_DATABASE_WRITE_ERROR = -111,
    VELLORA_ADDRESS_SERVICE_ERROR = -112,
    VELLORA_ADDRESS_DUPLICATE_ENTRY = -113,
    VELLORA_SCAN_DEST_NOT_SUPPORTED = -200,
    VELLORA_SCAN_DEST_FAILED = -201,
    VELLORA_SCAN_DISK_PARTITION_FULL = -202
};

/* ---- Scan event types (VelloraScanEventEx.type) ----------------------- */
enum {
    VELLORA_SCAN_EVENT_CREATED = 0,      /* job created / added */
    VELLORA_SCAN_EVENT_DELETED = 1,      /* job deleted (job id -1: all jobs) */
    VELLORA_SCAN_EVENT_CANCELLED = 2,
    VELLORA_SCAN_EVENT_FAILED = 3,
    VELLORA_SCAN_EVENT_IGNORED = 4,
    VELLORA_SCAN_EVENT_5 = 5,
    VELLORA_SCAN_EVENT_TIMEOUT = 6,
    VELLORA_SCAN_EVENT_CONFIG_CHANGED = 7,
    VELLORA_SCAN_EVENT_PAGE_SCANNED = 8
};

/* Alert kind whose text is a locale key. */
enum { VELLORA_ALERT_KIND_LOCALE_KEY = 1 };

/* ---- Records ----------------------------------------------------------- */

/* Opaque connection to one controller; unique and stable while connected. */
typedef struct VelloraServerHandle VelloraServerHandle;

/* Non-blocking ticket: 16 bytes, valid (never started) when zeroed. */
typedef struct VelloraNBTicket {
    unsigned long long id;
    unsigned long long generation;
} VelloraNBTicket;

/* Scan session, filled by SCAN_openSession. An id of -1 marks it invalid. */
typedef struct VelloraScanSession {
    int id;
    int reserved;
    VelloraServerHandle* server;
} VelloraScanSession;

/* Locale session, filled by LOCL_openSession. */
typedef struct VelloraLocaleSession {
    int id;
    int reserved;
    VelloraServerHandle* server;
    char language[32];
    char encoding[16];
} VelloraLocaleSession;

/* Attribute session, filled by ATTR_openSession. */
typedef struct VelloraAttrSession {
    int id;
    int reserved;
    VelloraServerHandle* server;
} VelloraAttrSession;

/* Pipe connection of INIT_connectToNonStandardServer. */
typedef struct VelloraPipe {
    int id;
    int reserved;
    VelloraServerHandle* server;
} VelloraPipe;

/* Parallel arrays of NUL-terminated keys and values. */
typedef struct ScanAttributes {
    char** names;
    char** values;
    long count;
} ScanAttributes;

/* One job entry of a job list: 128 bytes. */
typedef struct ScanJob {
    int jobId;            /* offset 0 */
    int size;             /* whole job in its default format, bytes (32-bit) */
    int pages;
    int reserved0;
    char reserved[88];
    ScanAttributes attributes; /* offset 104 */
} ScanJob;

typedef struct ScanJobList {
    ScanJob* entries;
    int count;
} ScanJobList;

/* Server information: text[0] name, text[4] server time ("... +0530"). */
typedef struct VelloraServerInfo {
    char* text[8];
} VelloraServerInfo;

/* Device information: text[4] model. */
typedef struct VelloraDeviceInfo {
    char* text[8];
} VelloraDeviceInfo;

typedef struct VelloraServerEvent {
    int type;
    int id;
    VelloraServerHandle* server;
} VelloraServerEvent;

typedef struct VelloraScanEvent {
    int type;
    int jobId;
    VelloraServerHandle* server;
} VelloraScanEvent;

typedef struct VelloraScanEventEx {
    int type;
    int jobId;
    VelloraServerHandle* server;
    ScanAttributes* attributes;
} VelloraScanEventEx;

typedef struct VelloraScanAlert {
    int id;
    int kind;
    char* text;
    int length;          /* bytes of text, without a terminator */
    int has_message;
    VelloraServerHandle* server;
} VelloraScanAlert;

/* Device part of a discovery report; product is the first text. */
typedef struct VelloraDiscoveryDevice {
    char* product;
    char* model;
    char* serverName;
} VelloraDiscoveryDevice;

/* One discovered controller: two 16-byte fields, then the device part. */
typedef struct VelloraDiscoveryRecord {
    char address[16];    /* dotted IPv4 text, NUL-terminated */
    char name[16];       /* short host name, NUL-terminated (may be cut) */
    VelloraDiscoveryDevice* device; /* may be null */
} VelloraDiscoveryRecord;

/* ---- Callbacks (always called on the library's own threads) ---------- */
typedef void (*VelloraMonitorCallback)(void* context);
typedef void (*VelloraServerEventCallback)(VelloraServerEvent* event, void* context);
typedef void (*VelloraScanEventCallback)(VelloraScanEvent* event);
typedef void (*VelloraScanEventExCallback)(VelloraScanEventEx* event);
typedef void (*VelloraScanAlertCallback)(VelloraScanAlert* alert);
typedef void (*VelloraDiscoveryCallback)(VelloraDiscoveryRecord* record, void* context);

/* ---- Heap ---------------------------------------------------------------- */
VELLORA_API void* vellora_malloc(size_t size);
VELLORA_API void vellora_free(void* p);
VELLORA_API int freeStringList(char** list, int count);
VELLORA_API int duplicateVelloraAttributes(ScanAttributes** copy, const ScanAttributes* source);
VELLORA_API int freeVelloraAttributes(ScanAttributes* attributes);
VELLORA_API void vellora_unload(void);

/* ---- Connection ---------------------------------------------------------- */
VELLORA_API int INIT_connectUTF8(const char* address, const char* user, const char* password,
                                 const char* applicationName, const char* applicationKey,
                                 const char* protocol, int port, int timeout, int flags1,
                                 int flags2, int flags3, VelloraServerHandle** handle, int reserved);
VELLORA_API int INIT_disconnect(VelloraServerHandle* handle, int reserved);
VELLORA_API int INIT_setTimeout(VelloraServerHandle* handle, int seconds, int reserved);
/* Watches the connection: probes every interval seconds, lost after the given
 * number of failed probes or at once when the connection closes. */
VELLORA_API int INIT_monitorServer(VelloraServerHandle* handle, int retries, int intervalSeconds,
                                   VelloraNBTicket* ticket);
VELLORA_API int INIT_connectToNonStandardServer(const char* address, const char* user,
                                                const char* password, const char* protocol,
                                                int port, int timeout, int flags,
                                                VelloraPipe* pipe, int reserved);
VELLORA_API int INIT_usePipe(VelloraPipe* pipe, int reserved);
VELLORA_API int INIT_disconnectFromServer(VelloraPipe* pipe, int reserved);

/* ---- Server information ------------------------------------------------- */
VELLORA_API int SERVER_getEventsEx(VelloraServerHandle* handle, VelloraServerEventCallback callback,
                                   void* context, VelloraNBTicket* ticket);
VELLORA_API int SERVER_getInfo(VelloraServerHandle* handle, VelloraServerInfo** info, int reserved);
VELLORA_API int SERVER_freeInfo(VelloraServerHandle* handle, VelloraServerInfo* info, int reserved);
VELLORA_API int DEV_getInfo(VelloraServerHandle* handle, int device, VelloraDeviceInfo** info,
                            int reserved);
VELLORA_API int DEV_freeInfo(VelloraServerHandle* handle, VelloraDeviceInfo* info, int reserved);
VELLORA_API int DEV_getNumDevices(VelloraServerHandle* handle, int* count, int reserved);
VELLORA_API int QMVM_dictRead(VelloraServerHandle* handle, const char* dictionary, const char* key,
                              char** value, int reserved);
VELLORA_API int FEAT_getFeatureList(VelloraServerHandle* handle, char*** names, char*** values,
                                    int* count, int reserved);
VELLORA_API int AUTH_getAuthIDEx(VelloraServerHandle* handle, const char* user, const char* domain,
                                 int kind, int flags, char** idText, int* idNumber, int reserved);

/* ---- Locale -------------------------------------------------------------- */
VELLORA_API int LOCL_openSession(VelloraServerHandle* handle, int flags, const char* language,
                                 const char* encoding, VelloraLocaleSession* session, int reserved);
VELLORA_API int LOCL_closeSession(VelloraLocaleSession* session, int reserved);
VELLORA_API int LOCL_getString(VelloraLocaleSession* session, const char* key, char** text,
                               int reserved);
VELLORA_API int LOCL_getStringWithContext(VelloraLocaleSession* session, const char* context,
                                          const char* key, char** text, int reserved);
/* Converts text between code pages ("SJIS", "MacRoman", "GBK", "Big5",
 * "UTF8" (with a byte-order mark), "UTF8NOBOM"). */
VELLORA_API int LOCL_decodeString(VelloraLocaleSession* session, const char* fromEncoding,
                                  const char* text, const char* toEncoding, char** out,
                                  int reserved);
VELLORA_API int LOCL_getDefaultEncoding(VelloraServerHandle* handle, char** encoding, int reserved);

/* ---- Non-blocking tickets ------------------------------------------------ */
/* callback(context) runs once, on a library thread, when the ticket finishes
 * by itself: a monitor when its connection is lost, a discovery when done. */
VELLORA_API int NB_registerCallback(VelloraNBTicket* ticket, void* context,
                                    VelloraMonitorCallback callback);
VELLORA_API int NB_cancel(VelloraNBTicket* ticket);
/* status: VELLORA_PENDING while the ticket runs (or one of its callbacks or its
 * own thread is still busy), else its final result: 0 done, VELLORA_CANCELED,
 * VELLORA_CONNECTION_FAILED for a subscription or monitor whose connection was
 * lost. A zeroed ticket that was never started reads status 0. */
VELLORA_API int NB_checkTicket(VelloraNBTicket* ticket, int* result, int reserved, int* status);
/* Returns only after any running callback of the ticket has finished; none follows. */
VELLORA_API int NB_block(VelloraNBTicket* ticket);
VELLORA_API int NB_destroy(VelloraNBTicket* ticket);
VELLORA_API int NB_cancel_block_destroy(VelloraNBTicket* ticket);
VELLORA_API int NB_waitForProgress(VelloraNBTicket* ticket, int timeoutMilliseconds, int* progress);

/* ---- Scanning ------------------------------------------------------------ */
VELLORA_API int SCAN_openSession(VelloraServerHandle* handle, VelloraScanSession* session,
                                 int reserved);
VELLORA_API int SCAN_closeSession(VelloraScanSession* session, int reserved);
VELLORA_API int SCAN_serverAttributes(VelloraScanSession* session, ScanAttributes** attributes);
VELLORA_API int SCAN_getEvents(VelloraServerHandle* handle, VelloraScanEventCallback callback,
                               VelloraNBTicket* ticket);
VELLORA_API int SCAN_getEventsEx(VelloraServerHandle* handle, VelloraScanEventExCallback callback,
                                 VelloraNBTicket* ticket);
VELLORA_API int SCAN_getAlertEvents(VelloraServerHandle* handle, VelloraScanAlertCallback callback,
                                    VelloraNBTicket* ticket);
VELLORA_API int SCAN_initiateScan(VelloraScanSession* session, ScanAttributes* attributes,
                                  int* jobId, int reserved);
VELLORA_API int SCAN_finish(VelloraScanSession* session, int jobId, int reserved);
VELLORA_API int SCAN_cancelScan(VelloraScanSession* session, int jobId, int flags, int reserved);

VELLORA_API int SCAN_getJobListInMailbox(VelloraScanSession* session, const char* mailbox,
                                         const char* password, ScanJobList** list, int reserved);
VELLORA_API int SCAN_getJobListInEngineBox(VelloraScanSession* session, const char* user,
                                           const char* password, int flags, const char* box,
                                           const char* boxPassword, ScanJobList** list,
                                           int reserved);
VELLORA_API int SCAN_getBoxListInEngineBox(VelloraScanSession* session, const char* user,
                                           const char* password, const char* filter,
                                           ScanJobList** list, int reserved);
VELLORA_API int SCAN_freeScanJobList(ScanJobList* list, int reserved);
VELLORA_API int SCAN_getNumPagesInJob(VelloraScanSession* session, int jobId, int* pages,
                                      int reserved);
VELLORA_API int SCAN_isJobInMailbox(VelloraScanSession* session, const char* mailbox,
                                    const char* password, int jobId, unsigned char* present,
                                    int reserved);
VELLORA_API int SCAN_deleteJobInMailbox(VelloraScanSession* session, const char* mailbox,
                                        const char* password, int jobId, int reserved);
/* Reads job data by byte offset: *length goes in as the buffer's capacity and
 * comes back as the bytes delivered, min(capacity, remaining); 0 bytes = end.
 * Destination attributes are looked up by key: DEST_FORMAT:1, DEST_PAGE:1. */
VELLORA_API int SCAN_getDataInMailbox(VelloraScanSession* session, const char* mailbox,
                                      const char* password, int jobId,
                                      ScanAttributes* destination, int offset, char* buffer,
                                      int* length, int reserved);

/* Forwarded by the service's wrapper only. */
VELLORA_API int SCAN_getJobList(VelloraScanSession* session, ScanJobList** list, int reserved);
VELLORA_API int SCAN_getData(VelloraScanSession* session, int jobId, ScanAttributes* destination,
                             int offset, char* buffer, int* length, int reserved);
VELLORA_API int SCAN_getDataEx(VelloraScanSession* session, int jobId, ScanAttributes* destination,
                               int offset, char* buffer, int* length, int flags, int reserved);
VELLORA_API int SCAN_deleteJob(VelloraScanSession* session, int jobId, int reserved);
VELLORA_API int SCAN_getScanPageInfo(VelloraScanSession* session, int jobId, int page,
                                     ScanAttributes** info, int reserved);
VELLORA_API int SCAN_getScanPageInfoInMailbox(VelloraScanSession* session, const char* mailbox,
                                              const char* password, int jobId, int page,
                                              ScanAttributes** info, int reserved);
VELLORA_API int ATTR_openSession(VelloraServerHandle* handle, VelloraAttrSession* session,
                                 int reserved);
VELLORA_API int ATTR_closeSession(VelloraAttrSession* session, int reserved);
VELLORA_API int ATTR_getDefault(VelloraAttrSession* session, int flags, const char* key,
                                char** value, int reserved);

/* ---- Discovery ----------------------------------------------------------- */
/* Reports every controller found (one callback each, on a library thread,
 * possibly before the call returns); first/second bound an address range. */
VELLORA_API int DISCOV_getZeltoList(int mode, int flags, const char* first, const char* second,
                                    int timeout, VelloraDiscoveryCallback callback, void* context,
                                    int reserved1, int reserved2, VelloraNBTicket* ticket);

#ifdef __cplusplus
}

static_assert(sizeof(ScanJob) == 128, "ScanJob entries are 128 bytes");
static_assert(offsetof(ScanJob, jobId) == 0, "job id first");
static_assert(offsetof(ScanJob, attributes) == 104, "job attributes at byte 104");
static_assert(sizeof(VelloraNBTicket) == 16, "tickets are 16 bytes");
#endif

#endif /* VELLORA_H */
