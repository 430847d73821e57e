#include "VEQNSUtils.h"

#include <string>

#include "BundleInfo.h"
#include "DateStyles.h"
#include "FolderIcon.h"
#include "Measurement.h"
#include "PreferredLanguage.h"
#include "PropertyList.h"
#include "Reachability.h"
#include "SystemLog.h"

namespace desktop = veqplatform::desktop;

namespace {

// The two sites asked about, the second only when the first is not reported up.
const char* const kProbeAddresses[] = {"http://www.wikipedia.org", "http://www.zelto.com"};

const char* const kShortVersionKey = "CFBundleShortVersionString";

wxString Rendering(unsigned long seconds, desktop::DateStyle dateStyle, desktop::DateStyle timeStyle) {
    return wxString(desktop::FormatDateStyles(seconds, dateStyle, timeStyle).c_str(), wxConvLibc);
}

std::string Utf8(const wxString& text) {
    return std::string(text.utf8_str());
}

// The short version string of a bundle's information list; empty when the
// value is missing or not a string.
wxString ShortVersionOf(const std::string& bundlePath) {
    std::string plistPath = desktop::BundleInfoPlistPath(bundlePath);
    desktop::PlistValue info;
    if (plistPath.empty() || !desktop::ReadPropertyList(plistPath, info)) return wxString();
    const desktop::PlistValue* version = desktop::FindKeyPath(info, kShortVersionKey);
    if (!version || version->kind != desktop::PlistValue::Kind::String) return wxString();
    return wxString::FromUTF8(version->text);
}

}  // namespace

wxString VEQNSUtils::FormatDateTime(const unsigned long& seconds) {
    return Rendering(seconds, desktop::DateStyle::Short, desktop::DateStyle::Medium);
}

wxString VEQNSUtils::FormatTime(const unsigned long& seconds) {
    return Rendering(seconds, desktop::DateStyle::None, desktop::DateStyle::Medium);
}

wxString VEQNSUtils::FormatDate(const unsigned long& seconds) {
    return Rendering(seconds, desktop::DateStyle::Short, desktop::DateStyle::None);
}

bool VEQNSUtils::IsMetricSystem() {
    return desktop::LocaleUsesMetricSystem();
}

wxString VEQNSUtils::GetApplicationVersion() {
    return ShortVersionOf(desktop::MainBundlePath());
}

wxString VEQNSUtils::GetVersion(const wxString& bundlePath) {
    return ShortVersionOf(Utf8(bundlePath));
}

wxString VEQNSUtils::GetValueForKeyInPlist(const wxString& plistPath, const wxString& keyPath,
                                           const wxString& parentKeyPath) {
    desktop::PlistValue root;
    if (!desktop::ReadPropertyList(Utf8(plistPath), root) || root.kind != desktop::PlistValue::Kind::Dictionary)
        return wxString();
    const desktop::PlistValue* node = &root;
    if (!parentKeyPath.empty()) node = desktop::FindKeyPath(root, Utf8(parentKeyPath));
    if (!node) return wxString();
    const desktop::PlistValue* value = desktop::FindKeyPath(*node, Utf8(keyPath));
    return value ? wxString::FromUTF8(desktop::ScalarText(*value)) : wxString();
}

bool VEQNSUtils::CheckForInternet(const wxString& address) {
    return desktop::IsUrlReportedReachable(Utf8(address));
}

bool VEQNSUtils::IsInternetConnectionAvailable() {
    for (const char* address : kProbeAddresses) {
        if (CheckForInternet(address)) return true;
    }
    return false;
}

wxString VEQNSUtils::GetSystemLanguage() {
    return wxString::FromUTF8(desktop::PreferredLanguage());
}

void VEQNSUtils::HideDocIcon() {}

void VEQNSUtils::SetMACOSThemeToAqua() {}

bool VEQNSUtils::FolderSetIcon(const wxString& folder, const wxString& iconFile) {
    bool result = desktop::SetFolderIcon(Utf8(folder), Utf8(iconFile));
    desktop::SystemLog(result ? "1" : "0");
    return result;
}

wxString VEQNSUtils::GetFolderIcon(const wxString& folder) {
    return wxString::FromUTF8(desktop::FolderIcon(Utf8(folder)));
}
