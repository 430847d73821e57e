#include "KitText.h"

#include <wx/tokenzr.h>

namespace VEQ {

namespace {

const wxString kEllipsis = "...";

}  // namespace

wxString TruncateToWidth(const std::function<int(const wxString&)>& width, const wxString& text, int available,
                         bool middle, bool firstLacksLast) {
    if (width(kEllipsis) >= available) return kEllipsis;
    if (!middle) {
        for (size_t keep = firstLacksLast && !text.empty() ? text.length() - 1 : text.length(); keep > 0; --keep) {
            const wxString candidate = text.Left(keep) + kEllipsis;
            if (width(candidate) <= available) return candidate;
        }
        return kEllipsis;
    }
    const size_t half = text.length() / 2;
    if (half == 0) return wxString();
    wxString left = text.Left(half), right = text.Right(half);
    bool dropLeft = true;
    while (!left.empty() || !right.empty()) {
        const wxString candidate = left + kEllipsis + right;
        if (width(candidate) <= available) return candidate;
        if ((dropLeft && !left.empty()) || right.empty()) {
            left.RemoveLast();
        } else {
            right.Remove(0, 1);
        }
        dropLeft = !dropLeft;
    }
    return kEllipsis;
}

void CUTruncateText(wxWindow* window, wxSize size, wxString& text, bool middle) {
    if (!window || text.empty()) return;
    auto width = [window](const wxString& candidate) { return window->GetTextExtent(candidate).x; };
    if (width(text) + width(kEllipsis) <= size.x) return;
    text = TruncateToWidth(width, text, size.x, middle, true);
}

void CUDivideStrings(wxDC* dc, wxSize size, wxString& text, wxArrayString& lines) {
    lines.clear();
    if (!dc) return;
    auto fits = [dc, &size](const wxString& candidate) { return dc->GetTextExtent(candidate).x <= size.x; };
    wxString line;
    auto emit = [&lines, &line]() {
        line.Trim(true);
        lines.Add(line);
        line.clear();
    };
    for (wxString word : wxStringTokenize(text, " ", wxTOKEN_STRTOK)) {
        if (fits(line + word)) {
            line += word + " ";
            continue;
        }
        if (!line.empty()) emit();
        if (fits(word)) {
            line = word + " ";
            continue;
        }
        // A word wider than the width: each line takes the longest start that
        // fits, at least one character, so a width under one character ends too.
        while (!word.empty() && !fits(word)) {
            size_t take = 1;
            while (take < word.length() && fits(word.Left(take + 1))) ++take;
            line = word.Left(take);
            emit();
            word.Remove(0, take);
        }
        if (!word.empty()) line = word + " ";
    }
    if (!line.empty()) emit();
}

}  // namespace VEQ
