// Password files: the cipher checked against the openssl tool, trimming and
// text outside ASCII, and what broken, short, absent or linked files give.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "EncryptDecrypt.h"
#include "StoreTestSupport.h"
#include "VEQHelper.h"

using namespace storetest;

namespace {

// The key as hexadecimal, from the pass phrase's first 16 bytes.
std::string KeyHex() { return Hex(std::string(EncryptDecrypt::kPassPhrase, 16)); }

// What "openssl enc -aes-128-cbc" makes of plain under the store's key and a zero IV.
std::string OpensslCipher(const std::string& plain) {
    const std::string in = veqtest::SandboxDir() + "/plain.bin";
    const std::string out = veqtest::SandboxDir() + "/cipher.bin";
    veqtest::WriteFile(in, plain);
    const std::string command = "openssl enc -aes-128-cbc -K " + KeyHex() +
                                " -iv 00000000000000000000000000000000 -in '" + in + "' -out '" + out + "'";
    if (std::system(command.c_str()) != 0) return "openssl failed";
    return veqtest::ReadFile(out);
}

class PasswordFileTest : public ::testing::Test {
protected:
    std::string File(const std::string& name) const { return veqtest::SandboxDir() + "/" + name; }
    wxString Read(const std::string& path, const wxString& start = "unchanged") const {
        wxString password = start;
        VEQHelper::ReadPassword(wxString::FromUTF8(path), password);
        return password;
    }
};

TEST_F(PasswordFileTest, FileIsTheCipherTextOfTheTrimmedPassword) {
    struct Case {
        const char* password;
        const char* plainSent;
        const char* hex;
    } cases[] = {
        {"secret", "secret", "6c399553b8874e8213649f491ec40de8"},
        {" secret ", "secret", "6c399553b8874e8213649f491ec40de8"},
        {"\tsecret\n", "secret", "6c399553b8874e8213649f491ec40de8"},
        {"", "", "5db1730fc549055079d4b04d156e87f2"},
        {"exactly16bytes!!", "exactly16bytes!!", nullptr},
        {"p\xC3\xA4ss \xE6\x97\xA5\xE6\x9C\xAC", "p\xC3\xA4ss \xE6\x97\xA5\xE6\x9C\xAC", nullptr},
    };
    for (const Case& c : cases) {
        const std::string path = File("pw.dwp");
        ASSERT_TRUE(VEQHelper::WritePassword(wxString::FromUTF8(c.password), wxString::FromUTF8(path)));
        const std::string bytes = veqtest::ReadFile(path);
        EXPECT_EQ(bytes, OpensslCipher(c.plainSent)) << c.password;
        if (c.hex) {
            EXPECT_EQ(Hex(bytes), c.hex) << c.password;
        }
        EXPECT_EQ(bytes.size() % 16, 0u);
        EXPECT_EQ(Read(path), wxString::FromUTF8(c.plainSent)) << c.password;
    }
}

TEST_F(PasswordFileTest, BrokenFilesGiveAnEmptyPassword) {
    const std::string good = OpensslCipher("secret");
    std::string badPadding = good;
    badPadding[15] ^= 0x55;
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"15 bytes", good.substr(0, 15)},
        {"17 bytes", good + "x"},
        {"bad padding", badPadding},
    };
    for (const Case& c : cases) {
        veqtest::WriteFile(File("broken.dwp"), c.bytes);
        EXPECT_EQ(Read(File("broken.dwp")), "") << c.what;
    }
}

TEST_F(PasswordFileTest, AbsentEmptyOrLinkedFilesLeaveThePasswordUnchanged) {
    veqtest::WriteFile(File("empty.dwp"), "");
    veqtest::WriteFile(File("target.dwp"), OpensslCipher("secret"));
    ASSERT_EQ(symlink(File("target.dwp").c_str(), File("link.dwp").c_str()), 0);
    ASSERT_EQ(mkdir(File("folder.dwp").c_str(), 0700), 0);
    for (const char* name : {"absent.dwp", "empty.dwp", "link.dwp", "folder.dwp"})
        EXPECT_EQ(Read(File(name)), "unchanged") << name;
}

TEST_F(PasswordFileTest, WritingReplacesALinkInsteadOfFollowingIt) {
    veqtest::WriteFile(File("victim"), "keep me");
    ASSERT_EQ(symlink(File("victim").c_str(), File("pw.dwp").c_str()), 0);
    ASSERT_TRUE(VEQHelper::WritePassword("secret", wxString::FromUTF8(File("pw.dwp"))));
    EXPECT_EQ(veqtest::ReadFile(File("victim")), "keep me");
    EXPECT_EQ(Read(File("pw.dwp")), "secret");
}

TEST_F(PasswordFileTest, UnwritableFileIsLogged) {
    const std::string path = File("no-such-folder/pw.dwp");
    const veqtest::ChildResult child = veqtest::RunInChild([path] {
        return VEQHelper::WritePassword("secret", wxString::FromUTF8(path)) ? 1 : 0;
    });
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(child.status, 0);
    EXPECT_TRUE(Logged("Unable to open the file " + path + " or file does not exist"));
}

TEST(EncryptDecrypt, FailureLeavesTheOutputAlone) {
    char bytes[15] = {};
    char* in = bytes;
    char* out = reinterpret_cast<char*>(0x1);
    int outLength = 77;
    EncryptDecrypt::DoEncryptDecryptMac(&in, sizeof bytes, &out, outLength, false);
    EXPECT_EQ(out, reinterpret_cast<char*>(0x1));
    EXPECT_EQ(outLength, 77);
}

TEST(EncryptDecrypt, ResultEndsWithAZeroByte) {
    char text[] = "secret";
    char* in = text;
    char* cipher = nullptr;
    int cipherLength = 0;
    EncryptDecrypt::DoEncryptDecryptMac(&in, 6, &cipher, cipherLength, true);
    ASSERT_NE(cipher, nullptr);
    ASSERT_EQ(cipherLength, 16);
    char* plain = nullptr;
    int plainLength = 0;
    EncryptDecrypt::DoEncryptDecryptMac(&cipher, cipherLength, &plain, plainLength, false);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plainLength, 6);
    EXPECT_STREQ(plain, "secret");
    std::free(cipher);
    std::free(plain);
}

}  // namespace
