#include "ChunkFileWriter.h"

#include <cerrno>

ChunkFileWriter::ChunkFileWriter(std::FILE* file) : m_file(file) {}

ChunkFileWriter::~ChunkFileWriter() {
    Finish();
}

int ChunkFileWriter::Write(const char* data, std::size_t length) {
    if (Finish() != 0) {
        return m_error;
    }
    std::FILE* file = m_file;
    m_pending = std::async(std::launch::async, [file, data, length]() {
        errno = 0;
        if (std::fwrite(data, 1, length, file) != length) {
            return errno ? errno : EIO;
        }
        return 0;
    });
    return 0;
}

int ChunkFileWriter::Finish() {
    if (m_pending.valid()) {
        const int error = m_pending.get();
        if (m_error == 0) {
            m_error = error;
        }
    }
    return m_error;
}
