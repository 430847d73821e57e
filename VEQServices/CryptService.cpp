#include "CryptService.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "FileDescriptor.h"
#include "VEQServicesUtil.h"
#include "WholeFile.h"

const char CryptService::key[] = "{7A41C0D2-3B9E-4F65-8C17-2E90D5B6A384}";

void rc4_init(rc4_state* state, const unsigned char* key, int keyLength) {
    for (int k = 0; k < 256; ++k) state->S[k] = static_cast<unsigned char>(k);
    state->i = 0;
    state->j = 0;
    if (keyLength < 1) return;
    unsigned char j = 0;
    for (int k = 0; k < 256; ++k) {
        j = static_cast<unsigned char>(j + state->S[k] + key[k % keyLength]);
        std::swap(state->S[k], state->S[j]);
    }
}

void rc4_crypt(rc4_state* state, const unsigned char* in, unsigned char* out, unsigned int length) {
    unsigned char i = state->i;
    unsigned char j = state->j;
    unsigned char* S = state->S;
    for (unsigned int n = 0; n < length; ++n) {
        i = static_cast<unsigned char>(i + 1);
        j = static_cast<unsigned char>(j + S[i]);
        std::swap(S[i], S[j]);
        out[n] = static_cast<unsigned char>(in[n] ^ S[static_cast<unsigned char>(S[i] + S[j])]);
    }
    state->i = i;
    state->j = j;
}

namespace {

// Every operation starts the keystream afresh at position 0.
void TransformWithKey(const void* in, void* out, unsigned int length) {
    rc4_state state;
    rc4_init(&state, reinterpret_cast<const unsigned char*>(CryptService::key),
             static_cast<int>(std::strlen(CryptService::key)));
    rc4_crypt(&state, static_cast<const unsigned char*>(in), static_cast<unsigned char*>(out), length);
}

bool ReadExactly(int fd, char* buffer, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::read(fd, buffer + done, length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;  // a read error, or the file shrank under us
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The file that a write replaces: the target of a symbolic link (which may
// not exist yet), so that a linked settings file is updated and the link kept.
std::string ReplacedFile(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string target(resolved);
        std::free(resolved);
        return target;
    }
    char link[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), link, sizeof link - 1);
    if (length <= 0) return path;
    const std::string target(link, static_cast<std::size_t>(length));
    if (target[0] == '/') return target;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
}

}  // namespace

bool CryptService::Read(const std::wstring& path, std::string& out) {
    const std::string file = wstringTostringUTF8(path);
    // Non-blocking open, so that a FIFO in place of the file cannot stall the caller.
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0) return false;
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (static_cast<unsigned long long>(st.st_size) > UINT_MAX) return false;
    const auto length = static_cast<unsigned int>(st.st_size);

    std::string buffer(length, '\0');
    if (!ReadExactly(fd.Get(), &buffer[0], length)) return false;
    TransformWithKey(buffer.data(), &buffer[0], length);
    out.swap(buffer);
    return true;
}

bool CryptService::Write(const std::wstring& path, const std::string& data) {
    const std::string file = ReplacedFile(wstringTostringUTF8(path));
    if (data.size() > UINT_MAX) return false;
    const auto length = static_cast<unsigned int>(data.size());

    // Readable by its owner only: the file may hold passwords. A replaced
    // file's own permission bits are kept.
    WholeFileWriter writer(file, 0600, true);
    if (!writer.File()) return false;
    std::vector<unsigned char> buffer(length);
    TransformWithKey(data.data(), buffer.data(), length);
    if (writer.Write(buffer.data(), buffer.size()) != 0) return false;
    struct stat previous;
    if (::stat(file.c_str(), &previous) == 0 && ::fchmod(::fileno(writer.File()), previous.st_mode & 07777) != 0) {
        return false;
    }
    return writer.Commit() == 0;
}

void CryptService::Encrypt(const char* data, unsigned int length, std::vector<unsigned char>& out) {
    out.resize(length);
    TransformWithKey(data, out.data(), length);
}

void CryptService::Decrypt(const std::vector<unsigned char>& in, std::vector<char>& out) {
    out.resize(in.size());
    TransformWithKey(in.data(), out.data(), static_cast<unsigned int>(in.size()));
}

std::string CryptService::wstringTostringUTF8(const std::wstring& text) {
    return VEQServicesUtil::wstringTostringUTF8(text);
}
