// The mapping file as the tray agent lists it, from anyone who can write the
// store's shared folder: no empty or repeated folder is listed, and every
// folder the store itself reads from the same file is among them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "DropwellTypes.h"
#include "MappedFolders.h"
#include "StoreFuzzRoot.h"
#include "XMLReadWrite.h"

namespace {

std::string s_file;

bool Listed(const std::vector<stMappedFoldersDetail>& list, const wxString& folder) {
    for (const stMappedFoldersDetail& entry : list)
        if (entry.Folder == folder) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    s_file = fuzzroot::MakeStoreFolder() + "/VEQ_Dropwell.xml";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzroot::WriteFile(s_file, data, size);
    const wxString path = wxString::FromUTF8(s_file);
    std::vector<stMappedFoldersDetail> list;
    LoadMappedFolders(path, list);
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].Folder.empty()) std::abort();
        for (size_t j = 0; j < i; ++j)
            if (list[j].Folder == list[i].Folder) std::abort();
        MappedFolderTitle(list[i].Folder);
    }

    std::vector<DROPWELL::stServerFolderMapDetails> records;
    XMLReadWrite(path).Read(records);
    for (const DROPWELL::stServerFolderMapDetails& server : records)
        for (const auto& entry : server.MappedFolders)
            if (!entry.second.Folder.empty() && !Listed(list, entry.second.Folder)) std::abort();
    return 0;
}
