// Reads one rendition of a mailbox job (a format and a page) from the server
// front to back, one SDK data call per chunk, keeping a 64-bit offset.
#pragma once

#include <cstdint>
#include <string>

#include "ScanAttributeUtil.h"
#include "VEQTypes.h"

class Server;

class JobDataStream {
public:
    // The largest chunk one call asks for.
    static constexpr int kChunkSize = 1048576;

    // Name and password in UTF-8, as the SDK takes them.
    JobDataStream(Server* server, std::string mailboxName, std::string password, int jobId,
                  VEQTypes::FileFormat format, int page);

    // Reads the next chunk into buffer (capacity bytes at most); length is the
    // count delivered, 0 at the end. Returns the SDK result; an offset beyond
    // what the SDK can address, or a reply larger than asked for, is an error.
    int ReadNext(char* buffer, int capacity, int& length);
    std::uint64_t Offset() const { return m_offset; }

private:
    Server* m_server;  // not owned
    std::string m_mailboxName;
    std::string m_password;
    int m_jobId;
    ScanAttributeUtil::ScanAttributesPtr m_destination;
    std::uint64_t m_offset;
};
