// Fixtures of the migration tests: the older version's files as it left them
// (its settings file, name and password files made with the openssl command
// line, its mapping folder), a run of the built VEQUpgrade, and the current
// settings files read back with the tests' own cipher.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <json/json.h>
#include <wx/filename.h>

#include "ConfigTestSupport.h"
#include "TestSupport.h"
#include "VeqRoot.h"

namespace upgradetest {

inline std::string Home() {
    return std::getenv("HOME");
}

inline void MakeFolder(const std::string& path) {
    ASSERT_TRUE(wxFileName::Mkdir(wxString::FromUTF8(path), 0755, wxPATH_MKDIR_FULL)) << path;
}

// The older version's per-user settings file; lines go into its group "6".
inline std::string OldSettingsFile() {
    return Home() + "/.Veqora";
}

inline void WriteOldSettings(const std::string& lines) {
    veqtest::WriteFile(OldSettingsFile(), "[6]\n" + lines);
}

// The older version's credentials folder, made.
inline std::string CredentialsFolder() {
    const std::string folder = Home() + "/Veqora/DWP";
    MakeFolder(folder);
    return folder;
}

// The older version's mapping folders: under ".../QMV/Veqora/", else under the
// older installation folder.
inline std::string OldDropwellFolder() {
    return veqplatform::UnderRoot("/Library/Application Support/QMV/Veqora/Dropwell");
}

inline std::string OldInstallationDropwellFolder() {
    return veqplatform::UnderRoot("/Applications/Zelto/Veqora/Dropwell");
}

inline std::string NewDropwellFolder() {
    return configtest::ConfigDir() + "Dropwell";
}

// The password cipher's key as hexadecimal: the first 16 characters of the
// store's pass phrase.
inline std::string PasswordKeyHex() {
    const std::string phrase = "Each lamp to brighten a hall";
    std::string hex;
    char digits[3];
    for (std::size_t i = 0; i < 16; ++i) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(phrase[i]));
        hex += digits;
    }
    return hex;
}

// Runs "openssl enc" with the password cipher (AES-128-CBC, zero IV) on in.
inline void OpenSslCipher(const std::string& in, const std::string& out, bool decipher) {
    std::vector<std::string> argv = {"/usr/bin/openssl", "enc", "-aes-128-cbc", "-K",
                                     PasswordKeyHex(), "-iv", std::string(32, '0'),
                                     "-in", in, "-out", out};
    if (decipher) argv.insert(argv.begin() + 2, "-d");
    const veqtest::ChildResult result = veqtest::RunProgram(argv);
    ASSERT_TRUE(result.exited && result.status == 0) << result.output;
}

// A password file as the older version wrote it.
inline void WritePasswordFile(const std::string& path, const std::string& password) {
    const std::string plain = path + ".plain";
    veqtest::WriteFile(plain, password);
    OpenSslCipher(plain, path, false);
    std::remove(plain.c_str());
}

// The password in a password file, deciphered by openssl.
inline std::string ReadPasswordFile(const std::string& path) {
    const std::string plain = path + ".plain";
    OpenSslCipher(path, plain, true);
    const std::string password = veqtest::ReadFile(plain);
    std::remove(plain.c_str());
    return password;
}

// Runs the built VEQUpgrade in this test's sandbox; it always ends with 0.
inline void RunUpgrade() {
    const veqtest::ChildResult result = veqtest::RunProgram({veqtest::BuildDir() + "/bin/VEQUpgrade"});
    ASSERT_TRUE(result.exited) << result.output;
    ASSERT_EQ(result.status, 0) << result.output;
}

// "veq_config" and "veq_config_old_settings" deciphered and parsed here.
inline Json::Value Settings() {
    return configtest::SettingsDocument();
}

inline Json::Value OldScanSettings() {
    Json::Value root;
    Json::Reader reader;
    reader.parse(configtest::Rc4(veqtest::ReadFile(configtest::ConfigDir() + "veq_config_old_settings")),
                 root, false);
    return root;
}

inline Json::Value Server(const std::string& ip, const std::string& name, const std::string& model) {
    Json::Value server(Json::objectValue);
    server["ip"] = ip;
    server["name"] = name;
    server["model"] = model;
    return server;
}

inline bool IsLink(const std::string& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

}  // namespace upgradetest
