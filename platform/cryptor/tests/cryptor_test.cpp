// The AES layer against known cipher texts, its padding checks and its
// argument checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Cryptor.h"

namespace {

const char kKey[] = "Each lamp to bri";

std::string Hex(const unsigned char* data, size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

struct Result {
    CCCryptorStatus status;
    std::vector<unsigned char> data;
};

Result Cipher(CCOperation op, const std::string& in, CCOptions options = kCCOptionPKCS7Padding,
           size_t room = 64) {
    Result result{0, std::vector<unsigned char>(room, 0xAA)};
    size_t moved = 12345;
    result.status = CCCrypt(op, kCCAlgorithmAES128, options, kKey, kCCKeySizeAES128, nullptr, in.data(),
                            in.size(), result.data.data(), room, &moved);
    if (result.status == kCCSuccess) result.data.resize(moved);
    return result;
}

std::string Unhex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

TEST(Cryptor, KnownCipherTextsRoundTrip) {
    struct Case {
        std::string plain;
        std::string cipher;
    } cases[] = {
        {"secret", "6c399553b8874e8213649f491ec40de8"},
        {"", "5db1730fc549055079d4b04d156e87f2"},
    };
    for (const Case& c : cases) {
        Result enciphered = Cipher(kCCEncrypt, c.plain);
        ASSERT_EQ(enciphered.status, kCCSuccess) << c.plain;
        EXPECT_EQ(Hex(enciphered.data.data(), enciphered.data.size()), c.cipher);
        Result deciphered = Cipher(kCCDecrypt, Unhex(c.cipher));
        ASSERT_EQ(deciphered.status, kCCSuccess);
        EXPECT_EQ(std::string(deciphered.data.begin(), deciphered.data.end()), c.plain);
    }
}

TEST(Cryptor, WholeBlockGetsAFullPaddingBlock) {
    Result enciphered = Cipher(kCCEncrypt, std::string(16, 'x'));
    ASSERT_EQ(enciphered.status, kCCSuccess);
    EXPECT_EQ(enciphered.data.size(), 32u);
}

TEST(Cryptor, BadInputIsRefusedAndOutputUntouched) {
    struct Case {
        const char* what;
        CCOperation op;
        std::string in;
        CCOptions options;
        size_t room;
        CCCryptorStatus expected;
    } cases[] = {
        {"decipher of 15 bytes", kCCDecrypt, std::string(15, 'a'), kCCOptionPKCS7Padding, 64, kCCAlignmentError},
        {"bad padding", kCCDecrypt, std::string(16, 'a'), kCCOptionPKCS7Padding, 64, kCCDecodeError},
        {"unpadded partial block", kCCEncrypt, "abc", 0, 64, kCCAlignmentError},
        {"too little room", kCCEncrypt, "secret", kCCOptionPKCS7Padding, 15, kCCBufferTooSmall},
        {"unknown option", kCCEncrypt, "secret", 0x80, 64, kCCParamError},
    };
    for (const Case& c : cases) {
        Result result = Cipher(c.op, c.in, c.options, c.room);
        EXPECT_EQ(result.status, c.expected) << c.what;
        EXPECT_EQ(result.data, std::vector<unsigned char>(c.room, 0xAA)) << c.what;
    }
}

TEST(Cryptor, WrongKeyLengthIsRefused) {
    unsigned char out[32];
    size_t moved = 0;
    EXPECT_EQ(CCCrypt(kCCEncrypt, kCCAlgorithmAES128, kCCOptionPKCS7Padding, kKey, 15, nullptr, "a", 1, out,
                      sizeof out, &moved),
              kCCParamError);
}

}  // namespace
