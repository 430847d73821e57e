#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <vector>

#include <wx/dir.h>
#include <wx/filename.h>

#include "DropwellTypes.h"
#include "Migrate.h"
#include "OldVersionPaths.h"
#include "StoreFile.h"
#include "SynchronizedReadWrite.h"
#include "VEQHelper.h"

namespace {

const wxString kMappingFileName = "VEQ_Dropwell.xml";
// Far above what the older version kept there (the mapping file, its password
// files, the status file); a crafted folder is copied only this far.
constexpr std::size_t kMaxCopiedFiles = 1000;
constexpr std::size_t kMaxCopiedFileSize = 16u << 20;
const wxString kSignalFilePrefix = "VEQFMWATCH_";

bool IsRegularFile(const wxString& path) {
    struct stat status;
    return ::lstat(path.utf8_string().c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// Copies one regular file of the old folder into the new one. A file already
// there is the current version's own and is kept, so running again loses
// nothing made since. Links are neither read nor written through.
bool CopyIntoStore(const wxString& source, const wxString& target) {
    if (!IsRegularFile(source) || IsRegularFile(target)) {
        return false;
    }
    std::string data;
    return DROPWELL::ReadStoreFile(source.utf8_string(), data, kMaxCopiedFileSize) ==
               DROPWELL::StoreReadResult::Read &&
           DROPWELL::WriteStoreFile(target.utf8_string(), data);
}

// The copied mapping still names the old folder's password files; writing it
// again through the store puts every password into the new folder and points
// the mapping there, so nothing depends on the old folder any more. A mapping
// that yields no records is left as copied.
void MovePasswordFilesIntoStore() {
    std::vector<DROPWELL::stServerFolderMapDetails> mapping;
    SynchronizedReadWrite::GetInstance()->Read(mapping);
    if (!mapping.empty()) {
        SynchronizedReadWrite::GetInstance()->Write(mapping);
    }
}

}  // namespace

void Migrate::MoveDropwellFolder() {
    const wxString oldBase = vequpgrade::GetOldDropwellPath();
    const wxString newBase = vequpgrade::GetNewVEQPath();
    if (!wxFileName::DirExists(oldBase) || !wxFileName::DirExists(newBase)) {
        return;
    }
    const wxString oldFolder = oldBase + "Dropwell";
    wxDir old;
    if (!wxDir::Exists(oldFolder) || !old.Open(oldFolder)) {
        return;
    }
    wxString newFolder = newBase + "Dropwell";
    if (!wxFileName::DirExists(newFolder)) {
        VEQHelper::GetPasswordFilePath(newFolder, true);  // makes it as the store does
        if (!wxFileName::DirExists(newFolder)) {
            return;
        }
    }
    bool mappingCopied = false;
    std::size_t seen = 0;
    wxString name;
    for (bool more = old.GetFirst(&name, wxEmptyString, wxDIR_FILES | wxDIR_HIDDEN);
         more && seen++ < kMaxCopiedFiles; more = old.GetNext(&name)) {
        if (wxFileName(name).GetName().StartsWith(kSignalFilePrefix)) {
            continue;
        }
        const wxString separator = wxFileName::GetPathSeparator();
        if (CopyIntoStore(oldFolder + separator + name, newFolder + separator + name) &&
            name == kMappingFileName) {
            mappingCopied = true;
        }
    }
    if (mappingCopied) {
        MovePasswordFilesIntoStore();
    }
}
