// The fixture the service's end-to-end tests share: a folder of the test's
// own for mapped folders, a simulator and a host, the host stopped (and its
// clean exit checked) at the end.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ServiceHarness.h"
#include "TestSupport.h"

namespace dwtest {

inline bool Contains(const std::vector<int>& ids, int id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

class ServiceTest : public ::testing::Test {
protected:
    // A folder below the test's own, made when missing.
    std::string Folder(const std::string& relative) {
        const std::string path = box / relative;
        ::mkdir(path.c_str(), 0755);
        return path;
    }
    std::string Details(const std::string& folder) { return FolderAndLog(folder); }
    void TearDown() override {
        if (host) {
            EXPECT_EQ(host->Stop(), 0);
        }
    }

    veqtest::TempDir box;
    std::unique_ptr<SimulatorProcess> sim;
    std::unique_ptr<HostProcess> host;
};

}  // namespace dwtest
