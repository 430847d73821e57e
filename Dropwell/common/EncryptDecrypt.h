// AES-128 (CBC, PKCS#7 padding, zero initialisation vector) of mailbox
// passwords under the store's fixed key.
#pragma once

class EncryptDecrypt {
public:
    EncryptDecrypt() = delete;

    // The pass phrase whose first 16 bytes are the key.
    static const char kPassPhrase[];

    // Enciphers (encrypt true) or deciphers length bytes at *in. On success *out
    // is a new malloc'd buffer holding the result and one zero byte, outLength
    // the result's length without it; the caller frees *out. On failure *out
    // and outLength are left as they were.
    static void DoEncryptDecryptMac(char** in, int length, char** out, int& outLength, bool encrypt);
};
