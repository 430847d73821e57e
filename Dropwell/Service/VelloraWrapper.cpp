#include "VelloraWrapper.h"

#include <unistd.h>

#include <wx/strconv.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace {

constexpr const char* kApplicationName = "Veqora";
constexpr const char* kApplicationKey = "VEQ-DROPWELL-SERVICE";

std::mutex g_sleepMutex;
std::function<void(unsigned)> g_teardownSleep;

void TeardownSleep(unsigned seconds) {
    std::function<void(unsigned)> sleeper;
    {
        std::lock_guard<std::mutex> lock(g_sleepMutex);
        sleeper = g_teardownSleep;
    }
    if (sleeper)
        sleeper(seconds);
    else
        ::sleep(seconds);
}

// A text the SDK handed out, read as UTF-8 and freed.
wxString TakeUtf8(char* text) {
    wxString value = text ? wxString::FromUTF8(text) : wxString();
    vellora_free(text);
    return value;
}

}  // namespace

VelloraWrapper* VelloraWrapper::New() {
    auto* wrapper = new VelloraWrapper();
    wrapper->Initialize();
    return wrapper;
}

void VelloraWrapper::VelloraUnload() { vellora_unload(); }

void VelloraWrapper::SetTeardownSleep(std::function<void(unsigned)> sleeper) {
    std::lock_guard<std::mutex> lock(g_sleepMutex);
    g_teardownSleep = std::move(sleeper);
}

VelloraWrapper::VelloraWrapper() = default;

VelloraWrapper::~VelloraWrapper() {
    if (m_loclOpen) LOCL_closeSession();
    if (m_scanOpen) SCAN_closeSession();
    // Subscriptions made without a scan session are released all the same.
    ReleaseCallbackEventNBTicket();
    ReleaseCallbackAlertEventNBTicket();
    if (m_attrOpen) ATTR_closeSession();
    if (m_connected || m_monitorTicketHeld) INIT_disconnect();
    if (!m_aborted) TeardownSleep(1);
}

// ---- Connection ------------------------------------------------------------

int VelloraWrapper::INIT_connectUTF8(const char* address, const char* user, const char* password) {
    int rc = ::INIT_connectUTF8(address, user, password, kApplicationName, kApplicationKey, "trpc", -1, -1, 1, 1, 0,
                                &m_server, 0);
    m_connected = rc == VELLORA_OK;
    if (!m_connected) return rc;
    FEAT_getFeatureList();
    char* encoding = nullptr;
    rc = LOCL_getDefaultEncoding(m_server, &encoding, 0);
    if (rc == VELLORA_OK && encoding) m_defaultEncoding = wxString::FromUTF8(encoding);
    vellora_free(encoding);
    return rc;
}

int VelloraWrapper::INIT_connectToNonStandardServer(const char* address, const char* user, const char* password) {
    int rc = ::INIT_connectToNonStandardServer(address, user, password, "trpc", -1, -1, 255, &m_pipe, 0);
    if (rc == VELLORA_OK) rc = INIT_usePipe(&m_pipe, 0);
    m_connected = rc == VELLORA_OK;
    return rc;
}

int VelloraWrapper::INIT_disconnectFromServer() {
    int rc = ReleaseServerMonitorNBTicket();
    if (!m_connected) return rc;
    rc = ::INIT_disconnectFromServer(&m_pipe, 0);
    m_connected = rc != VELLORA_OK;
    return rc;
}

int VelloraWrapper::INIT_disconnect() {
    int rc = ReleaseServerMonitorNBTicket();
    if (!m_connected) return rc;
    rc = ::INIT_disconnect(m_server, 0);
    m_connected = rc != VELLORA_OK;
    return rc;
}

int VelloraWrapper::INIT_setTimeout(int seconds) { return ::INIT_setTimeout(m_server, seconds, 0); }

int VelloraWrapper::INIT_monitorServer(int retries, int intervalSeconds) {
    ReleaseServerMonitorNBTicket();  // a second monitor replaces the first
    int rc = ::INIT_monitorServer(m_server, retries, intervalSeconds, &m_monitorTicket);
    if (rc == VELLORA_OK) m_monitorTicketHeld = true;
    return rc;
}

int VelloraWrapper::NB_registerCallback(VelloraMonitorCallback callback, void* context) {
    int rc = ::NB_registerCallback(&m_monitorTicket, context, callback);
    if (rc == VELLORA_OK) m_monitorTicketHeld = true;
    return rc;
}

void VelloraWrapper::AbortConnection() {
    // The handle is fixed once connected; the SDK's disconnect may run beside a call.
    if (!m_aborted.exchange(true)) ::INIT_disconnect(m_server, 0);
}

bool VelloraWrapper::IsVelloraServerHandleMatch(const VelloraServerHandle* handle) const {
    return handle == m_server;
}

// ---- Server information --------------------------------------------------------

int VelloraWrapper::FEAT_getFeatureList() {
    m_utf8UserNames = false;
    char** names = nullptr;
    char** values = nullptr;
    int count = 0;
    int rc = ::FEAT_getFeatureList(m_server, &names, &values, &count, 0);
    if (rc != VELLORA_OK) return rc;
    for (int i = 0; names && i < count; ++i) {
        if (names[i] && std::strcmp(names[i], "UTF8_VERSION") == 0) {
            m_utf8UserNames = values && values[i] && std::atoi(values[i]) >= 2;
            break;
        }
    }
    freeStringList(names, count);
    freeStringList(values, count);
    return rc;
}

bool VelloraWrapper::IsUTF8UserNameSupported() { return m_utf8UserNames; }

std::string VelloraWrapper::GetServerName() {
    VelloraServerInfo* info = nullptr;
    if (SERVER_getInfo(m_server, &info, 0) != VELLORA_OK || !info) return std::string();
    std::string name = info->text[0] ? info->text[0] : "";
    SERVER_freeInfo(m_server, info, 0);
    return name;
}

int VelloraWrapper::ReadSystemDictionaryValue(const char* key, wxString& value) {
    char* text = nullptr;
    const int rc = QMVM_dictRead(m_server, "WB3_SYSTEM", key, &text, 0);
    value = rc == VELLORA_OK && text ? wxString(text, wxConvLocal) : wxString();
    vellora_free(text);
    return rc;
}

wxString VelloraWrapper::GetSystemDictionaryValue(const char* key) {
    wxString value;
    ReadSystemDictionaryValue(key, value);
    return value;
}

namespace {

// The server answered the dictionary read, with a value or without one.
bool Answered(int rc) {
    return rc == VELLORA_OK || rc == VELLORA_KEY_NOT_FOUND || rc == VELLORA_VALUE_NOT_FOUND ||
           rc == VELLORA_NO_SUCH_SCOPE;
}

}  // namespace

int VelloraWrapper::ReadServerVersion(long& version) {
    version = 0;
    wxString text;
    int rc = ReadSystemDictionaryValue("QMVSYSVERNUM", text);
    if (!Answered(rc)) return rc;
    if (text.empty()) {
        rc = ReadSystemDictionaryValue("QMVSYSVER", text);
        if (!Answered(rc)) return rc;
        text = text.Left(2);
        text.Trim(true).Trim(false);
    }
    if (!text.ToLong(&version, 10)) version = 0;
    return VELLORA_OK;
}

long VelloraWrapper::GetServerVersion() {
    long version = 0;
    ReadServerVersion(version);
    return version;
}

int VelloraWrapper::DEV_getNumDevices(int* count) { return ::DEV_getNumDevices(m_server, count, 0); }

int VelloraWrapper::AUTH_getAuthIDEx(const wxString& user, const wxString& password, bool flag, wxString& id) {
    if (!flag) return VELLORA_FUNCTION_NOT_AVAILABLE;
    char* text = nullptr;
    int number = 0;
    int rc = ::AUTH_getAuthIDEx(m_server, user.utf8_str(), password.utf8_str(), 5, 0, &text, &number, 0);
    if (rc == VELLORA_OK) id = TakeUtf8(text);
    return rc;
}

wxString VelloraWrapper::GetStringInServerEncoding(const char* text) {
    if (!text) return wxString();
    const char* codePage = m_defaultEncoding == "SJIS"   ? "CP932"
                           : m_defaultEncoding == "GBK"  ? "CP936"
                           : m_defaultEncoding == "Big5" ? "CP950"
                                                         : "MACINTOSH";
    wxString value(text, wxCSConv(codePage));
    if (value.empty()) value = wxString::FromUTF8(text);
    if (value.empty()) value = wxString(text, wxConvISO8859_1);
    return value;
}

// ---- Locale and attribute sessions -----------------------------------------------

int VelloraWrapper::LOCL_openSession(const char* language, const char* encoding) {
    int rc = ::LOCL_openSession(m_server, 0, language, encoding, &m_localeSession, 0);
    m_loclOpen = rc == VELLORA_OK;
    return rc;
}

int VelloraWrapper::LOCL_closeSession() {
    if (!m_loclOpen) return VELLORA_FUNCTION_NOT_AVAILABLE;
    int rc = ::LOCL_closeSession(&m_localeSession, 0);
    m_loclOpen = rc != VELLORA_OK;
    return rc;
}

int VelloraWrapper::LOCL_getString(const char* key, wxString& text) {
    if (!key || !*key) {
        text.clear();
        return VELLORA_OK;
    }
    char* found = nullptr;
    int rc = ::LOCL_getString(&m_localeSession, key, &found, 0);
    if (rc != VELLORA_OK) rc = LOCL_getStringWithContext(&m_localeSession, "PageSize", key, &found, 0);
    text = rc == VELLORA_OK ? TakeUtf8(found) : wxString::FromUTF8(key);
    return rc;
}

int VelloraWrapper::LOCL_decodeStringToUTF8(const wxString& language, const std::string& text, std::string& out,
                                            bool withByteOrderMark) {
    char* decoded = nullptr;
    int rc = LOCL_decodeString(&m_localeSession, language == "ja" ? "SJIS" : "MacRoman", text.c_str(),
                               withByteOrderMark ? "UTF8" : "UTF8NOBOM", &decoded, 0);
    out = rc == VELLORA_OK && decoded ? std::string(decoded) : text;
    vellora_free(decoded);
    return rc;
}

int VelloraWrapper::ATTR_openSession() {
    int rc = ::ATTR_openSession(m_server, &m_attrSession, 0);
    m_attrOpen = rc == VELLORA_OK;
    return rc;
}

int VelloraWrapper::ATTR_closeSession() {
    int rc = ::ATTR_closeSession(&m_attrSession, 0);
    m_attrOpen = rc != VELLORA_OK;
    return rc;
}

int VelloraWrapper::ATTR_getDefault(const char* key, wxString& value) {
    char* text = nullptr;
    int rc = ::ATTR_getDefault(&m_attrSession, 0, key, &text, 0);
    if (rc == VELLORA_OK) value = TakeUtf8(text);
    return rc;
}

// ---- Scan session and events ---------------------------------------------------

int VelloraWrapper::SCAN_openSession() {
    int rc = ::SCAN_openSession(m_server, &m_scanSession, 0);
    m_scanOpen = rc == VELLORA_OK;
    return rc;
}

int VelloraWrapper::SCAN_closeSession() {
    ReleaseCallbackEventNBTicket();
    ReleaseCallbackAlertEventNBTicket();
    int rc = ::SCAN_closeSession(&m_scanSession, 0);
    m_scanOpen = rc != VELLORA_OK;
    return rc;
}

int VelloraWrapper::SCAN_getEvents() { return VELLORA_FUNCTION_NOT_AVAILABLE; }

int VelloraWrapper::SCAN_getEvents(VelloraScanEventCallback callback) {
    ReleaseCallbackEventNBTicket();  // a second subscription replaces the first
    int rc = ::SCAN_getEvents(m_server, callback, &m_eventTicket);
    m_eventTicketHeld = rc == VELLORA_OK;
    return rc;
}

int VelloraWrapper::SCAN_getEventsEx(VelloraScanEventExCallback callback) {
    ReleaseCallbackEventNBTicket();  // a second subscription replaces the first
    int rc = ::SCAN_getEventsEx(m_server, callback, &m_eventTicket);
    m_eventTicketHeld = rc == VELLORA_OK;
    return rc;
}

int VelloraWrapper::SCAN_getAlertEvents() { return VELLORA_FUNCTION_NOT_AVAILABLE; }

int VelloraWrapper::SCAN_getAlertEvents(VelloraScanAlertCallback callback) {
    ReleaseCallbackAlertEventNBTicket();  // a second subscription replaces the first
    int rc = ::SCAN_getAlertEvents(m_server, callback, &m_alertTicket);
    m_alertTicketHeld = rc == VELLORA_OK;
    return rc;
}

int VelloraWrapper::NB_waitForProgress(int timeoutMilliseconds, int* progress) {
    if (!m_eventTicketHeld) return VELLORA_FUNCTION_NOT_AVAILABLE;
    return ::NB_waitForProgress(&m_eventTicket, timeoutMilliseconds, progress);
}

bool VelloraWrapper::IsInitiateScanSupported() {
    const int id = m_scanSession.id;
    m_scanSession.id = -1;
    int jobId = 0;
    int rc = ::SCAN_initiateScan(&m_scanSession, nullptr, &jobId, 0);
    m_scanSession.id = id;
    return rc != VELLORA_FUNCTION_NOT_AVAILABLE;
}

// ---- Mailboxes and jobs ---------------------------------------------------------

int VelloraWrapper::SCAN_getJobListInMailbox(const std::string& mailbox, const std::string& password,
                                             ScanJobList** list) {
    return ::SCAN_getJobListInMailbox(&m_scanSession, mailbox.c_str(), password.c_str(), list, 0);
}

int VelloraWrapper::SCAN_isJobInMailbox(const std::string& mailbox, const std::string& password, int jobId,
                                        unsigned char* present) {
    return ::SCAN_isJobInMailbox(&m_scanSession, mailbox.c_str(), password.c_str(), jobId, present, 0);
}

int VelloraWrapper::SCAN_getDataInMailbox(const std::string& mailbox, const std::string& password, int jobId,
                                          ScanAttributes* destination, int offset, char* buffer, int* length) {
    return ::SCAN_getDataInMailbox(&m_scanSession, mailbox.c_str(), password.c_str(), jobId, destination, offset,
                                   buffer, length, 0);
}

int VelloraWrapper::SCAN_deleteJobInMailbox(const std::string& mailbox, const std::string& password, int jobId) {
    return ::SCAN_deleteJobInMailbox(&m_scanSession, mailbox.c_str(), password.c_str(), jobId, 0);
}

int VelloraWrapper::SCAN_freeScanJobList(ScanJobList* list) { return ::SCAN_freeScanJobList(list, 0); }

int VelloraWrapper::SCAN_getJobList(ScanJobList** list) { return ::SCAN_getJobList(&m_scanSession, list, 0); }

int VelloraWrapper::SCAN_getData(int jobId, ScanAttributes* destination, int offset, char* buffer, int* length) {
    return ::SCAN_getData(&m_scanSession, jobId, destination, offset, buffer, length, 0);
}

int VelloraWrapper::SCAN_getDataEx(int jobId, ScanAttributes* destination, int offset, char* buffer, int* length,
                                   int flags) {
    return ::SCAN_getDataEx(&m_scanSession, jobId, destination, offset, buffer, length, flags, 0);
}

int VelloraWrapper::SCAN_deleteJob(int jobId) { return ::SCAN_deleteJob(&m_scanSession, jobId, 0); }

int VelloraWrapper::SCAN_initiateScan(ScanAttributes* attributes, int* jobId) {
    return ::SCAN_initiateScan(&m_scanSession, attributes, jobId, 0);
}

int VelloraWrapper::SCAN_getScanPageInfo(int jobId, int page, ScanAttributes** info) {
    return ::SCAN_getScanPageInfo(&m_scanSession, jobId, page, info, 0);
}

int VelloraWrapper::SCAN_getScanPageInfoInMailbox(const std::string& mailbox, const std::string& password,
                                                  int jobId, int page, ScanAttributes** info) {
    return ::SCAN_getScanPageInfoInMailbox(&m_scanSession, mailbox.c_str(), password.c_str(), jobId, page, info, 0);
}

int VelloraWrapper::SCAN_serverAttributes(ScanAttributes** attributes) {
    return ::SCAN_serverAttributes(&m_scanSession, attributes);
}

int VelloraWrapper::SCAN_getNumPagesInJob(int jobId, int* pages) {
    return ::SCAN_getNumPagesInJob(&m_scanSession, jobId, pages, 0);
}

int VelloraWrapper::SCAN_getBoxListInEngineBox(const std::string& user, const std::string& password,
                                               const char* filter, ScanJobList** list) {
    return ::SCAN_getBoxListInEngineBox(&m_scanSession, user.c_str(), password.c_str(), filter, list, 0);
}

int VelloraWrapper::SCAN_getJobListInEngineBox(const std::string& user, const std::string& password, int flags,
                                               const std::string& box, const std::string& boxPassword,
                                               ScanJobList** list) {
    return ::SCAN_getJobListInEngineBox(&m_scanSession, user.c_str(), password.c_str(), flags, box.c_str(),
                                        boxPassword.c_str(), list, 0);
}

int VelloraWrapper::SCAN_cancelScan(int jobId) { return ::SCAN_cancelScan(&m_scanSession, jobId, 0, 0); }

// ---- Tickets ------------------------------------------------------------------------

int VelloraWrapper::ReleaseNBTicket(VelloraNBTicket& ticket) {
    int rc = NB_cancel(&ticket);
    if (rc != VELLORA_OK) return rc;
    rc = NB_block(&ticket);
    if (rc != VELLORA_OK) return rc;
    return NB_destroy(&ticket);
}

int VelloraWrapper::ReleaseHeld(VelloraNBTicket& ticket, bool& held) {
    if (!held) return VELLORA_OK;
    int rc = ReleaseNBTicket(ticket);
    held = rc != VELLORA_OK;
    return rc;
}

int VelloraWrapper::ReleaseCallbackEventNBTicket() { return ReleaseHeld(m_eventTicket, m_eventTicketHeld); }
int VelloraWrapper::ReleaseCallbackAlertEventNBTicket() { return ReleaseHeld(m_alertTicket, m_alertTicketHeld); }
int VelloraWrapper::ReleaseServerMonitorNBTicket() { return ReleaseHeld(m_monitorTicket, m_monitorTicketHeld); }

// ---- SDK heap ---------------------------------------------------------------------------

void* VelloraWrapper::VelloraMalloc(size_t size) { return vellora_malloc(size); }
void VelloraWrapper::VelloraFree(void* p) { vellora_free(p); }

void* VelloraWrapper::AllocateMemory(size_t size, const char*, int) {
    void* p = VelloraMalloc(size);
    if (!p) throw std::bad_alloc();
    return p;
}

void VelloraWrapper::FreeMemory(void* p) { VelloraFree(p); }
