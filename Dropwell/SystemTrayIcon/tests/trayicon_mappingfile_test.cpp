// The mapping file as the agent reads it: the file the store wrote, under
// the store's lock, and still read when that lock cannot be had.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <wx/init.h>

#include "DropwellTypes.h"
#include "MappingFileReader.h"
#include "SynchronizedReadWrite.h"
#include "TestSupport.h"
#include "TrayTestSupport.h"
#include "named_mutex.h"

namespace {

void WriteThroughTheStore() {
    DROPWELL::stServerFolderMapDetails server;
    server.NameIP = "127.0.0.1";
    server.DisplayName = "Office";
    server.Status = 1;
    const char* folders[] = {"/x/Scans.2024", "/x/Invoices", "/x/Scans.2024"};
    int id = 0;
    for (const char* folder : folders) {
        DROPWELL::stFolderMapDetails detail;
        detail.MailboxName = wxString::Format("Mailbox %d", ++id);
        detail.Password = "1234";
        detail.Folder = folder;
        detail.Status = 1;
        server.MappedFolders[wxString::Format("%d", id)] = detail;
    }
    SynchronizedReadWrite::GetInstance()->Write({server});
}

// The folders the agent reads, and everything logged, from a child process.
struct Reading {
    int folders = -1;
    std::string logs;
};

Reading ReadInChild() {
    const veqtest::ChildResult result = veqtest::RunInChild([]() {
        wxInitializer toolkit;
        WriteThroughTheStore();
        MappingFileReader reader;
        std::vector<stMappedFoldersDetail> list;
        reader.GetFolderMapDetailsFromXML(list);
        const bool expected = list.size() == 2 && list[0].Folder == "/x/Scans.2024" && list[1].Folder == "/x/Invoices";
        return expected ? static_cast<int>(list.size()) : 100;
    });
    Reading reading;
    reading.folders = result.exited ? result.status : -1;
    reading.logs = traytest::LogsIn(traytest::ConfigFolder() + "Logs");
    return reading;
}

TEST(TrayMappingFile, ListsTheDistinctFoldersOfTheFileTheStoreWrote) {
    const Reading reading = ReadInChild();
    EXPECT_EQ(reading.folders, 2);
    EXPECT_EQ(reading.logs.find("could not be taken"), std::string::npos) << reading.logs;
}

// As with a semaphore of that name that another user made: it cannot be opened.
TEST(TrayMappingFile, IsReadAllTheSameWhenTheSemaphoreCannotBeOpened) {
    const std::string semaphore = "/dev/shm/sem." + named_mutex::SystemName("VEQ_XML_MUTEX").substr(1);
    ASSERT_EQ(mkdir(semaphore.c_str(), 0700), 0) << semaphore;
    const Reading reading = ReadInChild();
    rmdir(semaphore.c_str());
    EXPECT_EQ(reading.folders, 2);
    EXPECT_NE(reading.logs.find("sem_open failed for "), std::string::npos) << reading.logs;
    EXPECT_NE(reading.logs.find("<Warning> MappingFileReader.cpp::GetFolderMapDetailsFromXML::"), std::string::npos)
        << reading.logs;
    EXPECT_NE(reading.logs.find(" The mapping file's lock could not be taken whole; reading the file all the same\n"),
              std::string::npos)
        << reading.logs;
}

}  // namespace
