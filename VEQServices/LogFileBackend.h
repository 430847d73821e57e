// The back-end of the log file sink: numbered files rotated by size, opened in
// a folder other users may write into without ever following a link there.
// While a file is the current one, its process holds a shared lock on it, so
// that the pruning of another process leaves it alone.
#pragma once

#include <cstdint>
#include <string>

#include <boost/log/sinks/basic_sink_backend.hpp>

class LogFileBackend
    : public boost::log::sinks::basic_formatted_sink_backend<char, boost::log::sinks::synchronized_feeding> {
public:
    // pattern: the file names, "%5N" standing for the five-digit counter
    // (00000 first) and "%%" for "%". A file is rotated before a record would
    // bring it to rotationSize bytes; a record is never split.
    LogFileBackend(std::string pattern, std::uint64_t rotationSize);
    ~LogFileBackend();
    LogFileBackend(const LogFileBackend&) = delete;
    LogFileBackend& operator=(const LogFileBackend&) = delete;

    void consume(const boost::log::record_view& record, const string_type& line);

private:
    // Opens the file of the current counter, or of the next ones when a name
    // is taken by something this process may not write (a link, another
    // user's file, a folder). False when none could be opened.
    bool OpenCurrent();
    void Close();

    std::string m_pattern;
    std::uint64_t m_rotationSize;
    unsigned m_counter = 0;
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

// The file name of counter in pattern (see LogFileBackend).
std::string LogFileName(const std::string& pattern, unsigned counter);
