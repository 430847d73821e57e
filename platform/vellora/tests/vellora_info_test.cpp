// Server and device information, the system dictionary, features,
// authentication ids, locale sessions and code-page conversion.
#include "ClientTestSupport.h"

#include <cstring>

using namespace clienttest;

namespace {

class InfoTest : public ClientTest {
protected:
    Json::Value Fixture() override {
        Json::Value f = SmallFixture();
        Json::Value id;
        id["domain"] = "STUDIO";
        id["user"] = "alice";
        id["id"] = "Accounting";
        id["number"] = 7;
        f["authIds"].append(id);
        return f;
    }
};

TEST_F(InfoTest, ServerAndDeviceInformationCarryNameTimeAndModel) {
    VelloraServerHandle* h = Open();
    VelloraServerInfo* info = nullptr;
    ASSERT_EQ(SERVER_getInfo(h, &info, 0), VELLORA_OK);
    EXPECT_STREQ(info->text[0], "Test Controller");
    ASSERT_NE(info->text[4], nullptr);
    EXPECT_NE(std::strstr(info->text[4], "+0530"), nullptr) << info->text[4];
    EXPECT_EQ(SERVER_freeInfo(h, info, 0), VELLORA_OK);

    VelloraDeviceInfo* device = nullptr;
    ASSERT_EQ(DEV_getInfo(h, 0, &device, 0), VELLORA_OK);
    EXPECT_STREQ(device->text[4], "Varda T1");
    EXPECT_EQ(DEV_freeInfo(h, device, 0), VELLORA_OK);
    EXPECT_EQ(DEV_getInfo(h, 3, &device, 0), VELLORA_BAD_DEVICE_INDEX);
}

TEST_F(InfoTest, DictionaryReadsKnownKeysAndRefusesOthers) {
    VelloraServerHandle* h = Open();
    struct Case {
        const char* dictionary;
        const char* key;
        int expected;
        const char* value;
    };
    const Case cases[] = {{"WB3_SYSTEM", "QMVSYSVERNUM", VELLORA_OK, "10"},
                          {"WB3_SYSTEM", "VEQ_SIZE_COLUMN_HIDE", VELLORA_OK, "YES"},
                          {"WB3_SYSTEM", "QMVSYSVER", VELLORA_KEY_NOT_FOUND, nullptr},
                          {"OTHER", "QMVSYSVERNUM", VELLORA_NO_SUCH_SCOPE, nullptr}};
    for (const auto& c : cases) {
        char* value = nullptr;
        EXPECT_EQ(QMVM_dictRead(h, c.dictionary, c.key, &value, 0), c.expected) << c.key;
        if (c.value) {
            EXPECT_STREQ(value, c.value);
            vellora_free(value);
        } else {
            EXPECT_EQ(value, nullptr);
        }
    }
    EXPECT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", nullptr, 0), VELLORA_PARAMETER_MAY_NOT_BE_NULL);
}

TEST_F(InfoTest, FeatureListsPairNamesWithValuesAndKeepNullEntries) {
    VelloraServerHandle* h = Open();
    char** names = nullptr;
    char** values = nullptr;
    int count = 0;
    ASSERT_EQ(FEAT_getFeatureList(h, &names, &values, &count, 0), VELLORA_OK);
    ASSERT_EQ(count, 2);
    bool sawKesti = false, sawNull = false;
    for (int i = 0; i < count; ++i) {
        if (std::string(names[i]) == "ZeltoKesti") sawKesti = values[i] && std::string(values[i]) == "2";
        if (std::string(names[i]) == "NoValue") sawNull = values[i] == nullptr;
    }
    EXPECT_TRUE(sawKesti);
    EXPECT_TRUE(sawNull);
    EXPECT_EQ(freeStringList(names, count), VELLORA_OK);
    EXPECT_EQ(freeStringList(values, count), VELLORA_OK);
}

TEST_F(InfoTest, AuthenticationIdsAreLookedUpByUserAndDomain) {
    VelloraServerHandle* h = Open();
    char* id = nullptr;
    int number = 0;
    ASSERT_EQ(AUTH_getAuthIDEx(h, "alice", "studio", 5, 0, &id, &number, 0), VELLORA_OK);
    EXPECT_STREQ(id, "Accounting");
    EXPECT_EQ(number, 7);
    vellora_free(id);
    EXPECT_EQ(AUTH_getAuthIDEx(h, "bob", "STUDIO", 5, 0, &id, &number, 0), VELLORA_ITEM_NOT_FOUND);
    EXPECT_EQ(id, nullptr);
    auto call = Sim().Calls("AUTH_getAuthIDEx").front();
    EXPECT_EQ(call.Argument("user"), "alice");
    EXPECT_EQ(call.Argument("domain"), "studio");
    EXPECT_EQ(call.Argument("kind"), "5");
}

TEST_F(InfoTest, LocaleStringsComeInTheSessionsLanguageOrFallBack) {
    VelloraServerHandle* h = Open();
    struct Case {
        const char* language;
        const char* key;
        int expected;
        const char* text;
    };
    const Case cases[] = {{"fr_FR", "COLOR", VELLORA_OK, "Couleur"},
                          {"fr_CA", "COLOR", VELLORA_OK, "Couleur"},   // same language, other region
                          {"de_DE", "COLOR", VELLORA_OK, "Colour"},    // the controller's default language
                          {"en_US", "UNKNOWN", VELLORA_LOCL_UNKNOWN_KEY, nullptr}};
    for (const auto& c : cases) {
        VelloraLocaleSession session{};
        ASSERT_EQ(LOCL_openSession(h, 0, c.language, "UTF8", &session, 0), VELLORA_OK) << c.language;
        char* text = nullptr;
        EXPECT_EQ(LOCL_getString(&session, c.key, &text, 0), c.expected) << c.language;
        if (c.text) {
            EXPECT_STREQ(text, c.text) << c.language;
        }
        vellora_free(text);
        EXPECT_EQ(LOCL_closeSession(&session, 0), VELLORA_OK);
    }
}

TEST_F(InfoTest, StringsWithAContextFallBackToThePlainKey) {
    VelloraServerHandle* h = Open();
    VelloraLocaleSession session{};
    ASSERT_EQ(LOCL_openSession(h, 0, "en_US", "UTF8", &session, 0), VELLORA_OK);
    char* text = nullptr;
    ASSERT_EQ(LOCL_getStringWithContext(&session, "PageSize", "A4", &text, 0), VELLORA_OK);
    EXPECT_STREQ(text, "A4 sheet");
    vellora_free(text);
    ASSERT_EQ(LOCL_getStringWithContext(&session, "PageSize", "COLOR", &text, 0), VELLORA_OK);
    EXPECT_STREQ(text, "Colour");
    vellora_free(text);
    ASSERT_EQ(LOCL_getString(&session, "A4", &text, 0), VELLORA_OK);
    EXPECT_STREQ(text, "A4") << "no byte-order mark on session texts";
    vellora_free(text);
    LOCL_closeSession(&session, 0);
}

TEST_F(InfoTest, TheDefaultEncodingComesFromTheController) {
    VelloraServerHandle* h = Open();
    char* encoding = nullptr;
    ASSERT_EQ(LOCL_getDefaultEncoding(h, &encoding, 0), VELLORA_OK);
    EXPECT_STREQ(encoding, "SJIS");
    vellora_free(encoding);
}

TEST_F(InfoTest, DecodingConvertsBetweenRealCodePages) {
    VelloraServerHandle* h = Open();
    VelloraLocaleSession session{};
    ASSERT_EQ(LOCL_openSession(h, 0, "ja_JP", "UTF8", &session, 0), VELLORA_OK);
    const std::string bom = "\xEF\xBB\xBF";
    struct Case {
        const char* from;
        std::string input;
        const char* to;
        int expected;
        std::string output;
    };
    const Case cases[] = {
        {"SJIS", "\x93\xfa\x96\x7b", "UTF8NOBOM", VELLORA_OK, "\xE6\x97\xA5\xE6\x9C\xAC"},        // 日本
        {"SJIS", "\x93\xfa\x96\x7b", "UTF8", VELLORA_OK, bom + "\xE6\x97\xA5\xE6\x9C\xAC"},        // with a mark
        {"GBK", "\xd6\xd0\xce\xc4", "UTF8NOBOM", VELLORA_OK, "\xE4\xB8\xAD\xE6\x96\x87"},          // 中文
        {"Big5", "\xa4\xa4\xa4\xe5", "UTF8NOBOM", VELLORA_OK, "\xE4\xB8\xAD\xE6\x96\x87"},         // 中文
        {"MacRoman", "caf\x8e", "UTF8NOBOM", VELLORA_OK, "caf\xC3\xA9"},                            // café
        {"UTF8", bom + "abc", "UTF8NOBOM", VELLORA_OK, "abc"},                                      // mark dropped
        {"UTF8NOBOM", "\xE6\x97\xA5", "SJIS", VELLORA_OK, "\x93\xfa"},
        {"SJIS", "\x81", "UTF8", VELLORA_LOCL_PARMERR, ""},                                          // cut in half
        {"EBCDIC-42", "abc", "UTF8", VELLORA_LOCL_INVALID_ENCODING, ""},
    };
    for (const auto& c : cases) {
        char* out = nullptr;
        EXPECT_EQ(LOCL_decodeString(&session, c.from, c.input.c_str(), c.to, &out, 0), c.expected) << c.from;
        if (c.expected == VELLORA_OK) {
            ASSERT_NE(out, nullptr);
            EXPECT_EQ(std::string(out), c.output) << c.from << " to " << c.to;
        } else {
            EXPECT_EQ(out, nullptr);
        }
        vellora_free(out);
    }
    LOCL_closeSession(&session, 0);
}

TEST(Heap, AttributeCopiesAreDeepAndStringListsToleratePartsThatAreMissing) {
    char name0[] = "SCAN_SOURCE", value0[] = "ADF", name1[] = "PAGESIZE";
    char* names[] = {name0, name1};
    char* values[] = {value0, nullptr};
    ScanAttributes source{names, values, 2};
    ScanAttributes* copy = nullptr;
    ASSERT_EQ(duplicateVelloraAttributes(&copy, &source), VELLORA_OK);
    ASSERT_EQ(copy->count, 2);
    EXPECT_NE(copy->names[0], name0);
    EXPECT_STREQ(copy->names[0], "SCAN_SOURCE");
    EXPECT_STREQ(copy->values[1], "") << "a null value is copied as an empty text";
    name0[0] = 'X';
    EXPECT_STREQ(copy->names[0], "SCAN_SOURCE");
    EXPECT_EQ(freeVelloraAttributes(copy), VELLORA_OK);
    EXPECT_EQ(duplicateVelloraAttributes(&copy, nullptr), VELLORA_PARAMETER_MAY_NOT_BE_NULL);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(freeVelloraAttributes(nullptr), VELLORA_OK);
    EXPECT_EQ(freeStringList(nullptr, 3), VELLORA_OK);
    char** list = static_cast<char**>(vellora_malloc(2 * sizeof(char*)));
    list[0] = nullptr;
    list[1] = static_cast<char*>(vellora_malloc(4));
    EXPECT_EQ(freeStringList(list, 2), VELLORA_OK);
    vellora_free(vellora_malloc(0));
}

}  // namespace
