#include "CommandLineArguments.h"

#include <climits>
#include <map>

namespace {

using OptionMap = std::map<wxString, wxString>;

// Whole text a base-10 integer (leading white space allowed).
bool ReadInteger(const wxString& text, long& value) {
    return !text.empty() && text.ToLong(&value, 10);
}

const wxString* FirstValue(const OptionMap& options, const wxString& key) {
    for (const auto& option : options) {
        if (option.first.IsSameAs(key, false)) {
            return &option.second;
        }
    }
    return nullptr;
}

std::vector<const wxString*> AllValues(const OptionMap& options, const wxString& key) {
    std::vector<const wxString*> values;
    for (const auto& option : options) {
        if (option.first.IsSameAs(key, false)) {
            values.push_back(&option.second);
        }
    }
    return values;
}

void ReadCoordinate(const wxString& text, int& coordinate) {
    long value = 0;
    if (ReadInteger(text, value) && value >= 0 && value <= INT_MAX) {
        coordinate = static_cast<int>(value);
    }
}

}  // namespace

FormatTable MakeFormatTable() {
    return {{veq::types::jpeg, "jpeg"}, {veq::types::tiff, "tiff"}, {veq::types::pdf, "pdf"}};
}

CommandLineArguments::CommandLineArguments(const wxCmdLineArgsArray& argv, const FormatTable& formats) {
    Parse(argv.GetArguments(), formats);
}

CommandLineArguments::CommandLineArguments(const wxArrayString& arguments, const FormatTable& formats) {
    Parse(arguments, formats);
}

void CommandLineArguments::Parse(const wxArrayString& arguments, const FormatTable& formats) {
    OptionMap options;
    for (const wxString& argument : arguments) {
        options[argument.BeforeFirst('=')] = argument.AfterFirst('=');
    }

    if (const wxString* ip = FirstValue(options, "ip")) {
        m_ip = wxString(*ip).Trim(true).Trim(false);
    }
    if (const wxString* format = FirstValue(options, "format")) {
        const wxString text = wxString(*format).Trim(true).Trim(false).Lower();
        for (const auto& entry : formats) {
            if (entry.second.IsSameAs(text, false)) {
                m_format = entry.first;
                break;
            }
        }
    }
    if (const wxString* savePath = FirstValue(options, "savepath")) {
        m_savePath = *savePath;
    }
    if (const wxString* language = FirstValue(options, "lang")) {
        m_languageCode = *language;
    }
    for (const wxString* value : AllValues(options, "supresserror")) {
        long number = 0;
        if (ReadInteger(*value, number)) {
            m_supressError = number != 0;
        }
    }
    for (const wxString* value : AllValues(options, "pos")) {
        const wxString text = wxString(*value).Trim(true);
        if (!text.Contains(",")) {
            continue;
        }
        const wxString x = text.BeforeFirst(',');
        const wxString y = text.AfterFirst(',');
        if (x.empty() || y.empty()) {
            continue;
        }
        ReadCoordinate(x, m_position.x);
        ReadCoordinate(y, m_position.y);
    }
}
