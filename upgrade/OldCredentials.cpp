#include "OldCredentials.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <wx/convauto.h>

#include "EncryptDecrypt.h"
#include "StoreFile.h"

namespace vequpgrade {

namespace {

// Name and password files are a few bytes; anything far larger is not one.
const std::size_t kMaximumCredentialFileSize = 64 * 1024;

bool ReadCredentialFile(const wxString& path, std::string& bytes) {
    return DROPWELL::ReadStoreFile(path.utf8_string(), bytes, kMaximumCredentialFileSize) ==
           DROPWELL::StoreReadResult::Read;
}

}  // namespace

wxString ServerFromCredentialName(const wxString& baseName) {
    return baseName.AfterFirst('_').BeforeFirst('_');
}

wxString GetMailboxName(const wxString& path) {
    std::string bytes;
    if (!ReadCredentialFile(path, bytes)) {
        return wxString();
    }
    return wxString(bytes.data(), wxConvAuto(), bytes.size());
}

bool GetMailboxPassword(const wxString& path, wxString& password) {
    std::string bytes;
    if (!ReadCredentialFile(path, bytes)) {
        return false;
    }
    password.clear();
    if (bytes.empty()) {
        return true;
    }
    std::vector<char> cipherText(bytes.begin(), bytes.end());
    char* in = cipherText.data();
    char* out = nullptr;  // stays null when the bytes do not decipher
    int outLength = 0;
    EncryptDecrypt::DoEncryptDecryptMac(&in, static_cast<int>(cipherText.size()), &out, outLength,
                                        false);
    if (out != nullptr) {
        password = wxString::FromUTF8(out, static_cast<std::size_t>(outLength));
        std::free(out);
    }
    return true;
}

}  // namespace vequpgrade
