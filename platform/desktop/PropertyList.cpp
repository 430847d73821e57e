#include "PropertyList.h"

#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/xml/xml.h>

namespace veqplatform {
namespace desktop {

namespace {

std::string Utf8(const wxString& text) {
    return std::string(text.utf8_str());
}

std::string Trimmed(const wxString& text) {
    wxString copy(text);
    copy.Trim(true).Trim(false);
    return Utf8(copy);
}

bool ParseValue(const wxXmlNode& node, PlistValue& value);

bool ParseChildren(const wxXmlNode& node, PlistValue& value) {
    bool isDictionary = value.kind == PlistValue::Kind::Dictionary;
    bool keyPending = false;
    for (const wxXmlNode* child = node.GetChildren(); child; child = child->GetNext()) {
        if (child->GetType() != wxXML_ELEMENT_NODE) continue;
        if (isDictionary && !keyPending) {
            if (child->GetName() != "key") return false;
            value.keys.push_back(Utf8(child->GetNodeContent()));
            keyPending = true;
            continue;
        }
        PlistValue item;
        if (!ParseValue(*child, item)) return false;
        value.children.push_back(std::move(item));
        keyPending = false;
    }
    return !keyPending;
}

bool ParseValue(const wxXmlNode& node, PlistValue& value) {
    const wxString name = node.GetName();
    using Kind = PlistValue::Kind;
    if (name == "dict") {
        value.kind = Kind::Dictionary;
        return ParseChildren(node, value);
    }
    if (name == "array") {
        value.kind = Kind::Array;
        return ParseChildren(node, value);
    }
    if (name == "true" || name == "false") {
        value.kind = Kind::Boolean;
        value.text = name == "true" ? "1" : "0";
        return true;
    }
    if (name == "string") {
        value.kind = Kind::String;
        value.text = Utf8(node.GetNodeContent());
        return true;
    }
    if (name == "integer") value.kind = Kind::Integer;
    else if (name == "real") value.kind = Kind::Real;
    else if (name == "date") value.kind = Kind::Date;
    else if (name == "data") value.kind = Kind::Data;
    else return false;
    value.text = Trimmed(node.GetNodeContent());
    return true;
}

}  // namespace

bool ReadPropertyList(const std::string& path, PlistValue& root) {
    wxLogNull quiet;
    if (!wxFileExists(wxString::FromUTF8(path))) return false;
    wxXmlDocument document;
    if (!document.Load(wxString::FromUTF8(path))) return false;
    const wxXmlNode* plist = document.GetRoot();
    if (!plist || plist->GetName() != "plist") return false;
    for (const wxXmlNode* child = plist->GetChildren(); child; child = child->GetNext()) {
        if (child->GetType() != wxXML_ELEMENT_NODE) continue;
        PlistValue value;
        if (!ParseValue(*child, value)) return false;
        root = std::move(value);
        return true;
    }
    return false;
}

const PlistValue* FindKeyPath(const PlistValue& node, const std::string& keyPath) {
    const PlistValue* current = &node;
    std::string::size_type start = 0;
    while (true) {
        std::string::size_type dot = keyPath.find('.', start);
        std::string key = keyPath.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (current->kind != PlistValue::Kind::Dictionary) return nullptr;
        const PlistValue* found = nullptr;
        for (size_t i = current->keys.size(); i-- > 0;) {
            if (current->keys[i] == key) {
                found = &current->children[i];
                break;
            }
        }
        if (!found) return nullptr;
        current = found;
        if (dot == std::string::npos) return current;
        start = dot + 1;
    }
}

std::string ScalarText(const PlistValue& value) {
    switch (value.kind) {
        case PlistValue::Kind::Data:
        case PlistValue::Kind::Array:
        case PlistValue::Kind::Dictionary:
            return std::string();
        default:
            return value.text;
    }
}

}  // namespace desktop
}  // namespace veqplatform
