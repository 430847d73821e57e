// One-shot symmetric ciphering as the system's code calls it on the desktop
// platform: AES-128 in CBC mode with optional PKCS#7 padding, over OpenSSL EVP.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int32_t CCCryptorStatus;
typedef uint32_t CCOperation;
typedef uint32_t CCAlgorithm;
typedef uint32_t CCOptions;

enum : CCCryptorStatus {
    kCCSuccess = 0,
    kCCParamError = -4300,
    kCCBufferTooSmall = -4301,
    kCCAlignmentError = -4303,
    kCCDecodeError = -4304,
};

enum : CCOperation { kCCEncrypt = 0, kCCDecrypt = 1 };
enum : CCAlgorithm { kCCAlgorithmAES128 = 0 };
enum : CCOptions { kCCOptionPKCS7Padding = 0x0001 };
enum : size_t { kCCKeySizeAES128 = 16, kCCBlockSizeAES128 = 16 };

// Enciphers or deciphers dataInLength bytes into dataOut (dataOutAvailable bytes
// of room); *dataOutMoved receives the number of bytes produced. A null iv is
// sixteen zero bytes. Without padding the input must be a whole number of
// blocks (kCCAlignmentError); deciphering text whose padding is wrong gives
// kCCDecodeError; too little room gives kCCBufferTooSmall with the room needed
// in *dataOutMoved. Nothing is written to dataOut unless the call succeeds.
CCCryptorStatus CCCrypt(CCOperation op, CCAlgorithm alg, CCOptions options, const void* key,
                        size_t keyLength, const void* iv, const void* dataIn, size_t dataInLength,
                        void* dataOut, size_t dataOutAvailable, size_t* dataOutMoved);
