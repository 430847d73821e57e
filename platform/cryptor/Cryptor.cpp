#include "Cryptor.h"

#include <openssl/evp.h>

#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

struct ContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

// The most output the operation can produce for inLength bytes.
size_t OutputBound(CCOperation op, CCOptions options, size_t inLength) {
    if (op == kCCEncrypt && (options & kCCOptionPKCS7Padding))
        return (inLength / kCCBlockSizeAES128 + 1) * kCCBlockSizeAES128;
    return inLength;
}

}  // namespace

CCCryptorStatus CCCrypt(CCOperation op, CCAlgorithm alg, CCOptions options, const void* key,
                        size_t keyLength, const void* iv, const void* dataIn, size_t dataInLength,
                        void* dataOut, size_t dataOutAvailable, size_t* dataOutMoved) {
    if ((op != kCCEncrypt && op != kCCDecrypt) || alg != kCCAlgorithmAES128 ||
        (options & ~static_cast<CCOptions>(kCCOptionPKCS7Padding)) != 0 || key == nullptr ||
        keyLength != kCCKeySizeAES128 || (dataIn == nullptr && dataInLength > 0) ||
        dataInLength > static_cast<size_t>(std::numeric_limits<int>::max() - 2 * kCCBlockSizeAES128))
        return kCCParamError;
    const bool padding = (options & kCCOptionPKCS7Padding) != 0;
    if ((!padding || op == kCCDecrypt) && dataInLength % kCCBlockSizeAES128 != 0) return kCCAlignmentError;

    const size_t bound = OutputBound(op, options, dataInLength);
    if (op == kCCEncrypt && dataOutAvailable < bound) {
        if (dataOutMoved) *dataOutMoved = bound;
        return kCCBufferTooSmall;
    }

    std::unique_ptr<EVP_CIPHER_CTX, ContextDeleter> context(EVP_CIPHER_CTX_new());
    if (!context) return kCCParamError;
    static const unsigned char zeroIv[kCCBlockSizeAES128] = {};
    const unsigned char* ivBytes = iv ? static_cast<const unsigned char*>(iv) : zeroIv;
    if (EVP_CipherInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, static_cast<const unsigned char*>(key),
                          ivBytes, op == kCCEncrypt ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(context.get(), padding ? 1 : 0) != 1)
        return kCCParamError;

    // Work in a buffer of our own so that a failed call leaves dataOut untouched.
    std::vector<unsigned char> out(bound + kCCBlockSizeAES128);
    int moved = 0;
    int last = 0;
    if (EVP_CipherUpdate(context.get(), out.data(), &moved, static_cast<const unsigned char*>(dataIn),
                         static_cast<int>(dataInLength)) != 1)
        return kCCParamError;
    if (EVP_CipherFinal_ex(context.get(), out.data() + moved, &last) != 1)
        return op == kCCDecrypt ? kCCDecodeError : kCCParamError;
    const size_t total = static_cast<size_t>(moved) + static_cast<size_t>(last);
    if (total > dataOutAvailable) {
        if (dataOutMoved) *dataOutMoved = total;
        return kCCBufferTooSmall;
    }
    if (total > 0) std::memcpy(dataOut, out.data(), total);
    if (dataOutMoved) *dataOutMoved = total;
    return kCCSuccess;
}
