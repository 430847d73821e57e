#include "KitFonts.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/settings.h>

#include "VEQLocale.h"
#include "VEQNSUtils.h"

namespace VEQ {

namespace {

wxFont KitFont(int points, int weight) {
    return wxFont(wxFontInfo(points).Family(wxFONTFAMILY_DEFAULT).FaceName("Lucida Grande").Weight(weight));
}

// The languages whose users keep the kit's own face, as the system's language ids.
bool KeepsKitFace(int language) {
    struct Range { int first, last; };
    static const Range kRanges[] = {
        {VEQ_LANGUAGE_DUTCH, 56},       {57, 72},    // English
        {VEQ_LANGUAGE_FRENCH, 84},      {VEQ_LANGUAGE_GERMAN, 93},
        {VEQ_LANGUAGE_ITALIAN, 110},    {VEQ_LANGUAGE_PORTUGUESE_BRAZILIAN, VEQ_LANGUAGE_PORTUGUESE_BRAZILIAN},
        {VEQ_LANGUAGE_SPANISH, 199},
    };
    for (const Range& range : kRanges) {
        if (language >= range.first && language <= range.last) return true;
    }
    return false;
}

}  // namespace

wxFont QMVFont_Default = KitFont(11, 400);
wxFont QMVFont_DefaultLight = KitFont(11, 300);
wxFont QMVFont_DefaultBold = KitFont(11, 700);
wxFont QMVFont_Small = KitFont(9, 400);
wxFont QMVFont_SmallLight = KitFont(9, 300);
wxFont QMVFont_SmallBold = KitFont(9, 700);
wxFont QMVFont_Title = KitFont(13, 400);
wxFont QMVFont_TitleLight = KitFont(13, 300);
wxFont QMVFont_TitleBold = KitFont(13, 700);

wxColour QMVFont_DefaultColor(0, 0, 0);
wxColour QMVFont_SmallColor(0, 0, 0);
wxColour QMVFont_TitleColor(0, 0, 0);

void UseSystemFontSettings() {
    // The user's language as the desktop reports it ("en-GB"), also where no
    // system locale of it is installed; the ranges are the system's language ids.
    wxString code = VEQNSUtils::GetSystemLanguage();
    code.Replace("-", "_");
    int language = VEQLocale::GetLanguageIndex(code);
    if (language == VEQ_LANGUAGE_DEFAULT) language = VEQLocale::GetLanguageIndex(code.BeforeFirst('_'));
    if (KeepsKitFace(language)) return;
    struct Entry { wxFont* font; int points; };
    const Entry entries[] = {
        {&QMVFont_Default, 11}, {&QMVFont_DefaultLight, 11}, {&QMVFont_DefaultBold, 11},
        {&QMVFont_Small, 9},    {&QMVFont_SmallLight, 9},    {&QMVFont_SmallBold, 9},
        {&QMVFont_Title, 13},   {&QMVFont_TitleLight, 13},   {&QMVFont_TitleBold, 13},
    };
    for (const Entry& entry : entries) {
        wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
        font.SetPointSize(entry.points);
        font.SetStyle(wxFONTSTYLE_NORMAL);
        font.SetWeight(wxFONTWEIGHT_NORMAL);
        *entry.font = font;
    }
}

wxString GetApplicationPath() {
    if (!wxTheApp || wxTheApp->argc < 1) return wxString();
    return FolderAboveProgram(wxTheApp->argv[0]);
}

wxString FolderAboveProgram(const wxString& path) {
    wxFileName program(path);
    program.MakeAbsolute();
    for (int level = 0; level < 3 && program.GetDirCount() > 0; ++level) {
        program.RemoveLastDir();
    }
    return program.GetPath();
}

bool ShowAnimation() {
    return true;
}

}  // namespace VEQ
