#include "Heap.h"

#include <cstdlib>
#include <cstring>

extern "C" {

VELLORA_API void* vellora_malloc(size_t size) { return std::malloc(size ? size : 1); }

VELLORA_API void vellora_free(void* p) { std::free(p); }

VELLORA_API int freeStringList(char** list, int count) {
    if (!list) return VELLORA_OK;
    for (int i = 0; i < count; ++i) std::free(list[i]);
    std::free(list);
    return VELLORA_OK;
}

VELLORA_API int duplicateVelloraAttributes(ScanAttributes** copy, const ScanAttributes* source) {
    if (!copy) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    *copy = nullptr;
    if (!source || source->count < 0) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    std::vector<std::string> names, values;
    vellora::ReadAttributes(source, names, values);
    auto* record = static_cast<ScanAttributes*>(vellora_malloc(sizeof(ScanAttributes)));
    if (!record) return VELLORA_OUT_OF_MEMORY;
    *record = ScanAttributes{nullptr, nullptr, 0};
    if (!vellora::FillAttributes(*record, names, values)) {
        std::free(record);
        return VELLORA_OUT_OF_MEMORY;
    }
    *copy = record;
    return VELLORA_OK;
}

VELLORA_API int freeVelloraAttributes(ScanAttributes* attributes) {
    if (!attributes) return VELLORA_OK;
    vellora::ClearAttributes(*attributes);
    std::free(attributes);
    return VELLORA_OK;
}

}  // extern "C"

namespace vellora {

char* HeapText(const std::string& text) {
    auto* p = static_cast<char*>(vellora_malloc(text.size() + 1));
    if (!p) return nullptr;
    std::memcpy(p, text.data(), text.size());
    p[text.size()] = '\0';
    return p;
}

char** HeapTextList(const std::vector<std::optional<std::string>>& texts) {
    auto** list = static_cast<char**>(vellora_malloc(sizeof(char*) * texts.size()));
    if (!list) return nullptr;
    for (size_t i = 0; i < texts.size(); ++i) {
        list[i] = nullptr;
        if (texts[i] && !(list[i] = HeapText(*texts[i]))) {
            freeStringList(list, static_cast<int>(i));
            return nullptr;
        }
    }
    return list;
}

char** HeapTextList(const std::vector<std::string>& texts) {
    return HeapTextList(std::vector<std::optional<std::string>>(texts.begin(), texts.end()));
}

bool FillAttributes(ScanAttributes& record, const std::vector<std::string>& names,
                    const std::vector<std::string>& values) {
    size_t n = names.size() < values.size() ? names.size() : values.size();
    std::vector<std::string> keys(names.begin(), names.begin() + static_cast<long>(n));
    std::vector<std::string> vals(values.begin(), values.begin() + static_cast<long>(n));
    record.names = HeapTextList(keys);
    record.values = HeapTextList(vals);
    record.count = static_cast<long>(n);
    if (!record.names || !record.values) {
        ClearAttributes(record);
        return false;
    }
    return true;
}

void ClearAttributes(ScanAttributes& record) {
    int n = static_cast<int>(record.count);
    if (record.names) freeStringList(record.names, n);
    if (record.values) freeStringList(record.values, n);
    record = ScanAttributes{nullptr, nullptr, 0};
}

void ReadAttributes(const ScanAttributes* record, std::vector<std::string>& names,
                    std::vector<std::string>& values) {
    names.clear();
    values.clear();
    if (!record || record->count <= 0 || !record->names || !record->values) return;
    for (long i = 0; i < record->count; ++i) {
        names.push_back(record->names[i] ? record->names[i] : "");
        values.push_back(record->values[i] ? record->values[i] : "");
    }
}

}  // namespace vellora
