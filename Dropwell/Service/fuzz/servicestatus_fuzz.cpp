// "ServiceStatus.xml" in the store's shared folder, as anyone who can write
// that folder may leave it: read as the service reads it before it starts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzRoot.h"
#include "ServiceStatusFile.h"

namespace {
std::string s_file;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    s_file = fuzzroot::MakeRoot() + "ServiceStatus.xml";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzroot::WriteFile(s_file, data, size);
    ServiceStatusFile::AllowsStart(wxString::FromUTF8(s_file));
    return 0;
}
