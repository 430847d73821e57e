// The language set-up the two programs share: which catalogue files of the
// language's folder are added, and which one wins.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include <wx/filename.h>
#include <wx/translation.h>

#include "AppLocale.h"
#include "TestSupport.h"
#include "WxTestApp.h"

namespace {

// A gettext catalogue with one translation besides the header.
std::string Catalogue(const std::string& original, const std::string& translation) {
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"", "Content-Type: text/plain; charset=UTF-8\n"}, {original, translation}};
    auto word = [](std::string& out, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    };
    const uint32_t count = static_cast<uint32_t>(entries.size());
    const uint32_t originals = 28, translations = originals + 8 * count;
    uint32_t text = translations + 8 * count;
    std::string header, tables, strings;
    word(header, 0x950412de);
    word(header, 0);
    word(header, count);
    word(header, originals);
    word(header, translations);
    word(header, 0);
    word(header, 0);
    std::string originalTable, translationTable;
    for (const auto& entry : entries) {
        word(originalTable, static_cast<uint32_t>(entry.first.size()));
        word(originalTable, text);
        strings += entry.first + '\0';
        text += static_cast<uint32_t>(entry.first.size() + 1);
    }
    for (const auto& entry : entries) {
        word(translationTable, static_cast<uint32_t>(entry.second.size()));
        word(translationTable, text);
        strings += entry.second + '\0';
        text += static_cast<uint32_t>(entry.second.size() + 1);
    }
    return header + originalTable + translationTable + strings;
}

std::string LanguageFolder() {
    return std::string(std::getenv("VEQ_ROOT")) + "/Applications/Zelto/Veqora.app/Contents/Locale/en_US";
}

TEST(AppLocale, TheCatalogueWhosePathSortsFirstWins) {
    veqfake::EnsureWxApp();
    ASSERT_TRUE(wxFileName::Mkdir(LanguageFolder(), 0777, wxPATH_MKDIR_FULL));
    veqtest::WriteFile(LanguageFolder() + "/veq.mo", Catalogue("Hello", "hello from veq"));
    veqtest::WriteFile(LanguageFolder() + "/aaa.mo", Catalogue("Hello", "hello from aaa"));
    veqtest::WriteFile(LanguageFolder() + "/zzz.MO", Catalogue("Bye", "bye from zzz"));
    veqtest::WriteFile(LanguageFolder() + "/notes.txt", "not a catalogue");

    std::shared_ptr<VEQLocale> veqLocale;
    std::unique_ptr<wxLocale> locale;
    InitializeAppLocale("en_US", veqLocale, locale);
    ASSERT_TRUE(veqLocale);
    ASSERT_TRUE(locale);
    EXPECT_EQ(locale->GetCanonicalName(), "en_US");
    EXPECT_TRUE(locale->IsLoaded("veq"));
    EXPECT_TRUE(locale->IsLoaded("aaa"));
    EXPECT_FALSE(locale->IsLoaded("zzz"));
    // Added in descending order, searched from the last added: aaa answers.
    EXPECT_EQ(wxGetTranslation("Hello"), "hello from aaa");
    EXPECT_EQ(wxGetTranslation("Bye"), "Bye");
}

TEST(AppLocale, AnUnknownLanguageFallsBackToEnglish) {
    veqfake::EnsureWxApp();
    std::shared_ptr<VEQLocale> veqLocale;
    std::unique_ptr<wxLocale> locale;
    InitializeAppLocale("xx_XX", veqLocale, locale);
    ASSERT_TRUE(locale);
    EXPECT_EQ(locale->GetCanonicalName(), "en_US");
    EXPECT_EQ(wxGetTranslation("Hello"), "Hello");
    // A second set-up replaces the first.
    InitializeAppLocale("", veqLocale, locale);
    ASSERT_TRUE(locale);
}

}  // namespace
