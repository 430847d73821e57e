// A preference file ("VEQPreferences.json" and the like) as anyone with access
// to the configuration folder may write it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzRoot.h"
#include "PreferenceStore.h"

namespace {
std::string s_config;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    s_config = fuzzroot::MakeRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzroot::WriteFile(s_config + "VEQPreferences.json", data, size);
    veq::PreferenceStore store("VEQPreferences.json");
    store.Load();
    wxString value;
    store.Lookup("ShouldShowPrivacyFolderWarningMessage", value);
    return 0;
}
