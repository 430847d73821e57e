#include "JsonParse.h"

#include <memory>

namespace zeltosim {

bool ParseJson(const char* begin, const char* end, Json::Value& root, std::string& errors) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    try {
        return reader->parse(begin, end, &root, &errors);
    } catch (const Json::Exception& error) {
        errors = error.what();
        return false;
    }
}

}  // namespace zeltosim
