#include "DeletionHold.h"

#include <algorithm>
#include <utility>

DeletionHold::DeletionHold(std::chrono::milliseconds hold) : m_hold(hold) {}

DeletionHold::~DeletionHold() { Stop(); }

void DeletionHold::Start(Receiver receiver) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_thread.joinable()) return;
    m_receiver = std::move(receiver);
    m_stop = false;
    m_thread = std::thread(&DeletionHold::Run, this);
}

size_t DeletionHold::Stop() {
    std::thread thread;
    size_t dropped = 0;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
        dropped = m_held.size();
        m_held.clear();
        thread = std::move(m_thread);
    }
    m_wake.notify_all();
    if (thread.joinable()) thread.join();
    return dropped;
}

void DeletionHold::Hold(const wxString& folder, const wxString& fileName, const FileIdentity& identity) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_stop || !m_thread.joinable()) return;
        m_held.push_back({folder, fileName, identity, std::chrono::steady_clock::now() + m_hold});
    }
    m_wake.notify_all();
}

size_t DeletionHold::DropIn(const wxString& folder) {
    std::lock_guard<std::mutex> lock(m_lock);
    const size_t before = m_held.size();
    m_held.erase(std::remove_if(m_held.begin(), m_held.end(),
                                [&](const HeldDeletion& held) {
                                    return held.folder == folder || held.folder.StartsWith(folder + "/");
                                }),
                 m_held.end());
    return before - m_held.size();
}

bool DeletionHold::SameFolder(const wxString& folder, const FileIdentity& identity) {
    const std::optional<FileIdentity> now = FolderIdentity(folder);
    return now && now->Matches(identity);
}

void DeletionHold::Run() {
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_stop) {
        if (m_held.empty()) {
            m_wake.wait(lock);
            continue;
        }
        const auto due = m_held.front().due;
        if (std::chrono::steady_clock::now() < due) {
            m_wake.wait_until(lock, due);
            continue;
        }
        const HeldDeletion next = std::move(m_held.front());
        m_held.pop_front();
        lock.unlock();
        m_receiver(next);
        lock.lock();
    }
}
