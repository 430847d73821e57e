// Text wrapping of VEQHelper, measured with a window's font; built into the
// small library DropwellTextWrap so that only programs with windows need it.
#include <vector>

#include <wx/intl.h>
#include <wx/window.h>

#include "VEQHelper.h"

namespace {

wxSize Extent(const wxWindow* window, const wxString& text) {
    int width = 0;
    int height = 0;
    window->GetTextExtent(text, &width, &height);
    return wxSize(width, height);
}

// Chinese and Japanese text is wrapped by characters, blanks or not.
bool WrapsByCharacters() {
    const wxLocale* locale = wxGetLocale();
    if (locale == nullptr) return false;
    const wxString language = locale->GetCanonicalName().BeforeFirst('_');
    return language == "zh" || language == "ja";
}

}  // namespace

wxString VEQHelper::WrapString(wxString& text, const wxWindow* window, int width) {
    if (text.empty()) return text;
    text.Trim(true).Trim(false);
    if (window == nullptr) return text;
    if (text.Find(' ') == wxNOT_FOUND || WrapsByCharacters()) return WrapLongName(text, window, width, -1);
    if (Extent(window, text).GetWidth() <= width) return text;

    const wxString s = text + " ";
    std::vector<size_t> breaks;  // the index just after each blank
    for (size_t i = 0; i < s.length(); ++i)
        if (s[i] == ' ') breaks.push_back(i + 1);

    wxString result;
    size_t start = 0;
    for (size_t k = 0; k < breaks.size(); ++k) {
        const wxString line = s.Mid(start, breaks[k] - 1 - start);
        if (Extent(window, line).GetWidth() <= width) continue;
        // The line overflows: end it before the word that made it too wide.
        // A first word that is too wide alone stays on its line.
        const size_t previous = k == 0 ? start : breaks[k - 1];
        if (previous <= start + 1) continue;
        result += s.Mid(start, previous - 1 - start) + "\n";
        start = previous;
    }
    return result + s.Mid(start, s.length() - 1 - start);
}

wxString VEQHelper::WrapLongName(const wxString& text, const wxWindow* window, int width, int maxHeight) {
    if (text.empty() || window == nullptr || Extent(window, text).GetWidth() <= width) return text;
    wxString result;
    wxString line;
    int lines = 1;
    for (wxString::const_iterator c = text.begin(); c != text.end(); ++c) {
        line += *c;
        const wxSize size = Extent(window, line);
        // A line keeps at least one character, even one wider than width.
        if (size.GetWidth() < width || line.length() == 1) continue;
        line.RemoveLast();
        result += line;
        line = *c;
        ++lines;
        if (maxHeight != -1 && lines * size.GetHeight() > maxHeight) return result;
        result += "\n";
    }
    return result + line;
}
