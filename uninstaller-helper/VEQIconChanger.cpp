#include "VEQIconChanger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include <wx/log.h>
#include <wx/xml/xml.h>

#include "StoreXml.h"
#include "VEQNSUtils.h"
#include "VeqRoot.h"

namespace {

const char kDefaultMappingFile[] = "/Library/Application Support/Veqora/Dropwell/VEQ_Dropwell.xml";
const char kGenericFolderIcon[] =
    "/System/Library/CoreServices/CoreTypes.bundle/Contents/Resources/GenericFolderIcon.icns";
const char kMetadataFileName[] = ".DS_store";

// The path without its trailing separators, so that a final link is not
// followed; false when it names the root or holds a "." or ".." component.
bool PlainAbsolutePath(const std::string& path, std::string& plain) {
    if (path.empty() || path.front() != '/') return false;
    bool named = false;
    size_t start = 0;
    while (start < path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string component = path.substr(start, end - start);
        if (component == "." || component == "..") return false;
        named = named || !component.empty();
        start = end + 1;
    }
    plain = path.substr(0, path.find_last_not_of('/') + 1);
    return named;
}

// Removes the metadata file when it is a regular file of that very folder; a
// link in its place (and whatever it points to) stays as it is.
void RemoveMetadataFile(const std::string& folder) {
    const int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (directory < 0) {
        return;
    }
    struct stat status;
    if (::fstatat(directory, kMetadataFileName, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(status.st_mode)) {
        ::unlinkat(directory, kMetadataFileName, 0);
    }
    ::close(directory);
}

}  // namespace

VEQIconChanger::VEQIconChanger(const wxString& xmlPath) : m_xmlPath(xmlPath) {}

wxString VEQIconChanger::GetXMLFilePath() {
    if (m_xmlPath.empty()) {
        m_xmlPath = wxString::FromUTF8(veqplatform::UnderRoot(kDefaultMappingFile));
    }
    return m_xmlPath;
}

void VEQIconChanger::RemoveVEQFolderIcons() {
    wxLogNull quiet;
    GetXMLFilePath();
    wxArrayString folders;
    ReadMappedFolderPathsFromXML(folders);
    for (const wxString& folder : folders) {
        RemoveFolderIcon(folder);
    }
}

void VEQIconChanger::ReadMappedFolderPathsFromXML(wxArrayString& folders) {
    // Checked first so that nothing else is left to log: a log would be a file
    // this program made.
    const std::string path = m_xmlPath.utf8_string();
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<size_t>(status.st_size) > DROPWELL::kMaxStoreXmlSize) {
        return;
    }
    wxXmlDocument document;
    std::string problem;
    if (DROPWELL::LoadStoreXml(path, document, problem) != DROPWELL::StoreXmlResult::Loaded) {
        return;
    }
    wxXmlNode* root = document.GetRoot();
    if (root == nullptr || root->GetName() != "Dropwell") {
        return;
    }
    ReadZeltoNodes(root, folders);
}

void VEQIconChanger::ReadZeltoNodes(wxXmlNode* root, wxArrayString& folders) {
    for (wxXmlNode* child = root->GetChildren(); child != nullptr; child = child->GetNext()) {
        if (child->GetName() == "Zelto") {
            ReadMappedFolderDetails(child, folders);
        }
    }
}

void VEQIconChanger::ReadMappedFolderDetails(wxXmlNode* server, wxArrayString& folders) {
    for (wxXmlNode* child = server->GetChildren(); child != nullptr; child = child->GetNext()) {
        if (child->GetName() == "MappedFolder") {
            folders.Add(child->GetAttribute("Folder", wxEmptyString));
        }
    }
}

std::string VEQIconChanger::FolderToRestore(const std::string& path) {
    std::string plain;
    struct stat folder;
    struct stat root;
    if (!PlainAbsolutePath(path, plain) || ::lstat(plain.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode) ||
        ::stat("/", &root) != 0 || (folder.st_dev == root.st_dev && folder.st_ino == root.st_ino)) {
        return std::string();
    }
    return plain;
}

void VEQIconChanger::RemoveFolderIcon(const wxString& folder) {
    const std::string path = FolderToRestore(folder.utf8_string());
    if (path.empty()) {
        return;
    }
    VEQNSUtils::FolderSetIcon(wxString::FromUTF8(path), wxString::FromUTF8(veqplatform::UnderRoot(kGenericFolderIcon)));
    RemoveMetadataFile(path);
}
