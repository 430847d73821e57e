#include "PrintableText.h"

wxString PrintableText(const wxString& text) {
    wxString printable;
    printable.reserve(text.length());
    for (wxUniChar c : text) {
        const wxUint32 v = c.GetValue();
        if (v == '\n') printable += "\\n";
        else if (v == '\r') printable += "\\r";
        else if (v == '\t') printable += "\\t";
        else if (v < 0x20 || v == 0x7F || (v >= 0x80 && v < 0xA0) || v == 0x2028 || v == 0x2029)
            printable += wxString::Format("\\x%02X", static_cast<unsigned>(v));
        else printable += c;
    }
    return printable;
}
