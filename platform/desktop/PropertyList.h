// XML property lists ("<plist>" documents) read into a small value tree, and
// key-path look-ups in their dictionaries.
#pragma once

#include <string>
#include <vector>

namespace veqplatform {
namespace desktop {

struct PlistValue {
    enum class Kind { String, Integer, Real, Boolean, Date, Data, Array, Dictionary };

    Kind kind = Kind::String;
    // Scalars: the element's text (UTF-8); booleans "1" or "0".
    std::string text;
    // Dictionaries: keys[i] names children[i]. Arrays: children only.
    std::vector<std::string> keys;
    std::vector<PlistValue> children;
};

// Reads the property list at path into root. False for a missing or unreadable
// file, a file that is not XML, or one whose content is not a property list.
bool ReadPropertyList(const std::string& path, PlistValue& root);

// Follows a key path (keys of nested dictionaries joined by ".") from node.
// Null when node or a step on the way is not a dictionary or lacks the key;
// of a key given twice the later one counts.
const PlistValue* FindKeyPath(const PlistValue& node, const std::string& keyPath);

// The text of a string, number, date or boolean; empty for data, arrays and
// dictionaries.
std::string ScalarText(const PlistValue& value);

}  // namespace desktop
}  // namespace veqplatform
