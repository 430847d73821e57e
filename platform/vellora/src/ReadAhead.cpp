#include "ReadAhead.h"

#include "Connection.h"

#include "vellora.h"
#include "vellora_wire/Ops.h"

#include <cstring>

namespace vellora {

namespace {

constexpr size_t kDepth = 2;  // chunks asked for ahead of the caller

bool TransportFailure(int rc) {
    return rc == VELLORA_TIMEOUT || rc == VELLORA_CONNECTION_FAILED || rc == VELLORA_PROTOCOL_ERROR;
}

DataKey After(const DataKey& key) {
    DataKey next = key;
    next.offset += key.length;
    return next;
}

}  // namespace

std::optional<ReadAhead::Chunk> ReadAhead::Ask(Connection& connection, const DataKey& key, uint32_t taken) {
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
        if (m_buffers.size() <= kDepth) m_buffers.push_back(buffer);
    }
    if (buffer->size() < key.length) buffer->resize(key.length);
    vwire::Writer request(vwire::Kind::Request, vwire::kOpGetDataAhead, 0);
    request.Str(key.mailbox).Str(key.password).I32(key.jobId).StrList(key.names).StrList(key.values)
        .I64(key.offset).U32(key.length).U32(taken);
    auto pending = connection.SendData(request, buffer, key.length);
    if (!pending) return std::nullopt;
    return Chunk{key, pending, buffer};
}

void ReadAhead::DropLocked(Connection& connection) {
    for (auto& c : m_ahead) connection.Drop(c.pending);
    m_ahead.clear();
}

void ReadAhead::Clear(Connection& connection) {
    std::lock_guard<std::mutex> lock(m_mutex);
    DropLocked(connection);
}

bool ReadAhead::Fill(Connection& connection, DataKey last, uint32_t taken) {
    bool told = taken == 0;
    while (m_ahead.size() < kDepth) {
        last = After(last);
        auto chunk = Ask(connection, last, told ? 0 : taken);
        if (!chunk) break;
        told = true;
        m_ahead.push_back(std::move(*chunk));
    }
    return told;
}

void ReadAhead::Start(Connection& connection, const DataKey& key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    DropLocked(connection);
    Fill(connection, key, 0);
}

bool ReadAhead::Take(Connection& connection, const DataKey& key, char* buffer, int& rc, size_t& received) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_ahead.empty() || !(m_ahead.front().key == key)) {
        DropLocked(connection);
        return false;
    }
    Chunk chunk = std::move(m_ahead.front());
    m_ahead.pop_front();
    uint32_t taken = Connection::IdOf(chunk.pending);
    // Ask for the next chunk, telling that this call took its chunk, before
    // waiting: the connection stays busy.
    bool told = Fill(connection, m_ahead.empty() ? key : m_ahead.back().key, taken);
    bool direct = connection.Redirect(chunk.pending, buffer);
    bool replied = false;
    rc = connection.AwaitData(chunk.pending, received, replied);
    bool whole = replied && rc == VELLORA_OK && received == key.length;
    if (!whole) DropLocked(connection);  // the end, or no chunk: nothing more to read ahead
    if (!replied) return TransportFailure(rc);
    if (rc != VELLORA_OK) return false;  // the controller declined or failed: the caller asks for real
    if (!direct) std::memcpy(buffer, chunk.buffer->data(), received);
    if (!told || !whole) {
        // Told now; at the end of the rendition the call log holds this call before it returns.
        vwire::Writer notice(vwire::Kind::Request, vwire::kOpDataTaken, 0);
        notice.U32(taken);
        Reply reply;
        int logged = connection.Call(notice, reply);
        if (TransportFailure(logged)) {
            rc = logged;
            received = 0;
        }
    }
    return true;
}

}  // namespace vellora
