#include "VEQIconChanger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include "StoreFile.h"
#include "VEQNSUtils.h"
#include "VeqRoot.h"

namespace {

const char kDefaultMappingFile[] = "/Library/Application Support/Veqora/Dropwell/VEQ_Dropwell.xml";
const char kGenericFolderIcon[] =
    "/System/Library/CoreServices/CoreTypes.bundle/Contents/Resources/GenericFolderIcon.icns";
const char kMetadataFileName[] = ".DS_store";

bool IsOfType(const std::string& path, mode_t type) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 && (status.st_mode & S_IFMT) == type;
}

// Only an absolute path naming a folder itself (not a link to one) is acted
// on; an empty path would otherwise stand for "/".
bool IsRealFolder(const std::string& path) {
    return !path.empty() && path.front() == '/' && IsOfType(path, S_IFDIR);
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
    std::string text;
    if (!IsOfType(path, S_IFREG) ||
        DROPWELL::ReadStoreFile(path, text) != DROPWELL::StoreReadResult::Read) {
        return;
    }
    wxMemoryInputStream stream(text.data(), text.size());
    wxXmlDocument document;
    if (!document.Load(stream, "UTF-8")) {
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

void VEQIconChanger::RemoveFolderIcon(const wxString& folder) {
    const std::string path = folder.utf8_string();
    if (!IsRealFolder(path)) {
        return;
    }
    VEQNSUtils::FolderSetIcon(folder, wxString::FromUTF8(veqplatform::UnderRoot(kGenericFolderIcon)));
    RemoveMetadataFile(path);
}
