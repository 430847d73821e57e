#include "ZeltoScanAPIComponent.h"

#include <chrono>

#include <wx/intl.h>

#include "LocaleComponent.h"
#include "Logger.h"
#include "ScanAttributeUtil.h"
#include "SdkText.h"
#include "ServerHandleToServerMap.h"
#include "ZeltoEngineServerMailbox.h"
#include "ZeltoScannerCapability.h"
#include "ZeltoServer.h"
#include "ZeltoServerAuthenticator.h"
#include "ZeltoServerMailBox.h"

using sdktext::FromUTF8;

namespace {

// How often a scan-end wait looks whether the connection is still there.
const std::chrono::milliseconds kEndWaitSlice(200);

// Name and value lists of the SDK as an ordered map; a later equal name wins.
std::map<wxString, wxString> ToMap(char** names, char** values, long count) {
    std::map<wxString, wxString> map;
    for (long i = 0; i < count && names && values; ++i) {
        if (names[i]) {
            map[FromUTF8(names[i])] = FromUTF8(values[i]);
        }
    }
    return map;
}

bool EndsScan(int sdkType) {
    return sdkType == VELLORA_SCAN_EVENT_CREATED || sdkType == VELLORA_SCAN_EVENT_CANCELLED ||
           sdkType == VELLORA_SCAN_EVENT_FAILED || sdkType == VELLORA_SCAN_EVENT_TIMEOUT;
}

}  // namespace

ZeltoScanAPIComponent::ZeltoScanAPIComponent(ZeltoServer* server)
    : m_server(server),
      m_handle(server->GetServerhandle()),
      m_eventTicket(),
      m_eventsRegistered(false),
      m_alertTicket(),
      m_alertsRegistered(false),
      m_currentJobId(0),
      m_lastEventType(-1),
      m_lastEventJobId(0),
      m_waitingForFirstEvent(false),
      m_scanActive(false),
      m_pageCounter(0),
      m_scanEnded(false) {
    ServerHandleToServerMap::Add(m_handle, server);
    Initialize();
}

ZeltoScanAPIComponent::~ZeltoScanAPIComponent() {
    if (m_eventsRegistered) {
        NB_cancel_block_destroy(&m_eventTicket);
    }
    if (m_alertsRegistered) {
        NB_cancel_block_destroy(&m_alertTicket);
    }
    ServerHandleToServerMap::Remove(m_handle);
}

void ZeltoScanAPIComponent::Initialize() {
    m_defaultMailbox = std::make_shared<ZeltoServerMailBox>(m_server, wxString(), wxString());
    m_attributeUtil = std::make_shared<ScanAttributeUtil>(m_server);

    ScanAttributes* list = nullptr;
    if (SCAN_serverAttributes(m_server->GetSessionHandle(), &list) != 0 || !list) {
        return;
    }
    const std::map<wxString, wxString> attributes = ToMap(list->names, list->values, list->count);
    if (list->names) {
        freeStringList(list->names, static_cast<int>(list->count));
    }
    if (list->values) {
        freeStringList(list->values, static_cast<int>(list->count));
    }
    vellora_free(list);

    std::map<wxString, wxString> features;
    char** names = nullptr;
    char** values = nullptr;
    int count = 0;
    if (FEAT_getFeatureList(m_handle, &names, &values, &count, 0) == 0) {
        features = ToMap(names, values, count);
        if (names) {
            freeStringList(names, count);
        }
        if (values) {
            freeStringList(values, count);
        }
    }

    m_attributeUtil->SetAllScanAttributes(attributes);
    m_attributeUtil->SetServerFeatures(features);
    m_capability = std::make_shared<ZeltoScannerCapability>(m_server, attributes, features);
    m_authenticator = std::make_shared<ZeltoServerAuthenticator>(m_server, m_capability);

    m_eventsRegistered =
        SCAN_getEventsEx(m_handle, &ZeltoScanAPIComponent::ZeltoServerScanEventCallback,
                         &m_eventTicket) == 0;
    m_alertsRegistered =
        SCAN_getAlertEvents(m_handle, &ZeltoScanAPIComponent::ZeltoServerScanAlertEventCallback,
                            &m_alertTicket) == 0;
}

std::shared_ptr<ScannerCapability> ZeltoScanAPIComponent::GetScannerCapability() {
    return m_capability;
}

std::shared_ptr<ServerAuthenticator> ZeltoScanAPIComponent::GetAuthenticator() {
    return m_authenticator;
}

std::shared_ptr<ScanAttributeUtil> ZeltoScanAPIComponent::GetScanAttributeUtil() {
    return m_attributeUtil;
}

std::shared_ptr<MailBox> ZeltoScanAPIComponent::GetDefaultMailBox() {
    std::lock_guard<std::mutex> lock(m_mailboxMutex);
    return m_defaultMailbox;
}

void ZeltoScanAPIComponent::SetCurrentMailBox(std::shared_ptr<MailBox> mailbox) {
    std::lock_guard<std::mutex> lock(m_mailboxMutex);
    m_currentMailbox = std::move(mailbox);
}

std::shared_ptr<MailBox> ZeltoScanAPIComponent::GetCurrentMailbox() {
    std::lock_guard<std::mutex> lock(m_mailboxMutex);
    return m_currentMailbox;
}

std::shared_ptr<MailBox> ZeltoScanAPIComponent::CachedMailBox(const wxString& id) {
    std::lock_guard<std::mutex> lock(m_mailboxMutex);
    const auto found = m_mailboxCache.find(id);
    return found == m_mailboxCache.end() ? nullptr : found->second;
}

std::shared_ptr<MailBox> ZeltoScanAPIComponent::GetMailBox(const wxString& mailboxName,
                                                           const wxString& mailboxPassword) {
    ZeltoServerAuthenticator* authenticator =
        dynamic_cast<ZeltoServerAuthenticator*>(m_authenticator.get());
    if (!authenticator ||
        authenticator->AuthenticateMilboxNamePassword(mailboxName, mailboxPassword) != 0) {
        return nullptr;
    }
    const wxString id = authenticator->GetMailboxID(mailboxName);
    if (const std::shared_ptr<MailBox> cached = CachedMailBox(id)) {
        cached->RefreshAvailableScannedJobs();
        return cached;
    }
    // Made outside the lock: its first listing asks the server.
    const std::shared_ptr<ZeltoServerMailBox> mailbox =
        std::make_shared<ZeltoServerMailBox>(m_server, id, mailboxPassword);
    mailbox->SetMailBoxDisplayName(mailboxName);
    std::lock_guard<std::mutex> lock(m_mailboxMutex);
    // A caller that raced this one keeps the object it got first.
    return m_mailboxCache.emplace(id, mailbox).first->second;
}

std::shared_ptr<MailBox> ZeltoScanAPIComponent::GetMailBox(const wxString& mailboxName,
                                                           const wxString& mailboxPassword,
                                                           const wxString& userName,
                                                           const wxString& userPassword) {
    if (!m_capability || !m_capability->CanServerSupportEngineBox()) {
        return GetMailBox(mailboxName, mailboxPassword);
    }
    if (!m_authenticator ||
        m_authenticator->AuthenticateMailboxNamePasswordForUser(userName, userPassword, mailboxName,
                                                                mailboxPassword) != 0) {
        return nullptr;
    }
    const std::shared_ptr<ZeltoEngineServerMailbox> mailbox =
        std::make_shared<ZeltoEngineServerMailbox>(m_server, userName, userPassword, mailboxName,
                                                   mailboxPassword);
    mailbox->RefreshAvailableScannedJobs();
    return mailbox;
}

int ZeltoScanAPIComponent::InitiateScan(const VEQTypes::ScanInitiateAttributes& attributes,
                                        int& jobId, bool leaveOpen) {
    const wxString address = m_server->GetIP();
    const ScanAttributeUtil::ScanAttributesPtr list(
        m_attributeUtil->MakeVelloraScanInitiateAttributes(attributes));
    {
        std::lock_guard<std::mutex> lock(m_endMutex);
        m_scanEnded = false;
    }
    // Reset before the scan starts, so that its first event cannot be lost.
    {
        std::lock_guard<std::mutex> lock(m_firstEventMutex);
        m_lastEventType = -1;
        m_lastEventJobId = 0;
    }
    m_pageCounter = 0;
    m_currentJobId = -1;
    m_waitingForFirstEvent = true;
    m_scanActive = true;

    int newJobId = -1;
    const int result = SCAN_initiateScan(m_server->GetSessionHandle(), list.get(), &newJobId, 0);
    if (result != 0) {
        VEQLOG(Debug) << address << " Scan Initiate Failed with error code " << result;
        m_scanActive = false;
        m_waitingForFirstEvent = false;
        return result == VELLORA_BUSY ? SCAN_REFUSED_BUSY : SCAN_FAILED;
    }
    m_currentJobId = newJobId;
    VEQLOG(Debug) << address << " Scan initiated with attributes  [" << attributes.m_scanSource.m_name
                  << "::" << attributes.m_scanSource.m_value << ", " << attributes.m_pageSize.m_name
                  << "::" << attributes.m_pageSize.m_value << ", " << attributes.m_resolution.m_name
                  << "::" << attributes.m_resolution.m_value << ", "
                  << attributes.m_sidesToScan.m_name << "::" << attributes.m_sidesToScan.m_value
                  << ", " << attributes.m_colorMode.m_name << "::" << attributes.m_colorMode.m_value
                  << ", " << attributes.m_orientation.m_name << "::"
                  << attributes.m_orientation.m_value << " ]";
    {
        std::unique_lock<std::mutex> lock(m_firstEventMutex);
        m_firstEventCondition.wait_until(
            lock, std::chrono::steady_clock::now() + std::chrono::seconds(kFirstEventWaitSeconds),
            [this, newJobId]() { return m_lastEventType != -1 || m_lastEventJobId == newJobId; });
    }
    if (!leaveOpen) {
        const int finished = SCAN_finish(m_server->GetSessionHandle(), newJobId, 0);
        if (finished == 0) {
            WaitForScanEnd();
            UpdateMailbox(newJobId);
        } else {
            VEQLOG(Debug) << address << " SCAN_finish failed with code " << finished;
        }
    }
    jobId = newJobId;
    m_waitingForFirstEvent = false;
    if (newJobId == -1 || newJobId == 0) {
        VEQLOG(Debug) << address << " Scan Initiate failed, returned id is " << newJobId;
        return SCAN_FAILED;
    }
    return SCAN_STARTED;
}

void ZeltoScanAPIComponent::WaitForScanEnd() {
    std::unique_lock<std::mutex> lock(m_endMutex);
    while (!m_scanEnded) {
        m_endCondition.wait_for(lock, kEndWaitSlice);
        if (m_server->GetServerStatus() != VEQTypes::CONNECTED) {
            return;
        }
    }
}

bool ZeltoScanAPIComponent::CancelScan() {
    return SCAN_cancelScan(m_server->GetSessionHandle(), m_currentJobId.load(), 0, 0) == 0;
}

void ZeltoScanAPIComponent::UpdateMailbox(int jobId) {
    const std::shared_ptr<MailBox> defaultMailbox = GetDefaultMailBox();
    if (defaultMailbox && defaultMailbox->IsJobInMailbox(jobId)) {
        defaultMailbox->RefreshAvailableScannedJobs();
        return;
    }
    const std::shared_ptr<MailBox> current = GetCurrentMailbox();
    if (current && current->IsJobInMailbox(jobId)) {
        current->RefreshAvailableScannedJobs();
    }
}

void ZeltoScanAPIComponent::MarkScanEnded() {
    std::lock_guard<std::mutex> lock(m_endMutex);
    m_scanEnded = true;
    m_endCondition.notify_all();
}

std::shared_ptr<ZeltoScanAPIComponent> ZeltoScanAPIComponent::ComponentForHandle(
    VelloraServerHandle* handle) {
    Server* server = ServerHandleToServerMap::Find(handle);
    if (!server) {
        return nullptr;
    }
    const std::shared_ptr<ZeltoScanAPIComponent> component =
        std::dynamic_pointer_cast<ZeltoScanAPIComponent>(server->GetScanAPI());
    // After a new login the server's component serves another handle.
    return component && component->m_handle == handle ? component : nullptr;
}

void ZeltoScanAPIComponent::ZeltoServerScanEventCallback(VelloraScanEventEx* event) {
    if (!event) {
        return;
    }
    if (const std::shared_ptr<ZeltoScanAPIComponent> component = ComponentForHandle(event->server)) {
        component->ProcessScanEvent(event);
    }
}

void ZeltoScanAPIComponent::ZeltoServerScanAlertEventCallback(VelloraScanAlert* alert) {
    if (!alert) {
        return;
    }
    if (const std::shared_ptr<ZeltoScanAPIComponent> component = ComponentForHandle(alert->server)) {
        component->ProcessScanAlertEvent(alert);
    }
}

void ZeltoScanAPIComponent::ProcessScanEvent(VelloraScanEventEx* event) {
    const std::shared_ptr<ZeltoScanAPIComponent> self = weak_from_this().lock();
    if (!self) {
        return;
    }
    const std::shared_ptr<VelloraUtil::VEQVelloraScanEventEx> copy(
        VelloraUtil::MakeVEQVelloraScanEventEx(event), &VelloraUtil::DeleteVEQVelloraScanEventEx);
    m_eventQueue.Post(m_server->GetPool(), self,
                      [this, copy]() { ProcessScanEvent_internal(copy.get()); });
}

void ZeltoScanAPIComponent::ProcessScanAlertEvent(VelloraScanAlert* alert) {
    const std::shared_ptr<ZeltoScanAPIComponent> self = weak_from_this().lock();
    if (!self) {
        return;
    }
    VelloraScanAlert* raw = VelloraUtil::CopyVelloraScanAlert(alert);
    const std::shared_ptr<VelloraScanAlert> copy(
        raw, [](VelloraScanAlert* a) { VelloraUtil::FreeVelloraScanAlert(&a); });
    m_eventQueue.Post(m_server->GetPool(), self,
                      [this, copy]() { ProcessScanAlertEvent_internal(copy.get()); });
}

// The copy stays its caller's to free.
void ZeltoScanAPIComponent::ProcessScanEvent_internal(VelloraUtil::VEQVelloraScanEventEx* copy) {
    {
        std::lock_guard<std::mutex> lock(m_firstEventMutex);
        m_lastEventType = copy->type;
        m_lastEventJobId = copy->jobId;
    }
    if (m_waitingForFirstEvent) {
        m_firstEventCondition.notify_all();
    }

    const wxString address = m_server->GetIP();
    int type = VEQScanEvent::NOT_PASSED_ON;
    switch (copy->type) {
        case VELLORA_SCAN_EVENT_CREATED:
            VEQLOG(Debug) << address << " Scan Created with id " << copy->jobId;
            type = VEQScanEvent::CREATED;
            UpdateMailbox(copy->jobId);
            MarkScanEnded();
            break;
        case VELLORA_SCAN_EVENT_DELETED: {
            VEQLOG(Debug) << address << " Scan deleted with id " << copy->jobId;
            type = VEQScanEvent::DELETED;
            if (const std::shared_ptr<MailBox> current = GetCurrentMailbox()) {
                current->RefreshAvailableScannedJobs();
            }
            if (const std::shared_ptr<MailBox> defaultMailbox = GetDefaultMailBox()) {
                defaultMailbox->RefreshAvailableScannedJobs();
            }
            break;
        }
        case VELLORA_SCAN_EVENT_CANCELLED:
            VEQLOG(Debug) << address << " Scan cancelled with id " << copy->jobId;
            type = VEQScanEvent::CANCELLED;
            MarkScanEnded();
            break;
        case VELLORA_SCAN_EVENT_FAILED:
            VEQLOG(Debug) << address << " Scan failed with id " << copy->jobId;
            type = VEQScanEvent::FAILED;
            MarkScanEnded();
            break;
        case VELLORA_SCAN_EVENT_5:
            type = VEQScanEvent::SERVER_EVENT_5;
            break;
        case VELLORA_SCAN_EVENT_TIMEOUT:
            VEQLOG(Debug) << address << " Scan timeout with id " << copy->jobId;
            type = VEQScanEvent::TIMED_OUT;
            MarkScanEnded();
            break;
        case VELLORA_SCAN_EVENT_CONFIG_CHANGED: {
            VEQLOG(Debug) << address << " Scan config changed ";
            // Only the alert text tells callers; no scan event follows it.
            const bool enabled = m_capability && m_capability->IsVeqoraEnabled();
            m_alertSignal(enabled ? wxString()
                                  : wxGetTranslation("Please enable Veqora from copier.", "veq"));
            break;
        }
        case VELLORA_SCAN_EVENT_PAGE_SCANNED:
            type = VEQScanEvent::PAGE_SCANNED;
            ++m_pageCounter;
            break;
        default:
            break;
    }

    if (type != VEQScanEvent::NOT_PASSED_ON && m_scanActive) {
        VEQScanEvent event;
        event.m_serverAddress = address;
        event.m_type = type;
        event.m_jobId = copy->jobId;
        event.m_pageCount = m_pageCounter;
        m_scanEventSignal(event);
    }
    if (EndsScan(copy->type)) {
        m_scanActive = false;
    }
}

// The copy stays its caller's to free.
void ZeltoScanAPIComponent::ProcessScanAlertEvent_internal(VelloraScanAlert* copy) {
    if (copy->kind != VELLORA_ALERT_KIND_LOCALE_KEY || !copy->text) {
        return;
    }
    const wxString key = wxString::FromUTF8(copy->text, static_cast<std::size_t>(copy->length));
    const std::shared_ptr<LocaleComponent> locale = m_server->GetLocaleComponent();
    m_alertSignal(locale ? locale->GetLocalizedString(key) : key);
}
