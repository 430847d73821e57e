#include "VEQHelper.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include <wx/datetime.h>
#include <wx/filename.h>
#include <wx/log.h>

#include "EncryptDecrypt.h"
#include "Logger.h"
#include "StoreFile.h"
#include "VEQNSUtils.h"
#include "VEQServicesUtil.h"
#include "VeqRoot.h"

namespace {

std::string FileSystemPath(const wxString& path) { return std::string(path.fn_str()); }

// Makes folder with mode 0777 when nothing is there; a link planted in its
// place is left alone (and logged) rather than followed.
void MakeSharedFolder(const wxString& folder) {
    const std::string path = FileSystemPath(folder);
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode)) VEQLOG(Error) << "Not a folder: " << path;
        return;
    }
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        VEQLOG(Error) << "Cannot create the folder " << path << ": " << std::strerror(errno);
        return;
    }
    ::chmod(path.c_str(), 0777);
}

void LogUnreadable(const char* path) {
    VEQLOG(Error) << "Unable to open the file " << path << " or file does not exist";
}

}  // namespace

void VEQHelper::GetPasswordFilePath(wxString& out, bool mapping) {
    static const wxString m_passwordFilePath = VEQServicesUtil::GetConfigDirectory();
    out = m_passwordFilePath + (mapping ? "Dropwell" : "DWP");
    MakeSharedFolder(out);
}

wxString VEQHelper::PasswordFileName(const wxString& nameIP, const wxString& mailboxId) {
    wxString server = nameIP;
    server.Replace("/", "_");
    return "VEQ_" + server + "_" + mailboxId.AfterLast('/') + ".dwp";
}

wxString VEQHelper::StorePasswordFilePath(const wxString& recorded) {
    const wxString name = recorded.AfterLast('/');
    if (name.length() <= 4 || !name.EndsWith(".dwp")) return wxString();
    wxString folder;
    GetPasswordFilePath(folder, true);
    return folder + "/" + name;
}

void VEQHelper::ReadPasswordFromFile(const char* path, char*& data, int& length) {
    data = nullptr;
    length = 0;
    std::string content;
    // Password files are a block or two; anything far larger is not one.
    switch (DROPWELL::ReadStoreFile(path, content, 1u << 20)) {
    case DROPWELL::StoreReadResult::Missing:
        return;
    case DROPWELL::StoreReadResult::Failed:
        LogUnreadable(path);
        return;
    case DROPWELL::StoreReadResult::Read:
        break;
    }
    if (content.empty()) return;
    data = new char[content.size()];
    std::memcpy(data, content.data(), content.size());
    length = static_cast<int>(content.size());
}

bool VEQHelper::WriteToPasswordFile(const char* path, const char* data, int length) {
    if (length <= 0 || data == nullptr || !DROPWELL::WriteStoreFile(path, std::string(data, length))) {
        LogUnreadable(path);
        return false;
    }
    return true;
}

void VEQHelper::ReadPassword(const wxString& path, wxString& password) {
    char* data = nullptr;
    int length = 0;
    ReadPasswordFromFile(FileSystemPath(path).c_str(), data, length);
    if (data == nullptr) return;
    char* plain = nullptr;
    int plainLength = 0;
    EncryptDecrypt::DoEncryptDecryptMac(&data, length, &plain, plainLength, false);
    delete[] data;
    password = plain ? wxString::FromUTF8(plain, plainLength) : wxString();
    std::free(plain);
}

bool VEQHelper::WritePassword(const wxString& password, const wxString& path) {
    wxLogNull quiet;
    wxString trimmed = password;
    trimmed.Trim(true).Trim(false);
    const wxScopedCharBuffer utf8 = trimmed.utf8_str();
    char* in = const_cast<char*>(utf8.data());
    char* cipher = nullptr;
    int cipherLength = 0;
    EncryptDecrypt::DoEncryptDecryptMac(&in, static_cast<int>(utf8.length()), &cipher, cipherLength, true);
    const bool ok = WriteToPasswordFile(FileSystemPath(path).c_str(), cipher, cipherLength);
    std::free(cipher);
    return ok;
}

namespace {

const char kProbePrefix[] = "VEQTest";
const char kProbeSuffix[] = ".tmp";

}  // namespace

bool VEQHelper::IsProbeFileName(const wxString& name) {
    return name.StartsWith(kProbePrefix) && name.EndsWith(kProbeSuffix);
}

bool VEQHelper::IsDirWritable(const wxString& folder, bool logFailure) {
    wxLogNull quiet;
    const wxString stem = folder + wxFileName::GetPathSeparator() + kProbePrefix +
                          wxString::Format("%ld", static_cast<long>(wxDateTime::Now().GetAsDOS()));
    // A fresh name: an existing file (or a link planted there) is never truncated.
    wxString name = stem + kProbeSuffix;
    int fd = -1;
    for (int attempt = 1; attempt <= 100; ++attempt) {
        fd = ::open(FileSystemPath(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) break;
        name = stem + wxString::Format("_%d", attempt) + kProbeSuffix;
    }
    if (fd < 0) {
        const int error = errno;
        if (logFailure) VEQLOG(Error) << "IsOpened() failed : " << name;
        errno = error;
        return false;
    }
    ::close(fd);
    if (::unlink(FileSystemPath(name).c_str()) != 0) VEQLOG(Error) << "Remove file failed : " << name;
    return true;
}

namespace {

// A folder only this user can enter: a real directory (not a link) of ours,
// closed to group and others (one of ours made open by an earlier version is
// closed here). Staged scans wait there before they are placed.
bool IsPrivateFolder(const std::string& path) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) return false;
    return (info.st_mode & 077) == 0 || ::chmod(path.c_str(), 0700) == 0;
}

std::string MakePrivateTempDir() {
    const std::string base = FileSystemPath(wxFileName::GetTempDir() + wxFileName::GetPathSeparator());
    const std::string usual = base + "VEQ6";
    ::mkdir(usual.c_str(), 0700);
    if (IsPrivateFolder(usual)) return usual;
    // The system temporary folder may be shared with other users (it is on
    // Linux): a "VEQ6" that another user made, or a link, is not used, and a
    // fresh folder of our own takes its place for this process.
    std::string fresh = base + "VEQ6-XXXXXX";
    if (::mkdtemp(&fresh[0]) != nullptr) {
        VEQLOG(Warning) << "The temporary folder " << usual << " is not private to this user; using " << fresh;
        return fresh;
    }
    VEQLOG(Error) << "Cannot make a private temporary folder in " << base << ": " << std::strerror(errno);
    return usual;
}

}  // namespace

wxString VEQHelper::GetTempDir() {
    static std::mutex lock;
    static std::string chosen;
    std::lock_guard<std::mutex> guard(lock);
    // The folder chosen first is kept unless it went away or changed hands.
    if (chosen.empty() || !IsPrivateFolder(chosen)) chosen = MakePrivateTempDir();
    return wxString(chosen.c_str(), wxConvFile) + wxFileName::GetPathSeparator();
}

wxString VEQHelper::GetVEQAppInstalledDirectory() {
    return wxString::FromUTF8(veqplatform::UnderRoot("/Applications/Zelto/"));
}

void VEQHelper::ChangeFolderIcon(const wxString& folder, bool warning) {
    const wxString icon = GetVEQAppInstalledDirectory() + "Veqora.app" + wxFileName::GetPathSeparator() +
                          (warning ? "Contents/Resources/veq_warning.icns" : "Contents/Resources/veq_ok.icns");
    VEQNSUtils::FolderSetIcon(folder, icon);
}
