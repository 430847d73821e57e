// Reading job data ahead. A caller reads a job chunk by chunk, each call
// waiting for its chunk, which alone leaves the connection idle between chunks.
// So after a chunk that came in full the next two are asked for at once, and
// each call that takes a chunk read ahead asks for one more before it waits:
// the controller always has the next chunk to send. A chunk read ahead waits
// in the socket a moment for the call that takes it, which then gets it
// straight into its own buffer; else it lands in a buffer of the connection and
// is copied. A call for anything else drops what was read ahead. The controller
// answers read-ahead only while no data fault is set and logs a chunk read
// ahead only when a call takes it (the next request names it), so that its
// call log and fault counts stay those of the caller's own calls. At most three
// buffers per connection, kept for reuse, so memory does not grow with the job.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vellora {

class Connection;
struct PendingCall;

// What a data call asks for.
struct DataKey {
    std::string mailbox, password;
    int jobId = 0;
    std::vector<std::string> names, values;
    int64_t offset = 0;
    uint32_t length = 0;
    bool operator==(const DataKey& o) const {
        return mailbox == o.mailbox && password == o.password && jobId == o.jobId && names == o.names &&
               values == o.values && offset == o.offset && length == o.length;
    }
};

class ReadAhead {
public:
    // When the chunk read ahead is this call's: copies it to buffer and returns
    // true with its result. false: the caller makes the call itself.
    bool Take(Connection& connection, const DataKey& key, char* buffer, int& rc, size_t& received);
    // Asks for the chunk after key's (which came in full).
    void Start(Connection& connection, const DataKey& key);
    void Clear(Connection& connection);

private:
    struct Chunk {
        DataKey key;
        std::shared_ptr<PendingCall> pending;
        std::shared_ptr<std::vector<char>> buffer;
    };
    // With m_mutex held.
    // Asks for one chunk; taken, when not 0, names the read-ahead a call took.
    std::optional<Chunk> Ask(Connection& connection, const DataKey& key, uint32_t taken);
    void DropLocked(Connection& connection);
    // Asks for chunks after last until enough are on their way; false when
    // taken could not be told with them.
    bool Fill(Connection& connection, DataKey last, uint32_t taken);

    std::mutex m_mutex;
    std::deque<Chunk> m_ahead;          // the chunks asked for, in order
    std::vector<std::shared_ptr<std::vector<char>>> m_buffers;  // kept for reuse
};

}  // namespace vellora
