// Reading job data ahead: after a full chunk, the next chunk of the same
// rendition is asked for at once, so that it travels while the caller writes
// the last one away. The caller's next call then takes it; any other call drops
// it. The controller answers read-ahead only while no data fault is set, and
// each chunk taken is reported to it as the call the caller made, so that its
// call log and fault counts stay those of the caller's calls. One chunk per
// connection, so memory does not grow with the job.
#pragma once

#include <memory>
#include <mutex>
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
    // When the chunk read ahead is this call's: copies it to buffer, reports the
    // call, and returns true with rc. false: the caller makes the call itself.
    bool Take(Connection& connection, const DataKey& key, char* buffer, int& rc, size_t& received);
    // Asks for the chunk after key's (which came in full).
    void Start(Connection& connection, const DataKey& key);
    void Clear(Connection& connection);

private:
    void DropLocked(Connection& connection);

    std::mutex m_mutex;
    std::optional<DataKey> m_key;
    std::shared_ptr<PendingCall> m_pending;
    std::shared_ptr<std::vector<char>> m_buffer;
};

}  // namespace vellora
