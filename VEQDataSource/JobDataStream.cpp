#include "JobDataStream.h"

#include <climits>

#include "ZeltoServer.h"

JobDataStream::JobDataStream(Server* server, std::string mailboxName, std::string password,
                             int jobId, VEQTypes::FileFormat format, int page)
    : m_server(server),
      m_mailboxName(std::move(mailboxName)),
      m_password(std::move(password)),
      m_jobId(jobId),
      m_destination(ScanAttributeUtil::MakeDestinationAttributes(format, page)),
      m_offset(0) {}

int JobDataStream::ReadNext(char* buffer, int capacity, int& length) {
    length = 0;
    // The SDK takes a 32-bit offset: past it the data cannot be addressed, and
    // wrapping around would write the start of the job again.
    if (m_offset > static_cast<std::uint64_t>(INT_MAX)) {
        return VELLORA_OFFSET_OUT_OF_RANGE;
    }
    ZeltoServer* zelto = dynamic_cast<ZeltoServer*>(m_server);
    VelloraScanSession* session = zelto ? zelto->GetSessionHandle() : nullptr;
    int delivered = capacity;
    const int result = SCAN_getDataInMailbox(session, m_mailboxName.c_str(), m_password.c_str(),
                                             m_jobId, m_destination.get(),
                                             static_cast<int>(m_offset), buffer, &delivered, 0);
    ZeltoServer::NoteCallResult(m_server, result);  // a transfer that went unanswered
    if (result != 0) {
        return result;
    }
    if (delivered < 0 || delivered > capacity) {
        return VELLORA_PROTOCOL_ERROR;
    }
    length = delivered;
    m_offset += static_cast<std::uint64_t>(delivered);
    return 0;
}
