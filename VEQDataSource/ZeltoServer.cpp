#include "ZeltoServer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <boost/bind/bind.hpp>

#include "LocaleComponent.h"
#include "ScanAPIComponent.h"
#include "ScannerCapability.h"
#include "SdkText.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"

using sdktext::FromUTF8;
using sdktext::ToUTF8;

const char kApplicationName[] = "Veqora";

namespace {

const char kApplicationKey[] = "VQX-4E7A-19C2-B86D";
const char kProtocol[] = "trpc";
const char kSystemDictionary[] = "WB3_SYSTEM";
const char kGuestUser[] = "guest";
const int kSdkTimeoutSeconds = 60;
const int kMonitorRetries = 3;
const int kMonitorIntervalSeconds = 60;

int Login(const std::string& address, const std::string& user, const std::string& password,
          VelloraServerHandle** handle) {
    return INIT_connectUTF8(address.c_str(), user.c_str(), password.c_str(), kApplicationName,
                            kApplicationKey, kProtocol, -1, -1, 1, 1, 0, handle, 0);
}

// The local zone in the shape of the BSD time-of-day zone: minutes west of UTC
// in standard time, and whether daylight saving time is in effect now.
void LocalTimeZone(int& minutesWest, bool& daylight) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    daylight = local.tm_isdst > 0;
    const long standardOffsetEast = local.tm_gmtoff - (daylight ? 3600 : 0);
    minutesWest = static_cast<int>(-standardOffsetEast / 60);
}

// The leading decimal integer of the text (blanks and a sign allowed); 0 when none.
long LeadingInteger(const wxString& text) {
    const std::string narrow = ToUTF8(text);
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(narrow.c_str(), &end, 10);
    if (end == narrow.c_str() || errno == ERANGE) {
        return 0;
    }
    return value;
}

// The leading digits of the value paired with the feature name; 0 when absent.
int FeatureValue(const std::vector<wxString>& names, const std::vector<wxString>& values,
                 const wxString& feature) {
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) {
        if (names[i] == feature) {
            return std::atoi(ToUTF8(values[i]).c_str());
        }
    }
    return 0;
}

}  // namespace

ZeltoServer::ZeltoServer(const wxString& address)
    : Server(address),
      m_handle(nullptr),
      m_session(&m_noSession),
      m_noSession(),
      m_scanSessionOpen(false),
      m_scanningEnabled(false),
      m_serverEventsTicket(),
      m_serverEventsRegistered(false),
      m_monitorTicket(),
      m_monitorRegistered(false),
      m_timeAdjustment(0) {
    m_pool.reset(new boost::threadpool::pool(2));
}

ZeltoServer::~ZeltoServer() {
    m_pool->wait(0);
    if (ChangeServerStatus(VEQTypes::CONNECTED, VEQTypes::DISCONNECTING)) {
        Disconnect_internal();
    }
    ReleaseLostConnection();
    SetScanComponent(nullptr);
    SetLocaleComponent(nullptr);
    m_pool->wait(0);
    m_pool.reset();
}

int ZeltoServer::GetTimeAdjustment() {
    return m_timeAdjustment.load();
}

bool ZeltoServer::TryConnect(const wxString& /*ignored*/) {
    VelloraServerHandle* probe = nullptr;
    if (Login(ToUTF8(m_address), kGuestUser, "", &probe) != 0) {
        return false;
    }
    InitializeServerInfo(probe);
    INIT_disconnect(probe, 0);
    return true;
}

bool ZeltoServer::Connect(const wxString& user, const wxString& password, bool asynchronous) {
    // The login is claimed here, so a second Connect before it runs is refused.
    if (!ChangeServerStatus(VEQTypes::DISCONNECTED, VEQTypes::CONNECTING)) {
        return false;
    }
    if (!asynchronous) {
        return Connect_internal(user, password);
    }
    if (!m_pool->schedule(boost::bind(&ZeltoServer::Connect_internal, this, user, password))) {
        SetServerStatus(VEQTypes::DISCONNECTED);
        return false;
    }
    return true;
}

bool ZeltoServer::Connect_internal(const wxString& user, const wxString& password) {
    const std::string address = ToUTF8(m_address);
    const std::string userText = ToUTF8(user);
    const std::string passwordText = ToUTF8(password);
    SetServerStatus(VEQTypes::CONNECTING);
    ReleaseLostConnection();

    VelloraServerHandle* handle = nullptr;
    if (Login(address, userText, passwordText, &handle) != 0) {
        SetServerStatus(VEQTypes::DISCONNECTED);
        return false;
    }
    m_handle = handle;
    InitializeServerInfo(handle);

    m_serverEventsTicket = VelloraNBTicket();
    m_serverEventsRegistered =
        SERVER_getEventsEx(handle, &ZeltoServer::ZeltoServerEventCallback, this,
                           &m_serverEventsTicket) == 0;

    SetLocaleComponent(std::make_shared<LocaleComponent>(this));

    auto opened = std::make_unique<VelloraScanSession>();
    if (SCAN_openSession(handle, opened.get(), 0) == 0) {
        {
            std::lock_guard<std::mutex> lock(m_componentsMutex);
            m_session = opened.get();
            m_openedSessions.push_back(std::move(opened));
        }
        m_scanSessionOpen = true;
        const std::shared_ptr<ScanAPIComponent> component = MakeScanComponent(*this);
        SetScanComponent(component);
        const std::shared_ptr<ScannerCapability> capability =
            component ? component->GetScannerCapability() : nullptr;
        m_scanningEnabled = capability && capability->IsVeqoraEnabled();
    } else {
        m_scanSessionOpen = false;
        m_scanningEnabled = false;
    }

    MonitorServer();
    if (!ChangeServerStatus(VEQTypes::CONNECTING, VEQTypes::CONNECTED)) {
        // Lost while logging in; the next login or the destructor frees what is left.
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_infoMutex);
        m_connectedUser = user;
    }
    const wxString name = GetServerInfo().m_name;
    VEQDataSource::Get().GetConfig()->UpdateServerAutoLogin(m_address, name);
    return true;
}

bool ZeltoServer::Disconnect(bool asynchronous) {
    if (!ChangeServerStatus(VEQTypes::CONNECTED, VEQTypes::DISCONNECTING)) {
        return false;
    }
    if (!asynchronous) {
        return Disconnect_internal();
    }
    if (!m_pool->schedule(boost::bind(&ZeltoServer::Disconnect_internal, this))) {
        SetServerStatus(VEQTypes::CONNECTED);
        return false;
    }
    return true;
}

bool ZeltoServer::Disconnect_internal() {
    SetServerStatus(VEQTypes::DISCONNECTING);
    ReleaseSessionAndTickets();
    if (INIT_disconnect(m_handle.load(), 0) != 0) {
        return false;  // the handle is kept and the status stays 2
    }
    m_handle = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_infoMutex);
        m_connectedUser.clear();
    }
    SetServerStatus(VEQTypes::DISCONNECTED);
    return true;
}

void ZeltoServer::ReleaseSessionAndTickets() {
    if (m_scanSessionOpen.exchange(false)) {
        const std::shared_ptr<ScanAPIComponent> component = GetScanAPI();
        if (component) {
            component->CancelScan();
        }
        VelloraScanSession closing = *m_session.load();
        SCAN_closeSession(&closing, 0);
        m_session = &m_noSession;
        SetScanComponent(nullptr);
    }
    m_scanningEnabled = false;
    if (m_serverEventsRegistered) {
        NB_cancel_block_destroy(&m_serverEventsTicket);
        m_serverEventsRegistered = false;
    }
    if (m_monitorRegistered) {
        NB_cancel_block_destroy(&m_monitorTicket);
        m_monitorRegistered = false;
    }
    SetLocaleComponent(nullptr);
}

void ZeltoServer::ReleaseLostConnection() {
    ReleaseSessionAndTickets();
    VelloraServerHandle* handle = m_handle.exchange(nullptr);
    if (handle) {
        INIT_disconnect(handle, 0);
    }
}

bool ZeltoServer::IsScanSupported() const {
    return m_scanningEnabled.load();
}

Server::ServerInfo ZeltoServer::GetServerInfo() const {
    std::lock_guard<std::mutex> lock(m_infoMutex);
    return m_serverInfo;
}

std::shared_ptr<ScanAPIComponent> ZeltoServer::GetScanAPI() {
    std::lock_guard<std::mutex> lock(m_componentsMutex);
    return m_scanComponent;
}

bool ZeltoServer::IsMailboxColumnHidden(const MailboxColumn& column) {
    if (column != MAILBOX_COLUMN_SIZE) {
        return false;
    }
    wxString value;
    return GetSystemDictionaryValue(m_handle.load(), "VEQ_SIZE_COLUMN_HIDE", value) &&
           value.IsSameAs("YES", false);
}

boost::threadpool::pool& ZeltoServer::GetPool() {
    return *m_pool;
}

VelloraServerHandle* ZeltoServer::GetServerhandle() const {
    return m_handle.load();
}

VelloraScanSession* ZeltoServer::GetSessionHandle() {
    return m_session.load();
}

std::shared_ptr<LocaleComponent> ZeltoServer::GetLocaleComponent() const {
    std::lock_guard<std::mutex> lock(m_componentsMutex);
    return m_localeComponent;
}

void ZeltoServer::SetScanComponent(std::shared_ptr<ScanAPIComponent> component) {
    std::shared_ptr<ScanAPIComponent> previous;
    {
        std::lock_guard<std::mutex> lock(m_componentsMutex);
        previous.swap(m_scanComponent);
        m_scanComponent = std::move(component);
    }
    // previous goes here, outside the lock: its destructor calls the SDK.
}

void ZeltoServer::SetLocaleComponent(std::shared_ptr<LocaleComponent> component) {
    std::shared_ptr<LocaleComponent> previous;
    {
        std::lock_guard<std::mutex> lock(m_componentsMutex);
        previous.swap(m_localeComponent);
        m_localeComponent = std::move(component);
    }
}

void ZeltoServer::SetServerStatus(VEQTypes::ServerStatus status) {
    if (m_status.exchange(status) != status) {
        EmitServerStatus(status);
    }
}

bool ZeltoServer::ChangeServerStatus(VEQTypes::ServerStatus expected,
                                     VEQTypes::ServerStatus next) {
    int current = expected;
    if (!m_status.compare_exchange_strong(current, next)) {
        return false;
    }
    EmitServerStatus(next);
    return true;
}

void ZeltoServer::EmitServerStatus(VEQTypes::ServerStatus status) {
    m_pool->schedule([this, status]() { m_serverStatusSignal(status); });
}

void ZeltoServer::InitializeServerInfo(VelloraServerHandle* handle) {
    bool haveName = false;
    wxString name;
    VelloraServerInfo* serverRecord = nullptr;
    if (SERVER_getInfo(handle, &serverRecord, 0) == 0 && serverRecord) {
        if (serverRecord->text[0]) {
            name = FromUTF8(serverRecord->text[0]);
            haveName = true;
        }
        SetTimeAdjustment(serverRecord->text[4]);
        SERVER_freeInfo(handle, serverRecord, 0);
    }

    bool haveModel = false;
    wxString model;
    VelloraDeviceInfo* deviceRecord = nullptr;
    if (DEV_getInfo(handle, 0, &deviceRecord, 0) == 0 && deviceRecord) {
        if (deviceRecord->text[4]) {
            model = FromUTF8(deviceRecord->text[4]);
            haveModel = true;
        }
        DEV_freeInfo(handle, deviceRecord, 0);
    }

    INIT_setTimeout(handle, kSdkTimeoutSeconds, 0);
    const long version = GetServerVersion(handle);
    bool scanFeature = false;
    if (version >= 10) {
        std::vector<wxString> names;
        std::vector<wxString> values;
        GetFeatureList(handle, names, values);
        scanFeature = FeatureValue(names, values, "ZeltoMorvane") > 0 ||
                      FeatureValue(names, values, "ZeltoKesti") > 0;
    }

    std::lock_guard<std::mutex> lock(m_infoMutex);
    m_serverInfo.m_ip = m_address;
    if (haveName) {
        m_serverInfo.m_name = name;
        m_name = name;
    }
    if (haveModel) {
        m_serverInfo.m_model = model;
    }
    m_serverInfo.m_version = version;
    m_serverInfo.m_kind = version < 10 ? 1 : (scanFeature ? 2 : 0);
}

long ZeltoServer::GetServerVersion(VelloraServerHandle* handle) {
    wxString text;
    GetSystemDictionaryValue(handle, "QMVSYSVERNUM", text);
    if (text.empty()) {
        GetSystemDictionaryValue(handle, "QMVSYSVER", text);
        text = text.Left(2);
        text.Trim(true).Trim(false);
    }
    return LeadingInteger(text);
}

bool ZeltoServer::GetSystemDictionaryValue(VelloraServerHandle* handle, const wxString& key,
                                           wxString& value) {
    char* text = nullptr;
    if (QMVM_dictRead(handle, kSystemDictionary, ToUTF8(key).c_str(), &text, 0) != 0) {
        return false;
    }
    value = FromUTF8(text);
    if (text) {
        vellora_free(text);
    }
    return true;
}

void ZeltoServer::GetFeatureList(VelloraServerHandle* handle, std::vector<wxString>& names,
                                 std::vector<wxString>& values) {
    char** nameList = nullptr;
    char** valueList = nullptr;
    int count = 0;
    if (FEAT_getFeatureList(handle, &nameList, &valueList, &count, 0) != 0) {
        return;
    }
    if (count > 0) {
        names.reserve(names.size() + count);
        values.reserve(values.size() + count);
        for (int i = 0; i < count; ++i) {
            names.push_back(nameList ? FromUTF8(nameList[i]) : wxString());
            values.push_back(valueList ? FromUTF8(valueList[i]) : wxString());
        }
    }
    if (nameList) {
        freeStringList(nameList, count);
    }
    if (valueList) {
        freeStringList(valueList, count);
    }
}

void ZeltoServer::SetTimeAdjustment(const char* serverTime) {
    int minutesWest = 0;
    bool daylight = false;
    LocalTimeZone(minutesWest, daylight);
    int adjustment = (minutesWest - GetTimeZoneDif(serverTime)) * 60;
    if (daylight) {
        adjustment -= 3600;
    }
    m_timeAdjustment = adjustment;
}

int ZeltoServer::GetTimeZoneDif(const char* serverTime) {
    if (!serverTime) {
        return 0;
    }
    for (int minutes = -720; minutes <= 780; minutes += 30) {
        const int hhmm = (minutes / 60) * 100 + (minutes % 60);
        char zone[16];
        std::snprintf(zone, sizeof zone, minutes < 0 ? "%05d" : "%04d", hhmm);
        if (std::strstr(serverTime, zone)) {
            return -minutes;
        }
    }
    return 0;
}

void ZeltoServer::MonitorServer() {
    m_monitorTicket = VelloraNBTicket();
    if (INIT_monitorServer(m_handle.load(), kMonitorRetries, kMonitorIntervalSeconds,
                           &m_monitorTicket) != 0) {
        return;
    }
    NB_registerCallback(&m_monitorTicket, this, &ZeltoServer::MonitorServerVelloraCallback);
    m_monitorRegistered = true;
}

void ZeltoServer::MonitorServerVelloraCallback(void* context) {
    ZeltoServer* server = static_cast<ZeltoServer*>(context);
    // Only a live or starting connection can be lost; a logout in progress
    // keeps its own course.
    if (!server->ChangeServerStatus(VEQTypes::CONNECTED, VEQTypes::DISCONNECTED)) {
        server->ChangeServerStatus(VEQTypes::CONNECTING, VEQTypes::DISCONNECTED);
    }
}

void ZeltoServer::NoteCallResult(Server* server, int sdkResult) {
    ZeltoServer* zelto = dynamic_cast<ZeltoServer*>(server);
    if (!zelto || (sdkResult != VELLORA_TIMEOUT && sdkResult != VELLORA_CONNECTION_FAILED)) {
        return;
    }
    zelto->ChangeServerStatus(VEQTypes::CONNECTED, VEQTypes::DISCONNECTED);
}

void ZeltoServer::ZeltoServerEventCallback(VelloraServerEvent* event, void* context) {
    static_cast<ZeltoServer*>(context)->ProcessServerEvent(event);
}

void ZeltoServer::ProcessServerEvent(VelloraServerEvent* /*event*/) {
    // Server events are registered for but carry nothing this client acts on.
}
