// The folder-mapping service against rsync, in the same run: 1,000 jobs of about
// 1 MiB across 10 mapped mailboxes synced from empty folders by dropwell-host
// from a zelto-sim program, then the same bytes copied by rsync from an rsync
// daemon on loopback. Then the time from a file's deletion to its job's
// deletion on the controller, for 100 files deleted ten at a time (one per
// mailbox), and the host's peak memory. The service holds each deletion for
// a second before it mirrors it (a folder deleted as a whole must delete no
// job), so the targets are that hold plus the time to act on it.
#include "ServiceHarness.h"
#include "TestSupport.h"

#include <vellora.h>

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kMailboxes = 10;
constexpr int kJobsPerMailbox = 100;
constexpr int kDeletions = 100;
constexpr double kRatioTarget = 1.2;
constexpr double kHoldMs = 1000;
constexpr double kMedianTargetMs = kHoldMs + 100;
constexpr double kWorstTargetMs = 2000;
constexpr long kMemoryTargetKiB = 64 * 1024;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string MailboxName(int m) {
    return "Box" + std::to_string(m);
}

int JobId(int m, int j) {
    return 1000 + m * kJobsPerMailbox + j;
}

// Deletion events of the controller, as the SDK reports them to this process.
std::mutex g_eventsLock;
std::condition_variable g_eventsChanged;
std::map<int, Clock::time_point> g_deleted;

void OnScanEvent(VelloraScanEventEx* event) {
    if (!event || event->type != 1) return;
    std::lock_guard<std::mutex> lock(g_eventsLock);
    g_deleted.emplace(event->jobId, Clock::now());
    g_eventsChanged.notify_all();
}

long PeakKiB(pid_t pid) {
    FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    if (!f) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, f)) {
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
    }
    std::fclose(f);
    return kib;
}

bool AllArrived(const std::string& root, uint64_t expectedBytes) {
    uint64_t bytes = 0;
    for (int m = 0; m < kMailboxes; ++m) {
        const std::string folder = root + "/" + MailboxName(m);
        const auto names = veqtest::FolderEntries(folder);
        if (names.size() != kJobsPerMailbox) return false;
        for (const auto& n : names) {
            struct stat st;
            if (::stat((folder + "/" + n).c_str(), &st) != 0) return false;
            bytes += static_cast<uint64_t>(st.st_size);
        }
    }
    return bytes == expectedBytes;
}

double RsyncSeconds(const std::string& work, const std::string& source) {
    const int port = veqtest::FreeLoopbackPort();
    const std::string config = work + "/rsyncd.conf";
    veqtest::WriteFile(config, "use chroot = no\nlog file = " + work + "/rsyncd.log\npid file = " + work +
                                   "/rsyncd.pid\n[jobs]\n  path = " + source + "\n  read only = yes\n");
    dwtest::Process daemon;
    daemon.Start({"/usr/bin/rsync", "--daemon", "--no-detach", "--address=127.0.0.1", "--port=" + std::to_string(port),
                  "--config=" + config},
                 {}, work + "/rsyncd.out");
    veqtest::WaitFor([&] { return veqtest::RunProgram({"/usr/bin/rsync", "rsync://127.0.0.1:" + std::to_string(port) + "/"}, {}, 5).status == 0; });
    const std::string dest = work + "/rsync-dest";
    ::mkdir(dest.c_str(), 0755);
    const auto start = Clock::now();
    const auto r = veqtest::RunProgram({"/usr/bin/rsync", "-a", "rsync://127.0.0.1:" + std::to_string(port) + "/jobs/",
                                        dest + "/"},
                                       {}, 600);
    const double seconds = Seconds(start);
    if (!r.exited || r.status != 0) std::printf("rsync failed: %s\n", r.output.c_str());
    daemon.Signal(SIGTERM);
    int status = 0;
    daemon.Wait(std::chrono::seconds(10), status);
    return seconds;
}

std::string ExecutableBuildDir() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    std::string text(path, n > 0 ? static_cast<size_t>(n) : 0);
    return text.substr(0, text.rfind('/')) + "/..";
}

}  // namespace

int main() {
    if (!std::getenv("VEQ_BUILD_DIR")) ::setenv("VEQ_BUILD_DIR", ExecutableBuildDir().c_str(), 1);
    const std::string work = veqtest::SandboxDir() + "/dropwell-bench";
    const std::string mapped = work + "/mapped";
    ::mkdir(work.c_str(), 0755);
    ::mkdir(mapped.c_str(), 0755);

    std::vector<std::pair<std::string, std::pair<std::string, Json::Value>>> mailboxes;
    for (int m = 0; m < kMailboxes; ++m) {
        Json::Value jobs(Json::arrayValue);
        for (int j = 0; j < kJobsPerMailbox; ++j) {
            Json::Value job = dwtest::Job(JobId(m, j), "Job" + std::to_string(j), {"PDF"});
            job["width"] = 64;
            job["height"] = 64;
            job["paddingBytesPerPage"] = (1 << 20) - 4096;
            jobs.append(job);
        }
        mailboxes.push_back({MailboxName(m), {"", jobs}});
    }
    dwtest::SimulatorProcess sim(dwtest::Fixture(mailboxes));
    uint64_t expectedBytes = 0;
    for (int m = 0; m < kMailboxes; ++m) {
        const Json::Value answer = sim.Ctl({"jobs", MailboxName(m)});
        for (const auto& job : answer["jobs"]) expectedBytes += job["size"].asUInt64();
    }

    dwtest::HostProcess host(sim.Port());
    host.Start();
    std::vector<dwtest::Mapping> mappings;
    for (int m = 0; m < kMailboxes; ++m) {
        const std::string folder = mapped + "/" + MailboxName(m);
        ::mkdir(folder.c_str(), 0755);
        mappings.push_back({"127.0.0.1", MailboxName(m), "", folder});
    }
    const auto syncStart = Clock::now();
    dwtest::WriteMappings(mappings);
    if (!veqtest::WaitFor([&] { return AllArrived(mapped, expectedBytes); }, std::chrono::minutes(10),
                          std::chrono::milliseconds(20))) {
        std::printf("the service did not sync every job\n");
        return 1;
    }
    const double serviceSeconds = Seconds(syncStart);
    const double rsyncSeconds = RsyncSeconds(work, mapped);
    const double ratio = serviceSeconds / rsyncSeconds;

    // Deletion to deletion on the controller, seen through the controller's own events.
    ::setenv("VELLORA_PORT", std::to_string(sim.Port()).c_str(), 1);
    VelloraServerHandle* handle = nullptr;
    VelloraNBTicket ticket{};
    INIT_connectUTF8("127.0.0.1", "guest", "", "VeqoraBench", "", "trpc", -1, -1, 1, 1, 0, &handle, 0);
    SCAN_getEventsEx(handle, &OnScanEvent, &ticket);
    std::vector<double> latencies;
    for (int j = 0; j < kDeletions / kMailboxes; ++j) {
        std::vector<Clock::time_point> starts;
        for (int m = 0; m < kMailboxes; ++m) {
            starts.push_back(Clock::now());
            ::unlink((mapped + "/" + MailboxName(m) + "/Job" + std::to_string(j) + ".PDF").c_str());
        }
        for (int m = 0; m < kMailboxes; ++m) {
            std::unique_lock<std::mutex> lock(g_eventsLock);
            if (!g_eventsChanged.wait_for(lock, std::chrono::seconds(10),
                                          [&] { return g_deleted.count(JobId(m, j)) > 0; })) {
                latencies.push_back(10000);
                continue;
            }
            latencies.push_back(std::chrono::duration<double, std::milli>(g_deleted[JobId(m, j)] - starts[m]).count());
        }
    }
    NB_cancel_block_destroy(&ticket);
    INIT_disconnect(handle, 0);
    std::sort(latencies.begin(), latencies.end());
    const double median = (latencies[kDeletions / 2 - 1] + latencies[kDeletions / 2]) / 2;
    const double worst = latencies.back();
    const long peak = PeakKiB(host.Raw().Pid());
    const int stopped = host.Stop();

    std::printf("jobs: %d in %d mailboxes, %.1f MiB\n", kMailboxes * kJobsPerMailbox, kMailboxes,
                expectedBytes / 1048576.0);
    std::printf("service sync: %.2f s   rsync: %.2f s   ratio %.2f (target <= %.1f) %s\n", serviceSeconds,
                rsyncSeconds, ratio, kRatioTarget, ratio <= kRatioTarget ? "MET" : "MISSED");
    std::printf("deletion to controller: median %.1f ms (target < %.0f) %s, worst %.1f ms (target < %.0f) %s\n",
                median, kMedianTargetMs, median < kMedianTargetMs ? "MET" : "MISSED", worst, kWorstTargetMs,
                worst < kWorstTargetMs ? "MET" : "MISSED");
    std::printf("host peak memory: %.1f MiB (target < 64) %s; host exit status %d\n", peak / 1024.0,
                peak >= 0 && peak < kMemoryTargetKiB ? "MET" : "MISSED", stopped);
    return 0;
}
