// Locale sessions, translated strings, code-page conversion and the server's
// default encoding.
#include "Api.h"
#include "Codepage.h"

#include <cstring>

using namespace vellora;

namespace {

void CopyField(char* field, size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::strncpy(field, text.c_str(), size - 1);
}

// One translated string, asked for in the session's language and handed out in
// its encoding.
int LocaleText(VelloraLocaleSession* session, const char* context, const char* key, char** text) {
    LocaleSettings settings;
    auto connection = FromLocaleSession(session, settings);
    if (!connection) return VELLORA_LOCL_INVALID_HANDLE;
    if (!text) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    *text = nullptr;
    if (!key) return VELLORA_LOCL_PARMERR;
    auto request = Request(context ? vwire::kOpLocaleGetContext : vwire::kOpLocaleGet);
    request.Str(settings.language);
    if (context) request.Str(context);
    request.Str(key);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    auto in = reply.Fields();
    std::string utf8 = in.Str();
    if (!in.Done()) return connection->Malformed("locale string");
    // Session texts never carry a byte-order mark, whatever the UTF-8 name.
    std::string target = SameEncoding(settings.encoding, "UTF8") ? "UTF8NOBOM" : settings.encoding;
    std::string converted;
    rc = ConvertText("UTF8NOBOM", target, utf8, converted);
    if (rc != VELLORA_OK) return rc;
    return GiveText(converted, text);
}

}  // namespace

extern "C" {

VELLORA_API int LOCL_openSession(VelloraServerHandle* handle, int, const char* language, const char* encoding,
                                 VelloraLocaleSession* session, int) {
    auto connection = FindHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!session) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    std::string lang = TextOrEmpty(language);
    std::string enc = encoding && *encoding ? encoding : "UTF8NOBOM";
    if (!KnownEncoding(enc)) return VELLORA_LOCL_INVALID_ENCODING;
    auto request = Request(vwire::kOpLocaleOpen);
    request.Str(lang).Str(enc);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    auto in = reply.Fields();
    std::string served = in.Str();  // the language the controller answers in
    if (!in.Done()) return connection->Malformed("locale session");
    std::memset(session, 0, sizeof *session);
    session->id = connection->OpenLocaleSession(LocaleSettings{served, enc});
    session->server = handle;
    CopyField(session->language, sizeof session->language, served);
    CopyField(session->encoding, sizeof session->encoding, enc);
    return VELLORA_OK;
}

VELLORA_API int LOCL_closeSession(VelloraLocaleSession* session, int) {
    LocaleSettings settings;
    auto connection = FromLocaleSession(session, settings);
    if (!connection) return VELLORA_LOCL_INVALID_HANDLE;
    connection->CloseLocaleSession(session->id);
    auto request = Request(vwire::kOpLocaleClose);
    request.Str(settings.language);
    Reply reply;
    connection->Call(request, reply);  // only tells the controller; the session is closed here
    session->id = 0;
    return VELLORA_OK;
}

VELLORA_API int LOCL_getString(VelloraLocaleSession* session, const char* key, char** text, int) {
    return LocaleText(session, nullptr, key, text);
}

VELLORA_API int LOCL_getStringWithContext(VelloraLocaleSession* session, const char* context, const char* key,
                                          char** text, int) {
    if (!context) return VELLORA_LOCL_PARMERR;
    return LocaleText(session, context, key, text);
}

VELLORA_API int LOCL_decodeString(VelloraLocaleSession* session, const char* fromEncoding, const char* text,
                                  const char* toEncoding, char** out, int) {
    LocaleSettings settings;
    if (!FromLocaleSession(session, settings)) return VELLORA_LOCL_INVALID_HANDLE;
    if (!out) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    *out = nullptr;
    if (!fromEncoding || !toEncoding || !text) return VELLORA_LOCL_PARMERR;
    std::string converted;
    int rc = ConvertText(fromEncoding, toEncoding, text, converted);
    if (rc != VELLORA_OK) return rc;
    return GiveText(converted, out);
}

VELLORA_API int LOCL_getDefaultEncoding(VelloraServerHandle* handle, char** encoding, int) {
    auto connection = FindHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!encoding) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    *encoding = nullptr;
    auto request = Request(vwire::kOpDefaultEncoding);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    auto in = reply.Fields();
    std::string name = in.Str();
    if (!in.Done()) return connection->Malformed("default encoding");
    return GiveText(name, encoding);
}

}  // extern "C"
