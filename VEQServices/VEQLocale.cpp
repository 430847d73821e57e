#include "VEQLocale.h"

#include <map>

#include <wx/debug.h>
#include <wx/filename.h>
#include <wx/intl.h>

#include "Logger.h"
#include "VEQNSUtils.h"
#include "VeqRoot.h"

namespace veq {
namespace {

using LanguageCodeTable = std::map<int, wxString>;

struct LanguageCodePair {
    int language;
    const char* code;
};

// Every language with its code. Serbian appears twice; the first pair of a
// language is the one that counts.
const LanguageCodePair kLanguageCodePairs[] = {
    {2, "ab"}, {3, "aa"}, {4, "af_ZA"}, {5, "sq_AL"}, {6, "am"}, {7, "ar"}, {8, "ar_DZ"},
    {9, "ar_BH"}, {10, "ar_EG"}, {11, "ar_IQ"}, {12, "ar_JO"}, {13, "ar_KW"}, {14, "ar_LB"},
    {15, "ar_LY"}, {16, "ar_MA"}, {17, "ar_OM"}, {18, "ar_QA"}, {19, "ar_SA"}, {20, "ar_SD"},
    {21, "ar_SY"}, {22, "ar_TN"}, {23, "ar_AE"}, {24, "ar_YE"}, {25, "hy"}, {26, "as"}, {27, "ast"},
    {28, "ay"}, {29, "az"}, {30, "az"}, {31, "az"}, {32, "ba"}, {33, "eu_ES"}, {34, "be_BY"},
    {35, "bn"}, {36, "dz"}, {37, "bh"}, {38, "bi"}, {39, "bs"}, {40, "br"}, {41, "bg_BG"},
    {42, "my"}, {43, "ca_ES"}, {44, "zh_TW"}, {45, "zh_CN"}, {46, "zh_TW"}, {47, "zh_HK"},
    {48, "zh_MO"}, {49, "zh_SG"}, {50, "zh_TW"}, {51, "co"}, {52, "hr_HR"}, {53, "cs_CZ"},
    {54, "da_DK"}, {55, "nl_NL"}, {56, "nl_BE"}, {57, "en"}, {58, "en_GB"}, {59, "en_US"},
    {60, "en_AU"}, {61, "en_BZ"}, {62, "en_BW"}, {63, "en_CA"}, {64, "en_CB"}, {65, "en_DK"},
    {66, "en_IE"}, {67, "en_JM"}, {68, "en_NZ"}, {69, "en_PH"}, {70, "en_ZA"}, {71, "en_TT"},
    {72, "en_ZW"}, {73, "eo"}, {74, "et_EE"}, {75, "fo_FO"}, {76, "fa_IR"}, {77, "fj"},
    {78, "fi_FI"}, {79, "fr_FR"}, {80, "fr_BE"}, {81, "fr_CA"}, {82, "fr_LU"}, {83, "fr_MC"},
    {84, "fr_CH"}, {85, "fy"}, {86, "gl_ES"}, {87, "ka_GE"}, {88, "de_DE"}, {89, "de_AT"},
    {90, "de_BE"}, {91, "de_LI"}, {92, "de_LU"}, {93, "de_CH"}, {94, "el_GR"}, {95, "kl_GL"},
    {96, "gn"}, {97, "gu"}, {98, "ha"}, {99, "he_IL"}, {100, "hi_IN"}, {101, "hu_HU"},
    {102, "is_IS"}, {103, "id_ID"}, {104, "ia"}, {105, "ie"}, {106, "iu"}, {107, "ik"},
    {108, "ga_IE"}, {109, "it_IT"}, {110, "it_CH"}, {111, "ja_JP"}, {112, "jv"}, {113, "kab"},
    {114, "kn"}, {115, "ks"}, {116, "ks_IN"}, {117, "kk"}, {118, "kw_GB"}, {119, "km"}, {120, "rw"},
    {121, "ky"}, {122, "rn"}, {123, "-"}, {124, "ko_KR"}, {125, "ku_TR"}, {126, "lo"}, {127, "la"},
    {128, "lv_LV"}, {129, "ln"}, {130, "lt_LT"}, {131, "mk_MK"}, {132, "mg"}, {133, "ms_MY"},
    {134, "ml"}, {135, "ms_BN"}, {136, "ms_MY"}, {137, "mt_MT"}, {138, "-"}, {139, "mi"},
    {140, "mr_IN"}, {141, "mo"}, {142, "mn"}, {143, "na"}, {144, "ne_NP"}, {145, "ne_IN"},
    {146, "nb_NO"}, {147, "nn_NO"}, {148, "oc"}, {149, "or"}, {150, "om"}, {151, "ps"},
    {152, "pl_PL"}, {153, "pt_PT"}, {154, "pt_BR"}, {155, "pa"}, {156, "qu"}, {157, "rm"},
    {158, "ro_RO"}, {159, "ru_RU"}, {160, "ru_UA"}, {161, "se_NO"}, {162, "sm"}, {163, "sg"},
    {164, "sa"}, {165, "gd"}, {166, "sr_RS"}, {167, "sr_RS"}, {168, "sr_RS@latin"}, {167, "sr_YU"},
    {168, "sr_YU@latin"}, {169, "sh"}, {170, "st"}, {171, "tn"}, {172, "sn"}, {173, "sd"},
    {174, "si"}, {175, "ss"}, {176, "sk_SK"}, {177, "sl_SI"}, {178, "so"}, {179, "es_ES"},
    {180, "es_AR"}, {181, "es_BO"}, {182, "es_CL"}, {183, "es_CO"}, {184, "es_CR"}, {185, "es_DO"},
    {186, "es_EC"}, {187, "es_SV"}, {188, "es_GT"}, {189, "es_HN"}, {190, "es_MX"}, {191, "es_ES"},
    {192, "es_NI"}, {193, "es_PA"}, {194, "es_PY"}, {195, "es_PE"}, {196, "es_PR"}, {197, "es_UY"},
    {198, "es_US"}, {199, "es_VE"}, {200, "su"}, {201, "sw_KE"}, {202, "sv_SE"}, {203, "sv_FI"},
    {204, "tl_PH"}, {205, "tg"}, {206, "ta"}, {207, "tt"}, {208, "te"}, {209, "th_TH"}, {210, "bo"},
    {211, "ti"}, {212, "to"}, {213, "ts"}, {214, "tr_TR"}, {215, "tk"}, {216, "tw"}, {217, "ug"},
    {218, "uk_UA"}, {219, "ur"}, {220, "ur_IN"}, {221, "ur_PK"}, {222, "uz"}, {223, "uz"},
    {224, "uz"}, {225, "ca_ES@valencia"}, {226, "vi_VN"}, {227, "vo"}, {228, "cy"}, {229, "wo"},
    {230, "xh"}, {231, "yi"}, {232, "yo"}, {233, "za"}, {234, "zu"},
};

LanguageCodeTable BuildLanguageCodeTable() {
    LanguageCodeTable table;
    for (const LanguageCodePair& pair : kLanguageCodePairs) table.emplace(pair.language, wxString(pair.code));
    return table;
}

const LanguageCodeTable s_languageCodeTable = BuildLanguageCodeTable();

// The language a language tag names, resolved against the code table: the
// first code equal to the text ignoring case, else the first code whose
// language part (before "_") is the text. VEQ_LANGUAGE_UNKNOWN when none.
VEQLanguage FindLanguage(const wxString& text) {
    if (text.empty()) return VEQ_LANGUAGE_UNKNOWN;
    int languagePartMatch = VEQ_LANGUAGE_UNKNOWN;
    for (const auto& entry : s_languageCodeTable) {
        if (entry.second.CmpNoCase(text) == 0) return static_cast<VEQLanguage>(entry.first);
        if (languagePartMatch == VEQ_LANGUAGE_UNKNOWN && entry.second.BeforeFirst('_').CmpNoCase(text) == 0)
            languagePartMatch = entry.first;
    }
    return static_cast<VEQLanguage>(languagePartMatch);
}

// The preferred-language tag rewritten into a code or a bare language.
wxString CodeOfLanguageTag(const wxString& tag) {
    if (tag.StartsWith("zh-Hans")) return "zh_CN";
    if (tag.StartsWith("zh-Hant")) return "zh_TW";
    if (tag.StartsWith("pt-BR")) return "pt_BR";
    return tag.BeforeFirst('-');
}

const char* const kMainBundleContents = "/Applications/Zelto/Veqora.app/Contents/";

}  // namespace
}  // namespace veq

VEQLocale::VEQLocale(const wxString& code) : m_code(code) {}

VEQLanguage VEQLocale::GetUserSelectedLanguage() const {
    if (m_code.empty()) return GetSystemLanguage();
    for (const SupportedLanguage& row : GetSupportedLanguages()) {
        if (row.code == m_code) return row.language;
    }
    return VEQ_LANGUAGE_UNKNOWN;
}

VEQLanguage VEQLocale::GetSystemLanguage() {
    VEQLanguage language = veq::FindLanguage(veq::CodeOfLanguageTag(VEQNSUtils::GetSystemLanguage()));
    if (language == VEQ_LANGUAGE_UNKNOWN) return VEQ_LANGUAGE_ENGLISH_US;
    return IsLanguageSupported(language) ? language : VEQ_LANGUAGE_ENGLISH_US;
}

const std::vector<VEQLocale::SupportedLanguage>& VEQLocale::GetSupportedLanguages() {
    static const std::vector<SupportedLanguage> s_languageDisplayTable = {
        {"en_US", wxString::FromUTF8("English"), VEQ_LANGUAGE_ENGLISH_US},
        {"fr_FR", wxString::FromUTF8("Français"), VEQ_LANGUAGE_FRENCH},
        {"it_IT", wxString::FromUTF8("Italiano"), VEQ_LANGUAGE_ITALIAN},
        {"de_DE", wxString::FromUTF8("Deutsch"), VEQ_LANGUAGE_GERMAN},
        {"nl_NL", wxString::FromUTF8("Nederlands"), VEQ_LANGUAGE_DUTCH},
        {"es_ES", wxString::FromUTF8("Español"), VEQ_LANGUAGE_SPANISH},
        {"pt_BR", wxString::FromUTF8("Português"), VEQ_LANGUAGE_PORTUGUESE_BRAZILIAN},
        {"ru_RU", wxString::FromUTF8("Русский"), VEQ_LANGUAGE_RUSSIAN},
        {"cs_CZ", wxString::FromUTF8("Čeština"), VEQ_LANGUAGE_CZECH},
        {"pl_PL", wxString::FromUTF8("Polski"), VEQ_LANGUAGE_POLISH},
        {"tr_TR", wxString::FromUTF8("Türkçe"), VEQ_LANGUAGE_TURKISH},
        {"ko_KR", wxString::FromUTF8("한국어"), VEQ_LANGUAGE_KOREAN},
        {"ja_JP", wxString::FromUTF8("日本語"), VEQ_LANGUAGE_JAPANESE},
        {"zh_CN", wxString::FromUTF8("简体中文"), VEQ_LANGUAGE_CHINESE_SIMPLIFIED},
        {"zh_TW", wxString::FromUTF8("繁體中文"), VEQ_LANGUAGE_CHINESE_TRADITIONAL},
    };
    return s_languageDisplayTable;
}

wxString VEQLocale::GetPathForLocaleFiles() {
    wxString contents = wxString::FromUTF8(veqplatform::UnderRoot(veq::kMainBundleContents));
    return wxFileName(contents + wxFILE_SEP_PATH + "Locale", wxEmptyString).GetFullPath();
}

wxString VEQLocale::GetPathForLanguage(VEQLanguage language) {
    auto found = veq::s_languageCodeTable.find(language);
    if (found != veq::s_languageCodeTable.end()) return GetPathForLocaleFiles() + found->second;
    VEQLOG(Error) << "Language Not Found, Returning default English";
    return GetPathForLocaleFiles() + veq::s_languageCodeTable.at(VEQ_LANGUAGE_ENGLISH_US);
}

wxString VEQLocale::GetDefaultLanguageCode() {
    VEQLanguage lang = GetSystemLanguage();
    wxASSERT(veq::s_languageCodeTable.find(lang) != veq::s_languageCodeTable.end());
    return GetLanguageCode(lang);
}

bool VEQLocale::IsLanguageSupported(VEQLanguage& language) {
    const std::vector<SupportedLanguage>& rows = GetSupportedLanguages();
    for (const SupportedLanguage& row : rows) {
        if (row.language == language) return true;
    }
    wxString canonicalName = GetLanguageCode(language);
    for (const SupportedLanguage& row : rows) {
        if (row.code == canonicalName) {
            language = row.language;
            return true;
        }
    }
    return false;
}

bool VEQLocale::IsLanguageCodeSupported(const wxString& code) {
    for (const SupportedLanguage& row : GetSupportedLanguages()) {
        if (row.code == code) return true;
    }
    return false;
}

wxString VEQLocale::GetSupportedLanguageName(const wxString& code) {
    for (const SupportedLanguage& row : GetSupportedLanguages()) {
        if (row.code == code) return row.displayName;
    }
    return wxString();
}

VEQLanguage VEQLocale::GetLanguageIndex(const wxString& code) {
    // In ascending order, so the last match is the highest id sharing the code.
    int match = VEQ_LANGUAGE_DEFAULT;
    for (const auto& entry : veq::s_languageCodeTable) {
        if (entry.second == code) match = entry.first;
    }
    return static_cast<VEQLanguage>(match);
}

wxString VEQLocale::GetLanguageCode(VEQLanguage language) {
    auto found = veq::s_languageCodeTable.find(language);
    return found == veq::s_languageCodeTable.end() ? wxString() : found->second;
}

int VEQLocale::GetToolkitLanguage(VEQLanguage language) {
    wxString code = GetLanguageCode(language);
    if (code.empty()) return wxLANGUAGE_UNKNOWN;
    const wxLanguageInfo* info = wxLocale::FindLanguageInfo(code);
    return info ? info->Language : wxLANGUAGE_UNKNOWN;
}
