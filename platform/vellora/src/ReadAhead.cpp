#include "ReadAhead.h"

#include "Connection.h"

#include "vellora.h"
#include "vellora_wire/Ops.h"

#include <algorithm>
#include <cstring>

namespace vellora {

namespace {

constexpr size_t kKeptBuffers = 3;

bool TransportFailure(int rc) {
    return rc == VELLORA_TIMEOUT || rc == VELLORA_CONNECTION_FAILED || rc == VELLORA_PROTOCOL_ERROR;
}

DataKey After(const DataKey& key) {
    DataKey next = key;
    next.offset += key.length;
    return next;
}

}  // namespace

std::optional<ReadAhead::Chunk> ReadAhead::Ask(Connection& connection, const DataKey& key) {
    // A buffer is free when only this list holds it: the reader may still write
    // into the buffer of a dropped read-ahead.
    std::shared_ptr<std::vector<char>> buffer;
    for (auto& b : m_buffers)
        if (b.use_count() == 1) {
            buffer = b;
            break;
        }
    if (!buffer) {
        buffer = std::make_shared<std::vector<char>>();
        if (m_buffers.size() < kKeptBuffers) m_buffers.push_back(buffer);
    }
    if (buffer->size() < key.length) buffer->resize(key.length);
    vwire::Writer request(vwire::Kind::Request, vwire::kOpGetDataAhead, 0);
    request.Str(key.mailbox).Str(key.password).I32(key.jobId).StrList(key.names).StrList(key.values)
        .I64(key.offset).U32(key.length);
    auto pending = connection.SendData(request, buffer, key.length);
    if (!pending) return std::nullopt;
    return Chunk{key, pending, buffer};
}

void ReadAhead::DropLocked(Connection& connection) {
    if (m_next) connection.Drop(m_next->pending);
    m_next.reset();
}

void ReadAhead::Clear(Connection& connection) {
    std::lock_guard<std::mutex> lock(m_mutex);
    DropLocked(connection);
}

void ReadAhead::Start(Connection& connection, const DataKey& key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    DropLocked(connection);
    m_next = Ask(connection, After(key));
}

bool ReadAhead::Take(Connection& connection, const DataKey& key, char* buffer, int& rc, size_t& received) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_next || !(m_next->key == key)) {
        DropLocked(connection);
        return false;
    }
    Chunk chunk = std::move(*m_next);
    m_next.reset();
    // Tell the controller this call took the chunk, and ask for the one after
    // it, before waiting: the connection stays busy.
    vwire::Writer notice(vwire::Kind::Request, vwire::kOpDataTaken, 0);
    notice.U32(Connection::IdOf(chunk.pending));
    auto noticed = connection.SendRequest(notice);
    m_next = Ask(connection, After(key));
    bool replied = false;
    rc = connection.AwaitData(chunk.pending, received, replied);
    bool taken = replied && rc == VELLORA_OK;
    if (!taken || received < key.length) DropLocked(connection);  // the end, or no chunk
    if (!taken) {
        if (noticed) connection.Drop(noticed);
        return !replied && TransportFailure(rc);  // else the controller declined: the caller asks for real
    }
    std::memcpy(buffer, chunk.buffer->data(), received);
    if (!noticed) {
        rc = VELLORA_CONNECTION_FAILED;
        received = 0;
    } else if (received < key.length) {
        // The end of the rendition: the call log holds this call before it returns.
        int logged = connection.AwaitReply(noticed);
        if (TransportFailure(logged)) {
            rc = logged;
            received = 0;
        }
    } else {
        connection.Drop(noticed);
    }
    return true;
}

}  // namespace vellora
