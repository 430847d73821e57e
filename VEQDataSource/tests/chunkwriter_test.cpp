// Chunks written on the writer's own thread: whole and in order, and the first
// error of any chunk reported and ending the writing.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ChunkFileWriter.h"
#include "TestSupport.h"

namespace {

TEST(ChunkFileWriter, ChunksFromTwoAlternatingBuffersLandWholeAndInOrder) {
    veqtest::TempDir folder;
    const std::string path = folder / "out.bin";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(file);
    std::vector<char> buffers[2] = {std::vector<char>(300000), std::vector<char>(300000)};
    std::string expected;
    {
        ChunkFileWriter writer(file);
        for (int chunk = 0; chunk < 7; ++chunk) {
            std::vector<char>& buffer = buffers[chunk % 2];
            // Refilled only once the Write before waited for the chunk it last held.
            const size_t length = buffer.size() - static_cast<size_t>(chunk) * 1000;
            std::fill(buffer.begin(), buffer.begin() + static_cast<long>(length), static_cast<char>('a' + chunk));
            expected.append(length, static_cast<char>('a' + chunk));
            ASSERT_EQ(writer.Write(buffer.data(), length), 0);
        }
        EXPECT_EQ(writer.Finish(), 0);
    }
    ASSERT_EQ(std::fclose(file), 0);
    EXPECT_EQ(veqtest::ReadFile(path), expected);
}

// A file whose every write fails with ENOSPC, unbuffered so that each chunk
// reaches it at once.
using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
File FullDevice() {
    File file(std::fopen("/dev/full", "wb"), &std::fclose);
    if (file) {
        std::setvbuf(file.get(), nullptr, _IONBF, 0);
    }
    return file;
}

TEST(ChunkFileWriter, TheFirstErrorIsReportedByTheNextCallAndStopsTheWriting) {
    const File file = FullDevice();
    ASSERT_TRUE(file);
    const std::vector<char> chunk(4096, 'x');
    ChunkFileWriter writer(file.get());
    EXPECT_EQ(writer.Write(chunk.data(), chunk.size()), 0);  // fails on the writer's thread
    EXPECT_EQ(writer.Write(chunk.data(), chunk.size()), ENOSPC);
    EXPECT_EQ(writer.Write(chunk.data(), chunk.size()), ENOSPC);
    EXPECT_EQ(writer.Finish(), ENOSPC);
}

TEST(ChunkFileWriter, AnErrorOfTheLastChunkIsReportedByFinish) {
    const File file = FullDevice();
    ASSERT_TRUE(file);
    const std::vector<char> chunk(10, 'x');
    ChunkFileWriter writer(file.get());
    EXPECT_EQ(writer.Write(chunk.data(), chunk.size()), 0);
    EXPECT_EQ(writer.Finish(), ENOSPC);
}

}  // namespace
