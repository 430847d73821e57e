// Every reader of the store folder's XML files on files any local user could
// leave there: nested far too deep (the toolkit frees a tree recursively), or
// with one tag too long for the parser to get through quickly. Each file
// begins with a sound part that a reader accepting it would act on, so that
// a reader that does not refuse the whole file is seen. The readers inside a
// process run in a child each, so that one crashing fails only its own case;
// the two maintenance tools run as the installer runs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <wx/filename.h>
#include <wx/init.h>

#include "../StoreTestSupport.h"
#include "MappedFolders.h"
#include "ServiceStatusFile.h"
#include "SynchronizedReadWrite.h"
#include "VEQNSUtils.h"

namespace {

using storetest::DropwellDir;
using storetest::MappingFile;
using storetest::Repeated;

struct HostileTail {
    const char* what;
    std::string text;  // placed inside the root element, after the sound part
};

std::vector<HostileTail> Tails() {
    return {
        {"200,000 elements deep", Repeated("<a>", 200000) + Repeated("</a>", 200000)},
        {"200,000 elements deep, never closed", Repeated("<a>", 200000)},
        {"deep behind quotes of both kinds", Repeated("<a x='\"' y=\"'\">", 120000)},
        {"a one-megabyte attribute", "<Zelto NameIP=\"" + std::string(1 << 20, 'x') + "\"/>"},
    };
}

const char kSoundFolder[] = "/home/staff/Scans";

// A mapping file with one sound mapping, then the hostile part.
std::string MappingDocument(const std::string& tail, const std::string& folder = kSoundFolder) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dropwell>\n"
           "  <Zelto NameIP=\"127.0.0.1\" DisplayName=\"Office\" Status=\"1\">\n"
           "    <MappedFolder Mailbox=\"Scans\" MailboxName=\"Scans\" PwdFileName=\"\" Folder=\"" +
           folder + "\" Status=\"1\"/>\n  </Zelto>\n" + tail + "\n</Dropwell>\n";
}

void MakeFolder(const std::string& path) {
    ASSERT_TRUE(wxFileName::Mkdir(wxString::FromUTF8(path), 0755, wxPATH_MKDIR_FULL)) << path;
}

// Runs body (returning 0 when its checks hold) in a child process.
void InChild(const std::function<int()>& body) {
    const veqtest::ChildResult result = veqtest::RunInChild(body, 120);
    EXPECT_TRUE(result.exited) << "ended by signal " << result.status << "\n" << result.output;
    EXPECT_EQ(result.status, 0) << result.output;
}

void RunTool(const char* name) {
    const veqtest::ChildResult result = veqtest::RunProgram({veqtest::BuildDir() + "/bin/" + name}, {}, 120);
    EXPECT_TRUE(result.exited) << name << " ended by signal " << result.status << "\n" << result.output;
    EXPECT_EQ(result.status, 0) << result.output;
}

struct Reader {
    const char* name;
    std::function<void(const std::string& tail)> check;
};

// The store's reader: the file counts as unreadable, the records held stay.
void StoreReader(const std::string& tail) {
    veqtest::WriteFile(MappingFile(), MappingDocument(tail));
    InChild([] {
        wxInitializer toolkit;
        std::vector<DROPWELL::stServerFolderMapDetails> records(1);
        records[0].NameIP = "held";
        const int result = SynchronizedReadWrite::GetInstance()->Read(records);
        storetest::SemaphoreCleanup cleanup;
        return result == 1 && records.size() == 1 && records[0].NameIP == "held" &&
                       storetest::Logged("is not read")
                   ? 0
                   : 1;
    });
}

// The tray agent's reader: no folders to list.
void TrayReader(const std::string& tail) {
    veqtest::WriteFile(MappingFile(), MappingDocument(tail));
    InChild([] {
        wxInitializer toolkit;
        std::vector<stMappedFoldersDetail> list(1);
        LoadMappedFolders(wxString::FromUTF8(MappingFile()), list);
        return list.empty() ? 0 : 1;
    });
}

// The service's status file: forbids the start when read, so a refused one
// (which allows it, as an unreadable one does) shows.
void ServiceStatusReader(const std::string& tail) {
    const std::string file = DropwellDir() + "/ServiceStatus.xml";
    veqtest::WriteFile(file, "<DropwellService><Service Status=\"0\"/>" + tail + "</DropwellService>");
    InChild([file] {
        wxInitializer toolkit;
        return ServiceStatusFile::AllowsStart(wxString::FromUTF8(file)) ? 0 : 1;
    });
}

// The migration copies the older version's mapping folder and reads the copy:
// it ends normally, and the copy reads as unreadable.
void UpgradeReader(const std::string& tail) {
    const std::string old = veqplatform::UnderRoot("/Library/Application Support/QMV/Veqora/Dropwell");
    MakeFolder(old);
    veqtest::WriteFile(old + "/VEQ_Dropwell.xml", MappingDocument(tail));
    std::remove(MappingFile().c_str());  // a current mapping file would be kept, not read
    RunTool("VEQUpgrade");
}

// The uninstaller leaves the icon of the sound part's folder as it is.
void UninstallerReader(const std::string& tail) {
    const std::string folder = veqtest::SandboxDir() + "/mapped";
    MakeFolder(folder);
    const std::string icon = veqtest::SandboxDir() + "/veq_ok.icns";
    veqtest::WriteFile(icon, "ok icon");
    ASSERT_TRUE(VEQNSUtils::FolderSetIcon(folder, icon));
    veqtest::WriteFile(MappingFile(), MappingDocument(tail, folder));
    RunTool("VEQUninstallerHelper");
    EXPECT_EQ(VEQNSUtils::GetFolderIcon(folder), icon);
}

TEST(HostileXmlReaders, EveryReaderRefusesTheWholeFile) {
    const Reader readers[] = {
        {"store", StoreReader},
        {"tray agent", TrayReader},
        {"service status", ServiceStatusReader},
        {"VEQUpgrade", UpgradeReader},
        {"VEQUninstallerHelper", UninstallerReader},
    };
    MakeFolder(DropwellDir());
    for (const HostileTail& tail : Tails()) {
        for (const Reader& reader : readers) {
            SCOPED_TRACE(std::string(reader.name) + ", " + tail.what);
            reader.check(tail.text);
        }
    }
}

// The same readers still read a sound file: the refusal is not all they do.
TEST(HostileXmlReaders, SoundFilesAreStillRead) {
    MakeFolder(DropwellDir());
    veqtest::WriteFile(MappingFile(), MappingDocument(""));
    InChild([] {
        wxInitializer toolkit;
        std::vector<DROPWELL::stServerFolderMapDetails> records;
        std::vector<stMappedFoldersDetail> list;
        const int result = SynchronizedReadWrite::GetInstance()->Read(records);
        storetest::SemaphoreCleanup cleanup;
        LoadMappedFolders(wxString::FromUTF8(MappingFile()), list);
        return result == 0 && records.size() == 1 && list.size() == 1 && list[0].Folder == kSoundFolder ? 0 : 1;
    });
    const std::string status = DropwellDir() + "/ServiceStatus.xml";
    veqtest::WriteFile(status, "<DropwellService><Service Status=\"0\"/></DropwellService>");
    InChild([status] {
        wxInitializer toolkit;
        return ServiceStatusFile::AllowsStart(wxString::FromUTF8(status)) ? 1 : 0;
    });
}

}  // namespace
