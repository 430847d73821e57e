// One client connection of the simulated controller. A reader thread answers
// requests in order; data requests go to a data thread so that other calls
// (monitor probes above all) are answered while a slow transfer runs; events go
// out through an event thread, so that whoever raises them never waits for a
// client. Malformed, oversized or truncated frames close the connection with a
// log line.
#pragma once

#include "CallLog.h"
#include "Controller.h"
#include "Faults.h"

#include "vellora_wire/Frame.h"
#include "vellora_wire/Net.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zeltosim {

struct Services {
    Controller& controller;
    Faults& faults;
    CallLog& calls;
    std::function<Json::Value(const Json::Value&)> control;
};

class Session {
public:
    Session(uint64_t id, vwire::Socket socket, std::string peer, Services& services);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void Start();
    // Closes the connection; the threads end soon after.
    void Kill(const std::string& why);
    bool Finished() const { return m_finished; }
    bool LoggedIn() const { return m_clientLoggedIn; }
    // Whether the peer has sent a control request (zelto-sim ctl and the like).
    bool IsControl() const { return m_control; }
    void Join();
    // Queues an event frame when the client subscribed to its kind.
    void Offer(uint16_t eventKind, const std::shared_ptr<const std::string>& frame);

private:
    enum class ReadResult { Frame, Closed, Bad };
    ReadResult ReadFrame(vwire::FrameHeader& header, std::string& body, std::string& why);
    ReadResult ReadFully(char* buffer, size_t size, bool frameBegun, std::string& why);
    void ReaderLoop();
    bool Answer(const vwire::FrameHeader& header, const std::string& body);
    void HandleControl(const vwire::FrameHeader& header, const std::string& body);
    bool ReadAhead(const vwire::FrameHeader& header, const std::string& body);
    bool Taken(const vwire::FrameHeader& header, const std::string& body);
    void LogTaken(uint32_t aheadId);
    void DataLoop();
    void ServeData(const vwire::FrameHeader& header, const std::string& body);
    void EventLoop();
    bool Send(const std::string& frame);
    bool SendDataReply(uint32_t id, int result);
    bool Closing() const { return m_closing; }
    void Log(const std::string& text) const;

    const uint64_t m_id;
    vwire::Socket m_socket;
    const std::string m_peer;
    Services& m_services;

    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_finished{false};
    bool m_loggedIn = false;           // reader thread only
    std::atomic<bool> m_clientLoggedIn{false};
    std::atomic<bool> m_control{false};
    std::atomic<uint32_t> m_subscriptions{0};

    std::mutex m_writeMutex;
    std::vector<char> m_dataBuffer;    // of whichever thread serves data (never both at once)

    std::mutex m_queueMutex;
    std::condition_variable m_queueWake;
    std::deque<std::pair<vwire::FrameHeader, std::string>> m_dataQueue;
    std::deque<std::shared_ptr<const std::string>> m_eventQueue;
    bool m_dataBusy = false;           // the data thread serves a chunk
    std::map<uint32_t, CallRecord> m_aheadRecords;  // chunks read ahead, by request id (reader thread)

    std::thread m_reader, m_data, m_events;
};

}  // namespace zeltosim
