#include <dirent.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <wx/intl.h>

#include "ServicesTestSupport.h"
#include "VEQLocale.h"

namespace {

::testing::Environment* const s_wx = ::testing::AddGlobalTestEnvironment(new servicestest::WxEnvironment);

// Every language with its code, one entry for every id from 2 to 234.
const char* const kLanguageCodes =
    "2 ab; 3 aa; 4 af_ZA; 5 sq_AL; 6 am; 7 ar; 8 ar_DZ; 9 ar_BH; 10 ar_EG; 11 ar_IQ; "
    "12 ar_JO; 13 ar_KW; 14 ar_LB; 15 ar_LY; 16 ar_MA; 17 ar_OM; 18 ar_QA; 19 ar_SA; "
    "20 ar_SD; 21 ar_SY; 22 ar_TN; 23 ar_AE; 24 ar_YE; 25 hy; 26 as; 27 ast; 28 ay; 29 az; "
    "30 az; 31 az; 32 ba; 33 eu_ES; 34 be_BY; 35 bn; 36 dz; 37 bh; 38 bi; 39 bs; 40 br; "
    "41 bg_BG; 42 my; 43 ca_ES; 44 zh_TW; 45 zh_CN; 46 zh_TW; 47 zh_HK; 48 zh_MO; 49 zh_SG; "
    "50 zh_TW; 51 co; 52 hr_HR; 53 cs_CZ; 54 da_DK; 55 nl_NL; 56 nl_BE; 57 en; 58 en_GB; "
    "59 en_US; 60 en_AU; 61 en_BZ; 62 en_BW; 63 en_CA; 64 en_CB; 65 en_DK; 66 en_IE; "
    "67 en_JM; 68 en_NZ; 69 en_PH; 70 en_ZA; 71 en_TT; 72 en_ZW; 73 eo; 74 et_EE; 75 fo_FO; "
    "76 fa_IR; 77 fj; 78 fi_FI; 79 fr_FR; 80 fr_BE; 81 fr_CA; 82 fr_LU; 83 fr_MC; 84 fr_CH; "
    "85 fy; 86 gl_ES; 87 ka_GE; 88 de_DE; 89 de_AT; 90 de_BE; 91 de_LI; 92 de_LU; 93 de_CH; "
    "94 el_GR; 95 kl_GL; 96 gn; 97 gu; 98 ha; 99 he_IL; 100 hi_IN; 101 hu_HU; 102 is_IS; "
    "103 id_ID; 104 ia; 105 ie; 106 iu; 107 ik; 108 ga_IE; 109 it_IT; 110 it_CH; 111 ja_JP; "
    "112 jv; 113 kab; 114 kn; 115 ks; 116 ks_IN; 117 kk; 118 kw_GB; 119 km; 120 rw; 121 ky; "
    "122 rn; 123 -; 124 ko_KR; 125 ku_TR; 126 lo; 127 la; 128 lv_LV; 129 ln; 130 lt_LT; "
    "131 mk_MK; 132 mg; 133 ms_MY; 134 ml; 135 ms_BN; 136 ms_MY; 137 mt_MT; 138 -; 139 mi; "
    "140 mr_IN; 141 mo; 142 mn; 143 na; 144 ne_NP; 145 ne_IN; 146 nb_NO; 147 nn_NO; 148 oc; "
    "149 or; 150 om; 151 ps; 152 pl_PL; 153 pt_PT; 154 pt_BR; 155 pa; 156 qu; 157 rm; "
    "158 ro_RO; 159 ru_RU; 160 ru_UA; 161 se_NO; 162 sm; 163 sg; 164 sa; 165 gd; 166 sr_RS; "
    "167 sr_RS; 168 sr_RS@latin; 169 sh; 170 st; 171 tn; 172 sn; 173 sd; 174 si; 175 ss; "
    "176 sk_SK; 177 sl_SI; 178 so; 179 es_ES; 180 es_AR; 181 es_BO; 182 es_CL; 183 es_CO; "
    "184 es_CR; 185 es_DO; 186 es_EC; 187 es_SV; 188 es_GT; 189 es_HN; 190 es_MX; 191 es_ES; "
    "192 es_NI; 193 es_PA; 194 es_PY; 195 es_PE; 196 es_PR; 197 es_UY; 198 es_US; 199 es_VE; "
    "200 su; 201 sw_KE; 202 sv_SE; 203 sv_FI; 204 tl_PH; 205 tg; 206 ta; 207 tt; 208 te; "
    "209 th_TH; 210 bo; 211 ti; 212 to; 213 ts; 214 tr_TR; 215 tk; 216 tw; 217 ug; "
    "218 uk_UA; 219 ur; 220 ur_IN; 221 ur_PK; 222 uz; 223 uz; 224 uz; 225 ca_ES@valencia; "
    "226 vi_VN; 227 vo; 228 cy; 229 wo; 230 xh; 231 yi; 232 yo; 233 za; 234 zu; ";

std::map<int, std::string> ExpectedCodeTable() {
    std::map<int, std::string> table;
    std::istringstream entries(kLanguageCodes);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        std::istringstream fields(entry);
        int language = 0;
        std::string code;
        if (fields >> language >> code) table[language] = code;
    }
    return table;
}

// The environment variables the preferred language is read from, all unset
// but the one given (members end in reverse order, so the unset ones come back last).
class PreferredLanguageEnv {
public:
    PreferredLanguageEnv(const char* variable, const char* value) {
        if (variable) m_chosen = std::make_unique<veqtest::ScopedEnv>(variable, value);
    }

private:
    veqtest::ScopedEnv m_language{"LANGUAGE", nullptr};
    veqtest::ScopedEnv m_all{"LC_ALL", nullptr};
    veqtest::ScopedEnv m_messages{"LC_MESSAGES", nullptr};
    veqtest::ScopedEnv m_lang{"LANG", nullptr};
    std::unique_ptr<veqtest::ScopedEnv> m_chosen;
};

TEST(LanguageCodeTable, HoldsTheCodeOfEveryLanguage) {
    const std::map<int, std::string> expected = ExpectedCodeTable();
    ASSERT_EQ(expected.size(), 233u);
    for (const auto& entry : expected) {
        EXPECT_EQ(VEQLocale::GetLanguageCode(static_cast<VEQLanguage>(entry.first)), wxString(entry.second))
            << entry.first;
    }
}

TEST(LanguageCodeTable, FirstPairOfALanguageWinsAndUnknownIdsHaveNoCode) {
    EXPECT_EQ(VEQLocale::GetLanguageCode(static_cast<VEQLanguage>(167)), "sr_RS");
    EXPECT_EQ(VEQLocale::GetLanguageCode(static_cast<VEQLanguage>(168)), "sr_RS@latin");
    EXPECT_EQ(VEQLocale::GetLanguageCode(static_cast<VEQLanguage>(123)), "-");
    for (int language : {0, 1, 235, -1}) {
        EXPECT_EQ(VEQLocale::GetLanguageCode(static_cast<VEQLanguage>(language)), "") << language;
    }
}

TEST(LanguageCodeTable, IndexOfACodeIsTheHighestLanguageThatHasIt) {
    std::map<std::string, int> highest;
    for (const auto& entry : ExpectedCodeTable()) highest[entry.second] = entry.first;
    for (const auto& code : highest) {
        EXPECT_EQ(VEQLocale::GetLanguageIndex(code.first), code.second) << code.first;
    }
    const std::pair<const char*, int> shared[] = {
        {"az", 31}, {"zh_TW", 50}, {"-", 138}, {"ms_MY", 136}, {"sr_RS", 167}, {"es_ES", 191}, {"uz", 224},
    };
    for (const auto& c : shared) EXPECT_EQ(VEQLocale::GetLanguageIndex(c.first), c.second) << c.first;
    for (const char* none : {"zh_tw", "sr_YU", "sr_YU@latin", "", "fr", "French"}) {
        EXPECT_EQ(VEQLocale::GetLanguageIndex(none), VEQ_LANGUAGE_DEFAULT) << none;
    }
}

TEST(SupportedLanguages, AreTheFifteenRowsInOrder) {
    struct Row {
        const char* code;
        const char* name;
        int language;
    };
    const Row expected[] = {
        {"en_US", "English", 59},     {"fr_FR", "Français", 79},  {"it_IT", "Italiano", 109},
        {"de_DE", "Deutsch", 88},     {"nl_NL", "Nederlands", 55}, {"es_ES", "Español", 179},
        {"pt_BR", "Português", 154},  {"ru_RU", "Русский", 159},  {"cs_CZ", "Čeština", 53},
        {"pl_PL", "Polski", 152},     {"tr_TR", "Türkçe", 214},   {"ko_KR", "한국어", 124},
        {"ja_JP", "日本語", 111},     {"zh_CN", "简体中文", 45},  {"zh_TW", "繁體中文", 46},
    };
    const std::vector<VEQLocale::SupportedLanguage>& rows = VEQLocale::GetSupportedLanguages();
    ASSERT_EQ(rows.size(), 15u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].code, expected[i].code) << i;
        EXPECT_EQ(rows[i].displayName, wxString::FromUTF8(expected[i].name)) << i;
        EXPECT_EQ(rows[i].language, expected[i].language) << i;
        EXPECT_EQ(VEQLocale::GetLanguageCode(rows[i].language), rows[i].code) << i;
    }
}

TEST(SupportedLanguages, FirstConcurrentCallsShareOneList) {
    servicestest::ExpectInChild([] {
        std::vector<const void*> seen(8, nullptr);
        std::vector<std::thread> threads;
        for (size_t i = 0; i < seen.size(); ++i) {
            threads.emplace_back([&seen, i] { seen[i] = &VEQLocale::GetSupportedLanguages(); });
        }
        for (std::thread& t : threads) t.join();
        EXPECT_EQ(std::set<const void*>(seen.begin(), seen.end()).size(), 1u);
        EXPECT_EQ(VEQLocale::GetSupportedLanguages().size(), 15u);
    });
}

TEST(SupportedLanguages, LookUpsByCodeAreExact) {
    EXPECT_TRUE(VEQLocale::IsLanguageCodeSupported("pt_BR"));
    EXPECT_EQ(VEQLocale::GetSupportedLanguageName("pt_BR"), wxString::FromUTF8("Português"));
    EXPECT_EQ(VEQLocale::GetSupportedLanguageName("zh_CN"), wxString::FromUTF8("简体中文"));
    for (const char* code : {"pt_PT", "PT_BR", "pt", "", "en", "zh_tw"}) {
        EXPECT_FALSE(VEQLocale::IsLanguageCodeSupported(code)) << code;
        EXPECT_EQ(VEQLocale::GetSupportedLanguageName(code), "") << code;
    }
}

TEST(SupportedLanguages, SupportTestFallsBackToTheCanonicalCode) {
    struct Case {
        int language;
        bool supported;
        int after;
    };
    const Case cases[] = {
        {46, true, 46}, {44, true, 46}, {50, true, 46}, {191, true, 179}, {59, true, 59},
        {153, false, 153}, {57, false, 57}, {0, false, 0}, {1, false, 1}, {235, false, 235},
    };
    for (const Case& c : cases) {
        VEQLanguage language = static_cast<VEQLanguage>(c.language);
        EXPECT_EQ(VEQLocale::IsLanguageSupported(language), c.supported) << c.language;
        EXPECT_EQ(language, c.after) << c.language;
    }
}

TEST(UserSelectedLanguage, IsTheSupportedRowWithExactlyTheStoredCode) {
    const std::pair<const char*, int> cases[] = {
        {"zh_TW", 46}, {"pt_BR", 154}, {"en_US", 59}, {"fr_fr", 1}, {"fr", 1}, {"French", 1}, {"pt_PT", 1},
    };
    PreferredLanguageEnv env("LANG", "de_DE.UTF-8");
    for (const auto& c : cases) {
        EXPECT_EQ(VEQLocale(c.first).GetUserSelectedLanguage(), c.second) << c.first;
    }
}

TEST(UserSelectedLanguage, EmptyCodeMeansTheSystemLanguage) {
    PreferredLanguageEnv env("LANG", "de_DE.UTF-8");
    EXPECT_EQ(VEQLocale("").GetUserSelectedLanguage(), VEQ_LANGUAGE_GERMAN);
}

TEST(SystemLanguage, PreferredLanguageIsRewrittenThenResolved) {
    struct Case {
        const char* locale;  // the preferred language as the environment gives it
        int expected;
    };
    const Case cases[] = {
        {"zh_CN.UTF-8", 45},  // zh-Hans-CN looked up as zh_CN
        {"zh_SG", 45},        // zh-Hans-SG as zh_CN
        {"zh_HK", 46},        // zh-Hant-HK as zh_TW
        {"zh_TW", 46},
        {"zh_MO", 46},
        {"pt_BR.UTF-8", 154},  // pt-BR as pt_BR
        {"pt_PT", 59},         // pt-PT as pt: Portuguese of Portugal is not supported
        {"de_CH", 88},         // de-CH as de
        {"fr_CA.UTF-8", 79},
        {"es_MX", 179},
        {"it_CH", 109},
        {"nl_BE", 55},
        {"ja_JP.UTF-8", 111},
        {"ko_KR", 124},
        {"ru_RU", 159},
        {"cs_CZ", 53},
        {"pl", 152},
        {"tr_TR", 214},
        {"en", 59},     // en as en: English without a region is no supported row
        {"en_GB", 59},  // en-GB as en
        {"ZH_CN", 46},  // ZH-CN: the script prefixes are case-sensitive, so looked up as ZH
        {"xx_YY", 59},
        {"C", 59},      // no preferred language
        {"", 59},
    };
    for (const Case& c : cases) {
        PreferredLanguageEnv env("LANG", c.locale);
        EXPECT_EQ(VEQLocale::GetSystemLanguage(), c.expected) << c.locale;
    }
}

TEST(SystemLanguage, DefaultLanguageCodeIsTheSystemLanguagesCode) {
    {
        PreferredLanguageEnv env("LC_ALL", "fr_FR.UTF-8");
        EXPECT_EQ(VEQLocale::GetDefaultLanguageCode(), "fr_FR");
    }
    {
        PreferredLanguageEnv env("LANGUAGE", "zh_HK:en");
        EXPECT_EQ(VEQLocale::GetDefaultLanguageCode(), "zh_TW");
    }
    PreferredLanguageEnv none(nullptr, nullptr);
    EXPECT_EQ(VEQLocale::GetDefaultLanguageCode(), "en_US");
}

TEST(LocalePaths, CatalogueRootLiesInTheMainApplicationBundle) {
    servicestest::OwnRoot root;
    root.ExpectInChild([&root] {
        EXPECT_EQ(VEQLocale::GetPathForLocaleFiles(), root.UnderRoot("/Applications/Zelto/Veqora.app/Contents/Locale/"));
    });
    servicestest::ExpectInChild([] {
        setenv("VEQ_ROOT", "/", 1);
        EXPECT_EQ(VEQLocale::GetPathForLocaleFiles(), "/Applications/Zelto/Veqora.app/Contents/Locale/");
    });
}

TEST(LocalePaths, LanguageFolderIsTheRootFollowedByTheCode) {
    servicestest::OwnRoot root;
    root.ExpectInChild([&root] {
        const std::string locale = root.UnderRoot("/Applications/Zelto/Veqora.app/Contents/Locale/");
        EXPECT_EQ(VEQLocale::GetPathForLanguage(VEQ_LANGUAGE_CHINESE_SIMPLIFIED), locale + "zh_CN");
        EXPECT_EQ(VEQLocale::GetPathForLanguage(static_cast<VEQLanguage>(167)), locale + "sr_RS");
        EXPECT_EQ(VEQLocale::GetPathForLanguage(VEQ_LANGUAGE_FRENCH), locale + "fr_FR");
    });
}

TEST(LocalePaths, UnknownLanguageLogsAnErrorAndGivesTheEnglishFolder) {
    servicestest::OwnRoot root;
    root.ExpectInChild([&root] {
        const std::string locale = root.UnderRoot("/Applications/Zelto/Veqora.app/Contents/Locale/");
        EXPECT_EQ(VEQLocale::GetPathForLanguage(VEQ_LANGUAGE_UNKNOWN), locale + "en_US");
        EXPECT_EQ(VEQLocale::GetPathForLanguage(static_cast<VEQLanguage>(235)), locale + "en_US");
    });
    std::string logs;
    const std::string folder = root.ConfigDir() + "Logs/";
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_type == DT_REG) logs += veqtest::ReadFile(folder + entry->d_name);
        }
        closedir(dir);
    }
    EXPECT_NE(logs.find("<Error>"), std::string::npos) << logs;
    EXPECT_NE(logs.find("Language Not Found, Returning default English"), std::string::npos) << logs;
}

TEST(ToolkitLanguage, SupportedLanguagesMapToTheToolkitsLanguageOfTheSameCode) {
    for (const VEQLocale::SupportedLanguage& row : VEQLocale::GetSupportedLanguages()) {
        int toolkit = VEQLocale::GetToolkitLanguage(row.language);
        ASSERT_NE(toolkit, wxLANGUAGE_UNKNOWN) << row.code;
        EXPECT_EQ(wxLocale::GetLanguageCanonicalName(toolkit), row.code);
    }
    EXPECT_EQ(VEQLocale::GetToolkitLanguage(VEQ_LANGUAGE_FRENCH), wxLANGUAGE_FRENCH_FRANCE);
    EXPECT_EQ(VEQLocale::GetToolkitLanguage(VEQ_LANGUAGE_CHINESE_TRADITIONAL), wxLANGUAGE_CHINESE_TRADITIONAL);
    EXPECT_EQ(VEQLocale::GetToolkitLanguage(VEQ_LANGUAGE_ENGLISH_US), wxLANGUAGE_ENGLISH_US);
    for (int language : {0, 1, 123, 235}) {
        EXPECT_EQ(VEQLocale::GetToolkitLanguage(static_cast<VEQLanguage>(language)), wxLANGUAGE_UNKNOWN) << language;
    }
}

}  // namespace
