// A mailbox password file (".dwp") as anyone who can write the store's shared
// folder may leave it: the bytes deciphered directly and read as the store
// reads a password file; what reads as a password must survive being written
// and read again, and the cipher must undo itself both ways.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "EncryptDecrypt.h"
#include "StoreFuzzRoot.h"
#include "VEQHelper.h"

namespace {

std::string s_file;
std::string s_copy;

// Runs the cipher on size bytes; returns false when it refuses them.
bool Cipher(const char* bytes, size_t size, bool encrypt, std::string& result) {
    char* in = const_cast<char*>(bytes);
    char* out = nullptr;
    int length = -1;
    EncryptDecrypt::DoEncryptDecryptMac(&in, static_cast<int>(size), &out, length, encrypt);
    if (out == nullptr) {
        if (length != -1) std::abort();
        return false;
    }
    if (length < 0 || out[length] != '\0') std::abort();
    result.assign(out, static_cast<size_t>(length));
    std::free(out);
    return true;
}

void CheckCipher(const char* bytes, size_t size) {
    std::string plain, cipher, back;
    // A cipher text that deciphers is exactly what its plain text enciphers to.
    if (Cipher(bytes, size, false, plain)) {
        if (!Cipher(plain.data(), plain.size(), true, cipher) || cipher != std::string(bytes, size)) std::abort();
    }
    if (!Cipher(bytes, size, true, cipher) || cipher.size() % 16 != 0 || cipher.size() <= size) std::abort();
    if (!Cipher(cipher.data(), cipher.size(), false, back) || back != std::string(bytes, size)) std::abort();
}

wxString ReadPassword(const std::string& path) {
    wxString password = "unchanged";
    VEQHelper::ReadPassword(wxString::FromUTF8(path), password);
    return password;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string folder = fuzzroot::MakeStoreFolder();
    s_file = folder + "/VEQ_fuzz_box.dwp";
    s_copy = folder + "/VEQ_fuzz_copy.dwp";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    CheckCipher(bytes, size);

    fuzzroot::WriteFile(s_file, data, size);
    const wxString password = ReadPassword(s_file);
    if (size == 0) {
        if (password != "unchanged") std::abort();
        return 0;
    }
    if (!VEQHelper::WritePassword(password, wxString::FromUTF8(s_copy))) std::abort();
    wxString trimmed = password;
    trimmed.Trim(true).Trim(false);
    if (ReadPassword(s_copy) != trimmed) std::abort();
    return 0;
}
