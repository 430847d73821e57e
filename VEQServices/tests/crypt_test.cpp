// RC4 against published vectors, the whole-file store and its failure paths.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "CryptService.h"
#include "LogTestSupport.h"

namespace {

std::vector<unsigned char> FromHex(const std::string& hex) {
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// RC4 written out again, independently of the library's code, to check what
// the store leaves on disk.
std::string ReferenceRc4(const std::string& key, const std::string& data) {
    std::array<int, 256> s;
    std::iota(s.begin(), s.end(), 0);
    for (int k = 0, j = 0; k < 256; ++k) {
        j = (j + s[k] + static_cast<unsigned char>(key[k % key.size()])) % 256;
        std::swap(s[k], s[j]);
    }
    std::string out = data;
    int i = 0, j = 0;
    for (char& c : out) {
        i = (i + 1) % 256;
        j = (j + s[i]) % 256;
        std::swap(s[i], s[j]);
        c = static_cast<char>(static_cast<unsigned char>(c) ^ s[(s[i] + s[j]) % 256]);
    }
    return out;
}

std::string AllByteValuesTwice() {
    std::string data;
    for (int round = 0; round < 2; ++round) {
        for (int b = 0; b < 256; ++b) data += static_cast<char>(b);
    }
    return data;
}

std::wstring Wide(const std::string& path) { return std::wstring(path.begin(), path.end()); }

struct KeystreamVector {
    const char* key;       // hex
    unsigned offset;       // position in the keystream
    const char* expected;  // 16 keystream bytes, hex
};

class Rc4VectorTest : public ::testing::TestWithParam<KeystreamVector> {};

TEST_P(Rc4VectorTest, KeystreamMatchesThePublishedBytes) {
    const auto key = FromHex(GetParam().key);
    rc4_state state;
    rc4_init(&state, key.data(), static_cast<int>(key.size()));
    std::vector<unsigned char> zeros(GetParam().offset + 16, 0), stream(zeros.size());
    rc4_crypt(&state, zeros.data(), stream.data(), static_cast<unsigned>(zeros.size()));
    EXPECT_EQ(std::vector<unsigned char>(stream.begin() + GetParam().offset, stream.end()),
              FromHex(GetParam().expected));
}

// RFC 6229 test vectors.
INSTANTIATE_TEST_SUITE_P(
    Rfc6229, Rc4VectorTest,
    ::testing::Values(KeystreamVector{"0102030405", 0, "b2396305f03dc027ccc3524a0a1118a8"},
                      KeystreamVector{"0102030405", 16, "6982944f18fc82d589c403a47a0d0919"},
                      KeystreamVector{"0102030405", 240, "28cb1132c96ce286421dcaadb8b69eae"},
                      KeystreamVector{"0102030405", 1520, "3294f744d8f9790507e70f62e5bbceea"},
                      KeystreamVector{"0102030405060708090a0b0c0d0e0f10", 0, "9ac7cc9a609d1ef7b2932899cde41b97"},
                      KeystreamVector{"0102030405060708090a0b0c0d0e0f10", 16, "5248c4959014126a6e8a84f11d1a9e1c"},
                      KeystreamVector{"0102030405060708090a0b0c0d0e0f10", 240, "065902e4b620f6cc36c8589f66432f2b"},
                      KeystreamVector{"833222772a", 0, "80ad97bdc973df8a2e879e92a497efda"}),
    [](const ::testing::TestParamInfo<KeystreamVector>& info) {
        return "Key" + std::string(info.param.key) + "_Offset" + std::to_string(info.param.offset);
    });

TEST(Rc4Test, TextVectorsAndTheReferenceAgree) {
    const struct {
        const char* key;
        const char* plain;
        const char* cipherHex;
    } cases[] = {{"Key", "Plaintext", "bbf316e8d940af0ad3"},
                 {"Wiki", "pedia", "1021bf0420"},
                 {"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"}};
    for (const auto& c : cases) {
        const std::string plain = c.plain;
        std::vector<unsigned char> out(plain.size());
        rc4_state state;
        rc4_init(&state, reinterpret_cast<const unsigned char*>(c.key), static_cast<int>(std::strlen(c.key)));
        rc4_crypt(&state, reinterpret_cast<const unsigned char*>(plain.data()), out.data(),
                  static_cast<unsigned>(plain.size()));
        EXPECT_EQ(out, FromHex(c.cipherHex)) << c.key;
        EXPECT_EQ(std::string(out.begin(), out.end()), ReferenceRc4(c.key, plain)) << c.key;
    }
}

TEST(Rc4Test, KeystreamContinuesAcrossCallsAndWorksInPlace) {
    const unsigned char key[] = {1, 2, 3, 4, 5};
    const std::string data = AllByteValuesTwice();
    rc4_state whole, split;
    rc4_init(&whole, key, 5);
    rc4_init(&split, key, 5);
    std::vector<unsigned char> once(data.size());
    rc4_crypt(&whole, reinterpret_cast<const unsigned char*>(data.data()), once.data(), static_cast<unsigned>(data.size()));

    std::vector<unsigned char> parts(data.begin(), data.end());
    rc4_crypt(&split, parts.data(), parts.data(), 100);  // in place
    rc4_crypt(&split, parts.data() + 100, parts.data() + 100, 0);
    rc4_crypt(&split, parts.data() + 100, parts.data() + 100, static_cast<unsigned>(data.size() - 100));
    EXPECT_EQ(parts, once);
}

TEST(Rc4Test, ZeroLengthChangesNeitherStateNorOutput) {
    const unsigned char key[] = {7};
    rc4_state state;
    rc4_init(&state, key, 1);
    const rc4_state before = state;
    unsigned char out = 0xAA;
    rc4_crypt(&state, &out, &out, 0);
    EXPECT_EQ(out, 0xAA);
    EXPECT_EQ(std::memcmp(&before, &state, sizeof state), 0);
}

TEST(CryptServiceTest, KeyIsTheFixedGuidText) {
    EXPECT_STREQ(CryptService::key, "{7A41C0D2-3B9E-4F65-8C17-2E90D5B6A384}");
    EXPECT_EQ(std::strlen(CryptService::key), 38u);
}

TEST(CryptServiceTest, EncryptDecryptRoundTripAndAreRepeatable) {
    const std::string data = AllByteValuesTwice();
    std::vector<unsigned char> first, second;
    CryptService::Encrypt(data.data(), static_cast<unsigned>(data.size()), first);
    CryptService::Encrypt(data.data(), static_cast<unsigned>(data.size()), second);
    EXPECT_EQ(first, second) << "every call starts the keystream afresh";
    EXPECT_EQ(std::string(first.begin(), first.end()), ReferenceRc4(CryptService::key, data));

    std::vector<char> back(3, 'z');
    CryptService::Decrypt(first, back);
    EXPECT_EQ(std::string(back.begin(), back.end()), data);

    std::vector<unsigned char> shrunk(1000, 1);
    CryptService::Encrypt("ab", 2, shrunk);
    EXPECT_EQ(shrunk.size(), 2u);
}

class CryptFileTest : public ::testing::Test {
protected:
    veqtest::TempDir dir;
    std::string path = dir / "veq_config";
};

TEST_F(CryptFileTest, WriteThenReadGivesBackEveryByte) {
    const std::string data = std::string("{\"a\":\0\"b\"}", 10) + AllByteValuesTwice();
    ASSERT_TRUE(CryptService::Write(Wide(path), data));

    const std::string raw = veqtest::ReadFile(path);
    EXPECT_EQ(raw.size(), data.size()) << "no header, no padding";
    EXPECT_EQ(ReferenceRc4(CryptService::key, raw), data) << "plain RC4 under the fixed key";
    std::vector<unsigned char> encrypted;
    CryptService::Encrypt(data.data(), static_cast<unsigned>(data.size()), encrypted);
    EXPECT_EQ(raw, std::string(encrypted.begin(), encrypted.end()));

    std::string out = "previous content that must be replaced, not appended to";
    ASSERT_TRUE(CryptService::Read(Wide(path), out));
    EXPECT_EQ(out, data);
}

TEST_F(CryptFileTest, EmptyDataMakesAnEmptyFile) {
    veqtest::WriteFile(path, "old content");
    ASSERT_TRUE(CryptService::Write(Wide(path), ""));
    EXPECT_EQ(veqtest::ReadFile(path), "");
    std::string out = "x";
    ASSERT_TRUE(CryptService::Read(Wide(path), out));
    EXPECT_EQ(out, "");
}

TEST_F(CryptFileTest, ReplacingKeepsThePermissionsAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(CryptService::Write(Wide(path), "first"));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(CryptService::Write(Wide(path), "second, longer"));
    std::string out;
    ASSERT_TRUE(CryptService::Read(Wide(path), out));
    EXPECT_EQ(out, "second, longer");
    struct stat st{};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(logtest::FileNames(dir.Path()), std::vector<std::string>{"veq_config"});
}

TEST_F(CryptFileTest, WriteThroughASymbolicLinkUpdatesItsTarget) {
    for (bool targetExists : {false, true}) {
        const std::string target = dir / (targetExists ? "existing_target" : "new_target");
        const std::string link = dir / (targetExists ? "link_to_existing" : "link_to_new");
        if (targetExists) veqtest::WriteFile(target, "old");
        ASSERT_EQ(::symlink(target.substr(target.rfind('/') + 1).c_str(), link.c_str()), 0);  // relative link
        ASSERT_TRUE(CryptService::Write(Wide(link), "linked"));
        struct stat st{};
        ASSERT_EQ(::lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
        EXPECT_EQ(ReferenceRc4(CryptService::key, veqtest::ReadFile(target)), "linked") << target;
    }
}

TEST_F(CryptFileTest, MissingFileOrFolderFailsWithoutSideEffects) {
    std::string out = "unchanged";
    EXPECT_FALSE(CryptService::Read(Wide(dir / "absent"), out));
    EXPECT_EQ(out, "unchanged");

    EXPECT_FALSE(CryptService::Write(Wide(dir / "no/such/folder/file"), "data"));
    EXPECT_FALSE(veqtest::FileExists(dir / "no"));
    EXPECT_TRUE(logtest::FileNames(dir.Path()).empty());
}

TEST_F(CryptFileTest, ReadAcceptsRegularFilesOnly) {
    std::string out = "unchanged";
    EXPECT_FALSE(CryptService::Read(Wide(dir.Path()), out)) << "a folder";
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(CryptService::Read(Wide(fifo), out)) << "a FIFO, without waiting for a writer";
    EXPECT_EQ(out, "unchanged");
}

TEST_F(CryptFileTest, WriteOverAFolderFailsAndLeavesNoTemporaryFile) {
    const std::string folder = dir / "folder";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    EXPECT_FALSE(CryptService::Write(Wide(folder), "data"));
    EXPECT_TRUE(logtest::FileNames(dir.Path()).empty());
}

// A write that cannot complete (here: the process may not grow files beyond
// 100 bytes) reports failure and leaves the old file whole.
TEST_F(CryptFileTest, FailedWriteKeepsTheOldContent) {
    ASSERT_TRUE(CryptService::Write(Wide(path), "old settings"));
    const std::string file = path;
    const auto result = veqtest::RunInChild([file] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        return CryptService::Write(Wide(file), std::string(4096, 'n')) ? 1 : 0;
    });
    ASSERT_TRUE(result.exited) << result.output;
    EXPECT_EQ(result.status, 0) << "the failed write must report false";
    std::string out;
    ASSERT_TRUE(CryptService::Read(Wide(path), out));
    EXPECT_EQ(out, "old settings");
    EXPECT_EQ(logtest::FileNames(dir.Path()), std::vector<std::string>{"veq_config"});
}

TEST_F(CryptFileTest, PathsThatCannotBeUtf8ThrowBeforeTouchingFiles) {
    std::wstring bad = Wide(dir / "x");
    bad += static_cast<wchar_t>(0xD800);
    std::string out = "unchanged";
    EXPECT_THROW(CryptService::Read(bad, out), std::range_error);
    EXPECT_THROW(CryptService::Write(bad, "data"), std::range_error);
    EXPECT_EQ(out, "unchanged");
    EXPECT_TRUE(logtest::FileNames(dir.Path()).empty());
}

TEST_F(CryptFileTest, NonAsciiPathsAreWrittenAsUtf8) {
    const std::wstring name = Wide(dir.Path()) + L"/r\u00e9glages";
    ASSERT_TRUE(CryptService::Write(name, "data"));
    EXPECT_TRUE(veqtest::FileExists(dir / "r\xc3\xa9glages"));
}

}  // namespace
