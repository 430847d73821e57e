// The enciphered settings file "veq_config" as anyone with access to the
// configuration folder may write it: the input is the deciphered text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CryptService.h"
#include "FuzzRoot.h"
#include "VEQConfig.h"

namespace {
std::string s_config;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    s_config = fuzzroot::MakeRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> enciphered;
    CryptService::Encrypt(reinterpret_cast<const char*>(data), static_cast<unsigned int>(size), enciphered);
    fuzzroot::WriteFile(s_config + "veq_config", enciphered.data(), enciphered.size());
    VEQConfig config("veq_config");
    config.GetRecentServers();
    config.GetCurrentServer();
    config.GetMailBoxAutoLoginState();
    return 0;
}
