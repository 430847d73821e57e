// How fast the folder watcher sees a deletion: the time from unlink() of a file
// in a watched folder to its DELETE record on the read-loop thread (median and
// worst of 1,000, in a small folder and in one of 10,000 files), and the cost of
// the sorted-listing comparison that turns a change of a 10,000-file folder into
// records.
#include "DirectoryChanges.h"
#include "KqueueFileSystemWatcher.h"
#include "TestSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kDeletions = 1000;
constexpr int kLargeFolder = 10000;
constexpr double kLatencyTargetMs = 5.0;
constexpr double kCompareTargetMs = 20.0;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Touch(const std::string& path) {
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    if (fd >= 0) close(fd);
}

// Notes when the DELETE of the awaited path arrives.
class TimingWatcher : public dwfs::wxKqueueFileSystemWatcher {
public:
    void Await(const wxString& path) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_awaited = path;
        m_seen = false;
    }
    Clock::time_point WaitSeen() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(5), [this] { return m_seen; });
        return m_seen ? m_when : Clock::time_point::max();
    }
    void OnFileSystemEvent(const dwfs::wxFileSystemWatcherEvent& e) override {
        if (e.changeType != dwfs::wxFSW_EVENT_DELETE) return;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (e.path.GetFullPath() != m_awaited) return;
        m_when = Clock::now();
        m_seen = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    wxString m_awaited;
    bool m_seen = false;
    Clock::time_point m_when;
};

struct Figures {
    double median = 0, worst = 0;
    int lost = 0;
};

// Deletes kDeletions files one after the other from a watched folder that holds
// `others` further files, with the read loop running on its own thread.
Figures DeletionLatency(int others) {
    veqtest::TempDir dir;
    for (int i = 0; i < others; ++i) Touch(dir / ("other_" + std::to_string(i)));
    for (int i = 0; i < kDeletions; ++i) Touch(dir / ("victim_" + std::to_string(i)));
    TimingWatcher watcher;
    watcher.Add(wxFileName::DirName(dir.Path()));
    std::thread loop([&] { watcher.ReadEvents(); });
    std::vector<double> latencies;
    Figures figures;
    for (int i = 0; i < kDeletions; ++i) {
        const std::string victim = dir / ("victim_" + std::to_string(i));
        watcher.Await(victim);
        const auto start = Clock::now();
        unlink(victim.c_str());
        const auto seen = watcher.WaitSeen();
        if (seen == Clock::time_point::max())
            ++figures.lost;
        else
            latencies.push_back(Ms(seen - start));
    }
    watcher.StopWatch();
    loop.join();
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        figures.median = latencies[latencies.size() / 2];
        figures.worst = latencies.back();
    }
    return figures;
}

// Reading the sorted listing of a 10,000-file folder and comparing it with the
// one before a deletion: best and median of 50.
void ComparisonCost(double& best, double& median) {
    veqtest::TempDir dir;
    for (int i = 0; i < kLargeFolder; ++i) Touch(dir / ("Scan_" + std::to_string(i) + ".pdf"));
    std::vector<std::string> before, after;
    dwfs::ReadSortedNames(dir.Path(), before);
    std::vector<double> costs;
    for (int i = 0; i < 50; ++i) {
        unlink((dir / ("Scan_" + std::to_string(i) + ".pdf")).c_str());
        const auto start = Clock::now();
        dwfs::ReadSortedNames(dir.Path(), after);
        const auto changes = dwfs::CompareSortedNames(before, after);
        costs.push_back(Ms(Clock::now() - start));
        if (changes.size() != 1) std::fprintf(stderr, "expected one change, got %zu\n", changes.size());
        before.swap(after);
    }
    std::sort(costs.begin(), costs.end());
    best = costs.front();
    median = costs[costs.size() / 2];
}

const char* Verdict(bool ok) { return ok ? "ok" : "MISSED"; }

}  // namespace

int main() {
    const Figures small = DeletionLatency(0);
    const Figures large = DeletionLatency(kLargeFolder);
    double best = 0, median = 0;
    ComparisonCost(best, median);
    std::printf("unlink to DELETE record, %d deletions, read loop on its own thread:\n", kDeletions);
    std::printf("  folder of up to %5d files:  median %6.2f ms, worst %6.2f ms, lost %d (median target < %.0f ms) %s\n",
                kDeletions, small.median, small.worst, small.lost, kLatencyTargetMs,
                Verdict(small.median < kLatencyTargetMs && small.lost == 0));
    std::printf("  folder of %5d more files:   median %6.2f ms, worst %6.2f ms, lost %d\n", kLargeFolder,
                large.median, large.worst, large.lost);
    std::printf("sorted-listing comparison of a %d-file folder: median %.2f ms, best %.2f ms (target < %.0f ms) %s\n",
                kLargeFolder, median, best, kCompareTargetMs, Verdict(median < kCompareTargetMs));
    return small.lost == 0 && large.lost == 0 ? 0 : 1;
}
