#include "ReadAhead.h"

#include "Connection.h"

#include "vellora.h"
#include "vellora_wire/Ops.h"

#include <cstring>

namespace vellora {

namespace {

void WriteKey(vwire::Writer& w, const DataKey& key) {
    w.Str(key.mailbox).Str(key.password).I32(key.jobId).StrList(key.names).StrList(key.values).I64(key.offset)
        .U32(key.length);
}

bool TransportFailure(int rc) {
    return rc == VELLORA_TIMEOUT || rc == VELLORA_CONNECTION_FAILED || rc == VELLORA_PROTOCOL_ERROR;
}

}  // namespace

void ReadAhead::DropLocked(Connection& connection) {
    if (m_pending) connection.Drop(m_pending);
    m_pending.reset();
    m_key.reset();
}

void ReadAhead::Clear(Connection& connection) {
    std::lock_guard<std::mutex> lock(m_mutex);
    DropLocked(connection);
}

void ReadAhead::Start(Connection& connection, const DataKey& key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    DropLocked(connection);
    DataKey next = key;
    next.offset += key.length;
    // A buffer the reader may still write into (a dropped read-ahead) is not reused.
    if (!m_buffer || m_buffer.use_count() > 1 || m_buffer->size() != key.length)
        m_buffer = std::make_shared<std::vector<char>>(key.length);
    vwire::Writer request(vwire::Kind::Request, vwire::kOpGetDataAhead, 0);
    WriteKey(request, next);
    m_pending = connection.SendData(request, m_buffer);
    if (m_pending) m_key = next;
}

bool ReadAhead::Take(Connection& connection, const DataKey& key, char* buffer, int& rc, size_t& received) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_pending || !m_key || !(*m_key == key)) {
        DropLocked(connection);
        return false;
    }
    // Reported while the chunk still travels, answered once it is logged.
    vwire::Writer notice(vwire::Kind::Request, vwire::kOpDataTaken, 0);
    WriteKey(notice, key);
    bool replied = false;
    rc = connection.AwaitData(m_pending, received, replied);
    auto pending = m_pending;
    m_pending.reset();
    m_key.reset();
    if (!replied) return TransportFailure(rc);
    if (rc != VELLORA_OK) return false;  // the controller declined, or the job changed: ask for real
    std::memcpy(buffer, m_buffer->data(), received);
    notice.I32(rc).U32(static_cast<uint32_t>(received));
    Reply reply;
    int logged = connection.Call(notice, reply);
    if (TransportFailure(logged)) {
        rc = logged;
        received = 0;
    }
    return true;
}

}  // namespace vellora
