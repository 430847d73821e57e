#include "EncryptDecrypt.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "Cryptor.h"

const char EncryptDecrypt::kPassPhrase[] = "Each lamp to brighten a hall";

void EncryptDecrypt::DoEncryptDecryptMac(char** in, int length, char** out, int& outLength, bool encrypt) {
    if (in == nullptr || out == nullptr || length < 0 || (length > 0 && *in == nullptr)) return;
    std::vector<char> buffer(static_cast<size_t>(length) + kCCBlockSizeAES128);
    size_t moved = 0;
    const CCCryptorStatus status =
        CCCrypt(encrypt ? kCCEncrypt : kCCDecrypt, kCCAlgorithmAES128, kCCOptionPKCS7Padding, kPassPhrase,
                kCCKeySizeAES128, nullptr, *in, static_cast<size_t>(length), buffer.data(), buffer.size(), &moved);
    if (status != kCCSuccess) return;
    char* result = static_cast<char*>(std::malloc(moved + 1));
    if (result == nullptr) return;
    std::memcpy(result, buffer.data(), moved);
    result[moved] = '\0';
    *out = result;
    outLength = static_cast<int>(moved);
}
