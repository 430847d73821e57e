// Helpers shared by the content tests: whole documents as bytes or files, the
// standard tools that open them, and a few job descriptions.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "JobContent.h"
#include "TestSupport.h"

namespace contenttest {

using zeltosim::ContentFormat;
using zeltosim::JobDocument;
using zeltosim::JobSpec;

constexpr ContentFormat kAllFormats[] = {ContentFormat::PDF,  ContentFormat::TIFF,        ContentFormat::JPEG,
                                         ContentFormat::XPS,  ContentFormat::RAW,         ContentFormat::COMPACT_PDF,
                                         ContentFormat::COMPACT_XPS};

inline JobSpec Spec(int pages, int width, int height, bool color, uint64_t padding = 0, uint32_t seed = 1) {
    JobSpec spec;
    spec.seed = seed;
    spec.pages = pages;
    spec.widthPx = width;
    spec.heightPx = height;
    spec.color = color;
    spec.paddingBytesPerPage = padding;
    return spec;
}

inline std::string Describe(const JobSpec& spec) {
    std::ostringstream text;
    text << spec.pages << " pages " << spec.widthPx << "x" << spec.heightPx << (spec.color ? " colour" : " gray")
         << " padding " << spec.paddingBytesPerPage << " seed " << spec.seed;
    return text.str();
}

// Reads the whole document front to back in chunks of chunkBytes.
inline std::string ReadAll(const JobDocument& document, size_t chunkBytes = 1 << 20) {
    std::string all;
    std::vector<char> buffer(chunkBytes);
    for (uint64_t offset = 0;;) {
        size_t count = document.Read(offset, buffer.data(), buffer.size());
        if (count == 0) break;
        all.append(buffer.data(), count);
        offset += count;
    }
    return all;
}

inline std::string Bytes(const JobSpec& spec, ContentFormat format, int page) {
    auto document = JobDocument::Make(spec, format, page);
    if (!document) {
        ADD_FAILURE() << "no document for " << zeltosim::ContentFormatName(format) << " page " << page << " of " << Describe(spec);
        return "";
    }
    return ReadAll(*document);
}

// Writes the rendition to a file and returns its path.
inline std::string WriteRendition(const veqtest::TempDir& dir, const JobSpec& spec, ContentFormat format, int page,
                                  const std::string& name) {
    std::string path = dir / name;
    veqtest::WriteFile(path, Bytes(spec, format, page));
    return path;
}

// Runs a tool and returns what it printed; a failing tool fails the test.
inline std::string Tool(const std::vector<std::string>& argv) {
    veqtest::ChildResult result = veqtest::RunProgram(argv);
    std::string command;
    for (const auto& arg : argv) command += arg + " ";
    EXPECT_TRUE(result.exited && result.status == 0) << command << "\n" << result.output;
    return result.output;
}

inline int CountOf(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
    return count;
}

}  // namespace contenttest
