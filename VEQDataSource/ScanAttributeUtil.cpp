#include "ScanAttributeUtil.h"

#include <wx/utils.h>

#include "LocaleComponent.h"
#include "SdkText.h"
#include "VEQAttributeKeys.h"
#include "VelloraUtil.h"
#include "ZeltoServer.h"

using sdktext::ToUTF8;

namespace {

const wxString kAutoPageSize("AUTO_PAGESIZE");

wxString Lookup(const std::map<wxString, wxString>& set, const wxString& key) {
    const auto found = set.find(key);
    return found == set.end() ? wxString() : found->second;
}

}  // namespace

void ScanAttributeUtil::ScanAttributesDeleter::operator()(ScanAttributes* attributes) const {
    VelloraUtil::FreeScanAttributes(&attributes, true);
}

ScanAttributeUtil::ScanAttributeUtil(Server* server) : m_server(server) {}

void ScanAttributeUtil::SetAllScanAttributes(const std::map<wxString, wxString>& attributes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scanAttributes = attributes;
}

void ScanAttributeUtil::SetServerFeatures(const std::map<wxString, wxString>& features) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_serverFeatures = features;
}

wxString ScanAttributeUtil::GetScanAttributeForKey(const wxString& key) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return Lookup(m_scanAttributes, key);
}

wxString ScanAttributeUtil::GetServerAttributeForKey(const wxString& key) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return Lookup(m_serverFeatures, key);
}

ScanAttributes* ScanAttributeUtil::MakeVelloraScanAttributes(const AttributePairs& pairs) {
    ScanAttributes* attributes = nullptr;
    VelloraUtil::AllocateScanAttributes(static_cast<long>(pairs.size()), &attributes);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        attributes->names[i] = VelloraUtil::DupString(ToUTF8(pairs[i].first).c_str());
        attributes->values[i] = VelloraUtil::DupString(ToUTF8(pairs[i].second).c_str());
    }
    return attributes;
}

ScanAttributeUtil::ScanAttributesPtr ScanAttributeUtil::MakeDestinationAttributes(
    VEQTypes::FileFormat format, int page) {
    const AttributePairs pairs = {
        {"N_DEST", "1"},
        {"DEST:1", "CALLER"},
        {"DEST_FORMAT:1", VEQTypes::ToString(format)},
        {"DEST_PAGE:1", wxString::Format("%d", page)},
        {"DEST_ERR:1", ""},
    };
    return ScanAttributesPtr(MakeVelloraScanAttributes(pairs));
}

ScanAttributes* ScanAttributeUtil::MakeVelloraScanInitiateAttributes(
    const VEQTypes::ScanInitiateAttributes& attributes) const {
    return MakeVelloraScanAttributes(MakeScanInitiatePairs(attributes));
}

ScanAttributeUtil::AttributePairs ScanAttributeUtil::MakeScanInitiatePairs(
    const VEQTypes::ScanInitiateAttributes& attributes) const {
    AttributePairs pairs;
    MakeScanSourceAttr(pairs, attributes.m_scanSource);
    MakeScanResAttr(pairs, attributes.m_resolution);
    MakeScanPageSizeAttr(pairs, attributes.m_pageSize);
    MakeScanSidesAttr(pairs, attributes.m_sidesToScan);
    MakeScanColorModeAttr(pairs, attributes.m_colorMode);
    MakeScanOrientationAttr(pairs, attributes.m_orientation);
    MakeUserNameAttr(pairs);
    return pairs;
}

void ScanAttributeUtil::MakeScanSourceAttr(AttributePairs& pairs,
                                           const ScannerAttribute& attribute) {
    pairs.emplace_back(g_keyScanSource, attribute.m_value.empty() ? g_keyPlaten : attribute.m_value);
}

void ScanAttributeUtil::MakeScanResAttr(AttributePairs& pairs, const ScannerAttribute& attribute) {
    if (attribute.m_value.empty()) {
        return;
    }
    pairs.emplace_back("RAW_X_RES", attribute.m_value);
    pairs.emplace_back("RAW_Y_RES", attribute.m_value);
}

void ScanAttributeUtil::MakeScanPageSizeAttr(AttributePairs& pairs,
                                             const ScannerAttribute& attribute) const {
    if (attribute.m_value.empty()) {
        return;
    }
    pairs.emplace_back(g_keyPageSize, attribute.m_value);
    if (attribute.m_value == kAutoPageSize &&
        GetScanAttributeForKey("E_MIXED_PAGESIZE").IsSameAs("YES", false)) {
        pairs.emplace_back("MIXED_PAGESIZE", "ON");
    }
}

void ScanAttributeUtil::MakeScanSidesAttr(AttributePairs& pairs,
                                          const ScannerAttribute& attribute) {
    if (attribute.m_value == g_keyScanDoubleSide) {
        pairs.emplace_back("SCAN_DOUBLE_SIDE", "YES");
        pairs.emplace_back("Duplex", "1");
    } else if (attribute.m_value == g_keyScanSingleSide) {
        pairs.emplace_back("SCAN_DOUBLE_SIDE", "NO");
        pairs.emplace_back("Duplex", "0");
    }
}

void ScanAttributeUtil::MakeScanColorModeAttr(AttributePairs& pairs,
                                              const ScannerAttribute& attribute) {
    if (!attribute.m_value.empty()) {
        pairs.emplace_back(g_keyColorMode, attribute.m_value);
    }
}

void ScanAttributeUtil::MakeScanOrientationAttr(AttributePairs& pairs,
                                                const ScannerAttribute& attribute) {
    if (!attribute.m_value.empty()) {
        pairs.emplace_back(g_keyOrientation, attribute.m_value);
    }
}

void ScanAttributeUtil::MakeUserNameAttr(AttributePairs& pairs) {
    const wxString user = wxGetUserId();
    pairs.emplace_back("UTF8_USERNAME", user);
    pairs.emplace_back("USERNAME", user);
}

bool ScanAttributeUtil::IsUTF8Supported(const std::map<wxString, wxString>& attributes) {
    const auto found = attributes.find("UTF8_VERSION");
    long version = 0;
    return found != attributes.end() && found->second.ToLong(&version, 10) && version >= 2;
}

std::string ScanAttributeUtil::GetCurrentLocaleString() const {
    ZeltoServer* zelto = dynamic_cast<ZeltoServer*>(m_server);
    const std::shared_ptr<LocaleComponent> locale = zelto ? zelto->GetLocaleComponent() : nullptr;
    return locale ? ToUTF8(locale->GetCurrentLanguageCanonicalName()) : std::string();
}

void ScanAttributeUtil::DecodeStringToUTF(const std::string& language, const std::string& input,
                                          std::string& output, bool withBom) const {
    const char* target = withBom ? "UTF8" : "UTF8NOBOM";
    const char* source = language == "ja" ? "SJIS" : "MacRoman";
    ZeltoServer* zelto = dynamic_cast<ZeltoServer*>(m_server);
    const std::shared_ptr<LocaleComponent> locale = zelto ? zelto->GetLocaleComponent() : nullptr;
    VelloraLocaleSession* session = locale ? locale->GetLocaleSessionHandle() : nullptr;
    output = input;
    if (!session) {
        return;
    }
    char* result = nullptr;
    if (LOCL_decodeString(session, source, input.c_str(), target, &result, 0) == 0 && result) {
        output = result;
    }
    if (result) {
        vellora_free(result);
    }
}
