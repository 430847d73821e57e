// The store's folder inside a fuzz run's own configuration folder.
#pragma once

#include <string>

#include "FuzzRoot.h"
#include "VEQHelper.h"

namespace fuzzroot {

// Makes the run's root (MakeRoot) and returns the store's folder, made if
// absent, without a trailing separator.
inline std::string MakeStoreFolder() {
    MakeRoot();
    wxString folder;
    VEQHelper::GetPasswordFilePath(folder, true);
    return std::string(folder.utf8_str());
}

}  // namespace fuzzroot
