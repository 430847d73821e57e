// The mapping file "VEQ_Dropwell.xml" as anyone who can write the store's
// shared folder may leave it: read as the store reads it, then written again
// and read back, which must give the same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DropwellTypes.h"
#include "StoreFuzzRoot.h"
#include "XMLReadWrite.h"

using DROPWELL::ServerMappings;
using DROPWELL::stServerFolderMapDetails;

namespace {

// Each mapping written costs a synced password file; a file with more mappings
// than this is only read, so that every input stays quick.
constexpr size_t kMaxRewrittenMappings = 32;

std::string s_file;

wxString Trimmed(wxString text) { return text.Trim(true).Trim(false); }

// What writing records and reading them back should give: servers without
// mappings are left out and passwords are stored trimmed.
ServerMappings Rewritten(const ServerMappings& records) {
    ServerMappings expected;
    for (const stServerFolderMapDetails& server : records) {
        if (server.MappedFolders.empty()) continue;
        expected.push_back(server);
        for (auto& entry : expected.back().MappedFolders) entry.second.Password = Trimmed(entry.second.Password);
    }
    return expected;
}

bool Same(const ServerMappings& a, const ServerMappings& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].NameIP != b[i].NameIP || a[i].DisplayName != b[i].DisplayName || a[i].Status != b[i].Status ||
            a[i].MappedFolders.size() != b[i].MappedFolders.size())
            return false;
        auto x = a[i].MappedFolders.begin();
        for (auto y = b[i].MappedFolders.begin(); y != b[i].MappedFolders.end(); ++x, ++y) {
            if (x->first != y->first || x->second.MailboxName != y->second.MailboxName ||
                x->second.Password != y->second.Password || x->second.Folder != y->second.Folder ||
                x->second.Status != y->second.Status)
                return false;
        }
    }
    return true;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t MappingCount(const ServerMappings& records) {
    size_t count = 0;
    for (const stServerFolderMapDetails& server : records) count += server.MappedFolders.size();
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    s_file = fuzzroot::MakeStoreFolder() + "/VEQ_Dropwell.xml";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzroot::WriteFile(s_file, data, size);
    XMLReadWrite file(wxString::FromUTF8(s_file));
    ServerMappings records;
    file.Read(records);
    if (MappingCount(records) > kMaxRewrittenMappings) return 0;

    if (file.Write(records) != 0) {
        // Refused only when the records would not fit a readable file; the
        // file read is then left as it was.
        if (FileText(s_file) != std::string(reinterpret_cast<const char*>(data), size)) std::abort();
        return 0;
    }
    ServerMappings again;
    file.Read(again);
    if (!Same(again, Rewritten(records))) std::abort();
    return 0;
}
