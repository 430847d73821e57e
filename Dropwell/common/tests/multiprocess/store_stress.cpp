// A process that uses the store the way the dialogs, the service and the tray
// agent do, for the tests that run several of them at once:
//   store-stress write ID ROUNDS      rewrite the mapping file ROUNDS times
//   store-stress read ROUNDS locked|unlocked
//                                     read it ROUNDS times and check each read
//   store-stress hold                 take the lock, print "held", wait to be killed
//   store-stress rewrite-forever      rewrite a large mapping file until killed
// A last argument "--timeout-ms=N" sets the lock's wait for the semaphore.
// Exit status 0 when every check held; otherwise the failure is printed.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "StressRecords.h"
#include "SynchronizedReadWrite.h"
#include "XMLReadWrite.h"
#include "named_mutex.h"

namespace {

int Write(const std::string& id, int rounds) {
    for (int round = 0; round < rounds; ++round) {
        if (SynchronizedReadWrite::GetInstance()->Write(stress::Version(id, round, stress::kSmall)) != 0) {
            std::printf("write %d of %s failed\n", round, id.c_str());
            return 1;
        }
    }
    return 0;
}

int Read(int rounds, bool locked) {
    int versions = 0;
    for (int round = 0; round < rounds; ++round) {
        DROPWELL::ServerMappings records;
        if (locked) {
            SynchronizedReadWrite::GetInstance()->Read(records);
        } else {
            XMLReadWrite(SynchronizedReadWrite::GetInstance()->GetFilePath()).Read(records);
        }
        const std::string problem = stress::Check(records, stress::kSmall, locked);
        if (!problem.empty()) {
            std::printf("read %d: %s\n", round, problem.c_str());
            return 1;
        }
        ++versions;
    }
    std::printf("%d reads checked\n", versions);
    return 0;
}

int Hold() {
    named_mutex mutex("VEQ_XML_MUTEX", 1);
    if (!mutex.lock()) return 1;
    std::printf("held\n");
    std::fflush(stdout);
    for (;;) pause();
}

int RewriteForever() {
    for (int round = 0;; ++round) {
        if (SynchronizedReadWrite::GetInstance()->Write(stress::Version("big", round, stress::kLarge)) != 0)
            return 1;
        if (round == 0) {
            std::printf("writing\n");
            std::fflush(stdout);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strncmp(argv[argc - 1], "--timeout-ms=", 13) == 0) {
        named_mutex::SetWaitTimeout(std::chrono::milliseconds(std::atoi(argv[argc - 1] + 13)));
        --argc;
    }
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc == 4) return Write(argv[2], std::atoi(argv[3]));
    if (command == "read" && argc == 4) return Read(std::atoi(argv[2]), std::string(argv[3]) == "locked");
    if (command == "hold" && argc == 2) return Hold();
    if (command == "rewrite-forever" && argc == 2) return RewriteForever();
    std::fprintf(stderr, "usage: store-stress write ID ROUNDS | read ROUNDS locked|unlocked | hold | "
                         "rewrite-forever [--timeout-ms=N]\n");
    return 2;
}
