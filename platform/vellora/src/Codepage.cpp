#include "Codepage.h"

#include "vellora.h"

#include <iconv.h>
#include <strings.h>

#include <cerrno>

namespace vellora {

namespace {

struct Encoding {
    const char* name;
    const char* iconvName;
    bool writesBom;
};

constexpr Encoding kEncodings[] = {
    {"SJIS", "CP932", false},      {"Shift_JIS", "CP932", false}, {"CP932", "CP932", false},
    {"GBK", "CP936", false},       {"CP936", "CP936", false},     {"Big5", "CP950", false},
    {"CP950", "CP950", false},     {"MacRoman", "MACINTOSH", false}, {"Latin1", "ISO-8859-1", false},
    {"ISO-8859-1", "ISO-8859-1", false}, {"UTF8", "UTF-8", true}, {"UTF8NOBOM", "UTF-8", false},
    {"UTF-8", "UTF-8", false},
};

const Encoding* Find(const std::string& name) {
    for (const auto& e : kEncodings)
        if (strcasecmp(e.name, name.c_str()) == 0) return &e;
    return nullptr;
}

const std::string kBom = "\xEF\xBB\xBF";

}  // namespace

bool KnownEncoding(const std::string& name) { return Find(name) != nullptr; }

bool SameEncoding(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

int ConvertText(const std::string& from, const std::string& to, const std::string& text, std::string& out) {
    const Encoding* source = Find(from);
    const Encoding* target = Find(to);
    if (!source || !target) return VELLORA_LOCL_INVALID_ENCODING;
    std::string input = text;
    if (std::string(source->iconvName) == "UTF-8" && input.compare(0, kBom.size(), kBom) == 0)
        input.erase(0, kBom.size());
    iconv_t cd = iconv_open(target->iconvName, source->iconvName);
    if (cd == reinterpret_cast<iconv_t>(-1)) return VELLORA_LOCL_INVALID_ENCODING;
    std::string result = target->writesBom ? kBom : std::string();
    char* in = input.empty() ? nullptr : &input[0];
    size_t inLeft = input.size();
    char buffer[4096];
    int rc = VELLORA_OK;
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t n = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        result.append(buffer, sizeof buffer - outLeft);
        if (n == static_cast<size_t>(-1) && errno != E2BIG) {
            rc = VELLORA_LOCL_PARMERR;
            break;
        }
    }
    if (rc == VELLORA_OK) {
        // Flush any shift state of the target.
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        result.append(buffer, sizeof buffer - outLeft);
        out = result;
    }
    iconv_close(cd);
    return rc;
}

}  // namespace vellora
