// Files and buffers enciphered as a whole with RC4 under the library's fixed
// key. The enciphered form has the plain data's length and nothing else, and
// enciphering and deciphering are the same transform.
#pragma once

#include <string>
#include <vector>

#include "VEQServicesExport.h"

// The RC4 state: the permutation of the 256 byte values and the two indices.
struct rc4_state {
    unsigned char S[256];
    unsigned char i;
    unsigned char j;
};

// The RC4 key schedule; a keyLength below 1 leaves the identity permutation.
VEQSERVICES_API void rc4_init(rc4_state* state, const unsigned char* key, int keyLength);
// Combines length bytes of in with the next keystream bytes into out (in may be out).
VEQSERVICES_API void rc4_crypt(rc4_state* state, const unsigned char* in, unsigned char* out,
                               unsigned int length);

class VEQSERVICES_API CryptService {
public:
    CryptService() = delete;

    // The fixed key; its NUL terminator is not part of it.
    static const char key[];

    // Replaces out with the deciphered content of the regular file at path.
    // False (out untouched) when the file cannot be opened, is not a regular
    // file, holds 4 GiB or more, or cannot be read whole.
    static bool Read(const std::wstring& path, std::string& out);

    // Makes the file at path hold the enciphered data, through a temporary
    // file in the same folder renamed over it, so the old content stays whole
    // until the new one is complete. True only when every byte reached the
    // disk and the file took its place.
    static bool Write(const std::wstring& path, const std::string& data);

    static void Encrypt(const char* data, unsigned int length, std::vector<unsigned char>& out);
    static void Decrypt(const std::vector<unsigned char>& in, std::vector<char>& out);

    // The same conversion as VEQServicesUtil::wstringTostringUTF8.
    static std::string wstringTostringUTF8(const std::wstring& text);
};
