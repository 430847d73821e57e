// The process's mapping file under the machine-wide lock.
#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "SynchronizedReadWrite.h"

using namespace storetest;

namespace {

TEST(SynchronizedReadWrite, WritesAndReadsTheStoresMappingFile) {
    SemaphoreCleanup cleanup;
    SynchronizedReadWrite* store = SynchronizedReadWrite::GetInstance();
    ASSERT_EQ(store, SynchronizedReadWrite::GetInstance());
    EXPECT_EQ(std::string(store->GetFilePath().utf8_str()), MappingFile());

    DROPWELL::stServerFolderMapDetails server = Server("127.0.0.1", "Local", 1);
    server.MappedFolders["box"] = Mapping("Box", "pw", "/f", 1);
    ASSERT_EQ(store->Write({server}), 0);
    EXPECT_TRUE(veqtest::FileExists(DropwellDir() + "/VEQ_XML_MUTEX.lock"));

    DROPWELL::ServerMappings back;
    EXPECT_EQ(store->Read(back), 0);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].MappedFolders["box"].Password, "pw");
    // The lock was given back: a second round does not wait.
    named_mutex::SetWaitTimeout(std::chrono::milliseconds(0));
    EXPECT_EQ(store->Write({}), 0);
    EXPECT_FALSE(Logged("semaphore"));
}

}  // namespace
