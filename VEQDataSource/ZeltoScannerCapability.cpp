#include "ZeltoScannerCapability.h"

#include <algorithm>

#include <wx/intl.h>

#include "LocaleComponent.h"
#include "Logger.h"
#include "VEQAttributeKeys.h"
#include "ZeltoServer.h"

namespace {

bool ReadDecimal(const wxString& text, long& value) {
    return text.ToLong(&value, 10);
}

// Numbers first, largest first; texts that are no numbers keep their order after them.
bool ResolutionBefore(const ScannerAttribute& left, const ScannerAttribute& right) {
    long leftValue = 0;
    long rightValue = 0;
    const bool leftNumeric = ReadDecimal(left.m_value, leftValue);
    const bool rightNumeric = ReadDecimal(right.m_value, rightValue);
    if (leftNumeric != rightNumeric) {
        return leftNumeric;
    }
    return leftNumeric && leftValue > rightValue;
}

}  // namespace

ZeltoScannerCapability::ZeltoScannerCapability(Server* server,
                                               const std::map<wxString, wxString>& scanAttributes,
                                               const std::map<wxString, wxString>& serverFeatures)
    : m_scanInitiationEnabled(false),
      m_maxResolution(0, 0),
      m_defaultFileFormat(VEQTypes::PDF),
      m_server(server),
      m_scanAttributes(scanAttributes),
      m_serverFeatures(serverFeatures),
      m_mailboxAuthenticationSupported(false),
      m_engineBoxSupported(false),
      m_engineAuthenticationSupported(false),
      m_accountTrackLoginSupported(false) {
    Initialize();
    ExtractVeqoraCapability();
    ExtractScanSourceAttributes();
    ExtractPageSizesAttributes();
    ExtractValidResolutionAttributes();
    ExtractScanOptionsAttributes();
    ExtractColorModesAttributes();
    ExtractOrientationAttributes();
    ExtractMaxResolutionAttribute();
    ExtractSupportedFileFormatAttribute();
}

ZeltoScannerCapability::~ZeltoScannerCapability() = default;

void ZeltoScannerCapability::GetList(const std::map<wxString, wxString>& set,
                                     const wxString& key, std::vector<wxString>& out) {
    const auto countEntry = set.find("N_" + key);
    long count = 0;
    if (countEntry == set.end() || !ReadDecimal(countEntry->second, count) || count <= 0) {
        return;
    }
    std::vector<wxString> seen;
    for (long i = 0; i <= count; ++i) {
        const wxString name = i == 0 ? key : wxString::Format("%s:%ld", key, i);
        const auto entry = set.find(name);
        if (entry == set.end()) {
            continue;
        }
        if (std::find(seen.begin(), seen.end(), entry->second) == seen.end()) {
            seen.push_back(entry->second);
            out.push_back(entry->second);
        }
    }
}

bool ZeltoScannerCapability::IsScanAttributeEnabled(const wxString& key) const {
    const auto entry = m_scanAttributes.find(key);
    return entry != m_scanAttributes.end() && entry->second.IsSameAs("YES", false);
}

wxString ZeltoScannerCapability::Attribute(const wxString& key) const {
    const auto entry = m_scanAttributes.find(key);
    return entry == m_scanAttributes.end() ? wxString() : entry->second;
}

void ZeltoScannerCapability::Initialize() {
    m_mailboxAuthenticationSupported = IsScanAttributeEnabled("E_MBOX_PASSWORD");
    m_engineBoxSupported = IsScanAttributeEnabled("ENGINEBOX_ENABLED");
    const auto userAuth = m_scanAttributes.find("ENGINEBOX_USERAUTH");
    if (userAuth != m_scanAttributes.end()) {
        m_engineAuthentication = userAuth->second;
        m_engineAuthenticationSupported =
            m_engineAuthentication == "INTERNAL" || m_engineAuthentication == "EXTERNAL";
    }
    const auto accountTrack = m_scanAttributes.find("ENGINEBOX_ACCOUNTTRACK");
    m_accountTrackLoginSupported = accountTrack != m_scanAttributes.end() &&
                                   !accountTrack->second.empty() && accountTrack->second != "OFF";
}

void ZeltoScannerCapability::ExtractVeqoraCapability() {
    m_scanInitiationEnabled = false;
    const auto lockedBy = m_scanAttributes.find("SCAN_INIT_LOCKBY");
    const bool unlocked = lockedBy != m_scanAttributes.end() &&
                          (lockedBy->second.IsSameAs("NONE", false) ||
                           lockedBy->second.IsSameAs("REMOTE", false));
    if (!unlocked && !IsScanAttributeEnabled("SCAN_REMOTE_INIT") &&
        !IsScanAttributeEnabled("VEQORA_INIT")) {
        return;
    }
    if (IsScanAttributeEnabled("VEQ_DISABLE_INITIATE")) {
        return;
    }
    m_scanInitiationEnabled = IsScanAttributeEnabled("SCAN_ENABLED");
}

std::vector<ScannerAttribute> ZeltoScannerCapability::MakeLocalizedList(
    ScannerAttribute::ScannerAttributeType type, const wxString& key) const {
    std::vector<wxString> values;
    GetList(m_scanAttributes, key, values);
    ZeltoServer* zelto = dynamic_cast<ZeltoServer*>(m_server);
    const std::shared_ptr<LocaleComponent> locale = zelto ? zelto->GetLocaleComponent() : nullptr;
    std::vector<ScannerAttribute> list;
    for (const wxString& value : values) {
        list.emplace_back(type, key, value, locale ? locale->GetLocalizedString(value) : value);
    }
    return list;
}

void ZeltoScannerCapability::ExtractScanSourceAttributes() {
    m_scanSources = MakeLocalizedList(ScannerAttribute::SCAN_SOURCE, g_keyScanSource);
}

void ZeltoScannerCapability::ExtractPageSizesAttributes() {
    m_pageSizes = MakeLocalizedList(ScannerAttribute::PAGE_SIZE, g_keyPageSize);
}

void ZeltoScannerCapability::ExtractColorModesAttributes() {
    m_colorModes = MakeLocalizedList(ScannerAttribute::COLOR_MODE, g_keyColorMode);
}

void ZeltoScannerCapability::ExtractOrientationAttributes() {
    if (IsScanAttributeEnabled("S_ORIENTATION") && IsScanAttributeEnabled("E_ORIENTATION")) {
        m_orientations = MakeLocalizedList(ScannerAttribute::ORIENTATION, g_keyOrientation);
    }
}

void ZeltoScannerCapability::ExtractValidResolutionAttributes() {
    std::vector<wxString> values;
    GetList(m_scanAttributes, g_keyResolution, values);
    if (values.empty()) {
        return;
    }
    const wxString firstListed = values.front();
    const wxString format = wxGetTranslation("%s dpi", "veq");
    for (const wxString& value : values) {
        m_resolutions.emplace_back(ScannerAttribute::RESOLUTION, g_keyResolution, value,
                                   wxString::Format(format, value));
    }
    std::stable_sort(m_resolutions.begin(), m_resolutions.end(), ResolutionBefore);
    for (const ScannerAttribute& resolution : m_resolutions) {
        if (resolution.m_value == firstListed) {
            m_defaultResolution = resolution;
            break;
        }
    }
}

void ZeltoScannerCapability::ExtractScanOptionsAttributes() {
    m_sides.emplace_back(ScannerAttribute::SIDES, g_keySidesToScan, g_keyScanSingleSide,
                         wxGetTranslation("Single-Sided", "veq"));
    if (IsScanAttributeEnabled("SUPPORT_DUPLEX")) {
        m_sides.emplace_back(ScannerAttribute::SIDES, g_keySidesToScan, g_keyScanDoubleSide,
                             wxGetTranslation("Double-Sided", "veq"));
    }
}

void ZeltoScannerCapability::ExtractMaxResolutionAttribute() {
    bool found = false;
    long largest = 0;
    for (const ScannerAttribute& resolution : m_resolutions) {
        long value = 0;
        if (ReadDecimal(resolution.m_value, value) && (!found || value > largest)) {
            largest = value;
            found = true;
        }
    }
    m_maxResolution = found ? std::make_pair(static_cast<int>(largest), static_cast<int>(largest))
                            : std::make_pair(0, 0);
}

void ZeltoScannerCapability::ExtractSupportedFileFormatAttribute() {
    std::vector<wxString> texts;
    GetList(m_scanAttributes, g_keyFile_Format, texts);
    for (const wxString& text : texts) {
        const auto format = VEQTypes::g_fileFormats.find(text);
        if (format != VEQTypes::g_fileFormats.end()) {
            m_fileFormats.push_back(format->second);
        }
    }
    if (m_fileFormats.empty()) {
        VEQLOG(Debug) << (m_server ? m_server->GetIP() : wxString())
                      << ", Server returned 0 file formats, defaulting...";
        m_fileFormats = {VEQTypes::PDF, VEQTypes::TIFF};
    }
    const auto defaultFormat = VEQTypes::g_fileFormats.find(Attribute("SCAN_DEFAULT_FORMAT"));
    m_defaultFileFormat =
        defaultFormat != VEQTypes::g_fileFormats.end() ? defaultFormat->second : VEQTypes::PDF;
}

bool ZeltoScannerCapability::IsVeqoraEnabled() {
    return m_scanInitiationEnabled;
}

const std::vector<ScannerAttribute>& ZeltoScannerCapability::GetScanSources() {
    return m_scanSources;
}

const std::vector<ScannerAttribute>& ZeltoScannerCapability::GetValidPageSizes() {
    return m_pageSizes;
}

const std::vector<ScannerAttribute>& ZeltoScannerCapability::GetValidResolutions() {
    return m_resolutions;
}

const std::vector<ScannerAttribute>& ZeltoScannerCapability::GetSidesToScanOption() {
    return m_sides;
}

const std::vector<ScannerAttribute>& ZeltoScannerCapability::GetVEQColorModes() {
    return m_colorModes;
}

const std::vector<ScannerAttribute>& ZeltoScannerCapability::GetSupportedOrientation() {
    return m_orientations;
}

std::pair<int, int> ZeltoScannerCapability::GetMaxResolution() {
    return m_maxResolution;
}

ScannerAttribute ZeltoScannerCapability::GetDefaultResolution() {
    return m_defaultResolution;
}

std::vector<VEQTypes::FileFormat> ZeltoScannerCapability::GetSupportedFileFormat() {
    return m_fileFormats;
}

std::vector<VEQTypes::FileFormat> ZeltoScannerCapability::GetSupportedFileFormat(
    const VEQTypes::ScanInitiateAttributes& attributes) {
    std::vector<VEQTypes::FileFormat> formats = m_fileFormats;
    if (attributes.m_colorMode.m_value == g_keyBlack_White) {
        const auto jpeg = std::find(formats.begin(), formats.end(), VEQTypes::JPEG);
        if (jpeg != formats.end()) {
            formats.erase(jpeg);
        }
    }
    return formats;
}

const VEQTypes::FileFormat& ZeltoScannerCapability::GetDefaultFileFormat() {
    return m_defaultFileFormat;
}

bool ZeltoScannerCapability::MailBoxAuthenticationSupported() {
    return m_mailboxAuthenticationSupported;
}

bool ZeltoScannerCapability::CanServerSupportEngineBox() {
    return m_engineBoxSupported;
}

bool ZeltoScannerCapability::CanServerSupportEngineAuthentication() {
    return m_engineAuthenticationSupported;
}

wxString ZeltoScannerCapability::GetEngineAuth() {
    return m_engineAuthentication;
}

bool ZeltoScannerCapability::CanServerSupportsAccountTrackLogin() {
    return m_accountTrackLoginSupported;
}
