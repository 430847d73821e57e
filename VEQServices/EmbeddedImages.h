// The image files compiled into libVEQServices (the build writes the table
// from VEQServices/images/, see cmake/EmbeddedImages.cmake). Internal to the
// library: callers reach the images through ResourceService.
#pragma once

#include <cstddef>
#include <cstdint>

struct EmbeddedFile {
    const char* key;            // file name lower-cased, last "." turned into "_"
    const unsigned char* data;  // the file's bytes, in read-only data
    std::uint64_t size;
};

extern const EmbeddedFile g_embeddedFiles[];
extern const std::size_t g_embeddedFileCount;
