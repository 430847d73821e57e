#include "JsonText.h"

#include <exception>

bool JsonNestingWithin(const std::string& text, int limit) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

bool ParseJsonText(const std::string& text, Json::Value& root, std::string& errors) {
    if (!JsonNestingWithin(text)) {
        errors = "nested more than " + std::to_string(kMaxJsonNesting) + " levels deep";
        return false;
    }
    try {
        Json::Reader reader;
        if (reader.parse(text, root, true)) return true;
        errors = reader.getFormattedErrorMessages();
    } catch (const std::exception& error) {
        errors = error.what();
    }
    return false;
}
