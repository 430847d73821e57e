#include "VEQServicesUtil.h"

#include <cstdint>
#include <cstdlib>
#include <regex>
#include <stdexcept>

#include <boost/algorithm/string/trim.hpp>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/translation.h>

#include "VeqRoot.h"
#include "XdgUserDirs.h"

namespace {

// The system version this build reports, from VEQ_MACOS_VERSION ("12.0" when
// unset); text that does not start with a number leaves both numbers 0.
void GetEmulatedOsVersion(int& major, int& minor) {
    const char* env = std::getenv("VEQ_MACOS_VERSION");
    const char* text = (env && *env) ? env : "12.0";
    char* end = nullptr;
    const long majorNumber = std::strtol(text, &end, 10);
    if (end == text || majorNumber < 0) return;
    major = static_cast<int>(majorNumber);
    if (*end == '.') {
        const char* minorText = end + 1;
        const long minorNumber = std::strtol(minorText, &end, 10);
        if (end != minorText && minorNumber >= 0) minor = static_cast<int>(minorNumber);
    }
}

// True when path is folder itself or lies below it.
bool IsInsideFolder(const wxString& path, const wxString& folder) {
    if (!path.StartsWith(folder)) return false;
    return path.length() == folder.length() || folder.EndsWith("/") || path[folder.length()] == '/';
}

void AppendUtf8(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace

wxString VEQServicesUtil::GetConfigDirectory() {
    wxFileName folder(wxString(veqplatform::UnderRoot("/Library/Application Support/")), wxEmptyString);
    folder.AppendDir("Veqora");
    if (!folder.DirExists()) {
        wxLogNull quiet;  // a folder that cannot be made shows up in the caller's own file operations
        folder.Mkdir(0777, wxPATH_MKDIR_FULL);
    }
    return folder.GetFullPath();
}

bool VEQServicesUtil::isValidIPv4AddressFormat(const wxString& text) {
    static const char* const pattern =
        "^(([0-9]|([0-9][0-9])|([0-1][0-9][0-9])|(2[0-4][0-9])|(25[0-5]))\\.){3}"
        "([0-9]|([0-9][0-9])|([0-1][0-9][0-9])|(2[0-4][0-9])|(25[0-5]))$";
    const std::regex address(pattern, std::regex::ECMAScript);
    std::string narrow = text.ToStdString(wxConvLibc);
    boost::algorithm::trim(narrow);
    return std::regex_match(narrow, address);
}

bool VEQServicesUtil::OSX10_XXnAbove(int minor) {
    int majorVersion = 0;
    int minorVersion = 0;
    GetEmulatedOsVersion(majorVersion, minorVersion);
    return majorVersion > 10 || (majorVersion == 10 && minorVersion >= minor);
}

bool VEQServicesUtil::OSX10_15nAbove() {
    static const bool s_isOSX10_15nAbove = OSX10_XXnAbove(15);
    return s_isOSX10_15nAbove;
}

bool VEQServicesUtil::OSX11_nAbove() {
    static const bool s_isOSX11_nAbove = OSX10_XXnAbove(16);
    return s_isOSX11_nAbove;
}

bool VEQServicesUtil::IsOSXPrivacyFolder(const wxString& path, wxString& folderName) {
    if (!OSX10_15nAbove()) return false;
    folderName.clear();

    struct PrivacyFolder {
        veqplatform::xdg::UserDir kind;
        const char* word;
    };
    static const PrivacyFolder folders[] = {
        {veqplatform::xdg::UserDir::Desktop, "Desktop"},
        {veqplatform::xdg::UserDir::Documents, "Documents"},
        {veqplatform::xdg::UserDir::Downloads, "Downloads"},
    };
    // A desktop that maps one of these folders onto the home folder itself (a
    // "disabled" user folder) or above it must not make the whole home protected.
    const wxString home(veqplatform::xdg::HomeDir());
    for (const PrivacyFolder& folder : folders) {
        const wxString folderPath(veqplatform::xdg::UserDirPath(folder.kind));
        if (folderPath.empty() || IsInsideFolder(home, folderPath)) continue;
        if (IsInsideFolder(path, folderPath)) {
            folderName = wxGetTranslation(folder.word);
            break;
        }
    }
    return !folderName.empty();
}

std::string VEQServicesUtil::wstringTostringUTF8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t element : text) {
        const auto codePoint = static_cast<std::uint32_t>(element);
        if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            throw std::range_error("wstring_convert: to_bytes error");
        }
        AppendUtf8(out, codePoint);
    }
    return out;
}

wxString VEQServicesUtil::MD5HashString(const wxString& text) {
    return text;
}
