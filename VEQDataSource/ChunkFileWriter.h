// Writes a file chunk by chunk on a thread of its own, so that the next chunk
// can be fetched from the controller while the one before goes to the disk.
// One chunk is in flight at a time: the caller fills the other buffer.
#pragma once

#include <cstddef>
#include <cstdio>
#include <future>

#include "VEQDataSourceExport.h"

class VEQDATASOURCE_API ChunkFileWriter {
public:
    // file stays open and owned by the caller; Finish before closing it.
    explicit ChunkFileWriter(std::FILE* file);
    ~ChunkFileWriter();
    ChunkFileWriter(const ChunkFileWriter&) = delete;
    ChunkFileWriter& operator=(const ChunkFileWriter&) = delete;

    // Waits for the chunk before and starts writing this one, whose bytes must
    // stay untouched until the next Write or Finish. Returns the first error
    // number met so far (0 while every chunk before was written whole); after
    // an error nothing more is written.
    int Write(const char* data, std::size_t length);
    // Waits for the last chunk; the first error number met, 0 if none.
    int Finish();

private:
    std::FILE* m_file;
    std::future<int> m_pending;
    int m_error = 0;
};
