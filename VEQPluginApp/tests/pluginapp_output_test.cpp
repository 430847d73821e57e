// Where the plug-in host writes scanned images, and what it does with images
// that cannot be written.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "PluginOutput.h"
#include "TestSupport.h"

namespace {

class MemoryImage : public veq::VEQScannedImage {
public:
    MemoryImage(veq::types::FileFormat format, int source, std::shared_ptr<std::vector<unsigned char>> data)
        : VEQScannedImage(format, static_cast<veq::VEQScannedImageSourceType>(source)), m_data(std::move(data)) {}
    std::shared_ptr<std::vector<unsigned char>> GetImageData() override { return m_data; }
    veq::VEQScannedImageSourceType GetImageSourceType() override { return m_sourceType; }

private:
    std::shared_ptr<std::vector<unsigned char>> m_data;
};

std::shared_ptr<std::vector<unsigned char>> Bytes(const std::string& text) {
    return std::make_shared<std::vector<unsigned char>>(text.begin(), text.end());
}

TEST(PluginOutput, FileNamesFollowTheSourceAndTheFormat) {
    const FormatTable formats = MakeFormatTable();
    const struct {
        int source;
        size_t number;
        veq::types::FileFormat format;
        const char* name;
    } cases[] = {
        {veq::VEQScannedImageSourceScan, 1, veq::types::pdf, "/out/Scan_image1.pdf"},
        {veq::VEQScannedImageSourceMailbox, 2, veq::types::tiff, "/out/Mailbox_image2.tiff"},
        {veq::VEQScannedImageSourceNone, 10, veq::types::jpeg, "/out/Scan_image10.jpeg"},
        {7, 3, veq::types::pdf, "/out/image3.pdf"},
        {veq::VEQScannedImageSourceScan, 1, static_cast<veq::types::FileFormat>(9), "/out/Scan_image1."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OutputFileName("/out/", c.source, c.number, ExtensionOf(formats, c.format)), c.name);
    }
}

TEST(PluginOutput, EveryImageWithDataIsWrittenAndTheOthersAreCounted) {
    veqtest::TempDir folder;
    const std::vector<std::shared_ptr<veq::VEQScannedImage>> images = {
        std::make_shared<MemoryImage>(veq::types::pdf, 1, Bytes("%PDF-one")),
        std::make_shared<MemoryImage>(veq::types::pdf, 1, nullptr),
        std::make_shared<MemoryImage>(veq::types::pdf, 1, Bytes("")),
        std::make_shared<MemoryImage>(veq::types::pdf, 1, Bytes("%PDF-four")),
    };
    const OutputReport report = WriteScannedImages(folder.Path() + "/", images, MakeFormatTable());
    EXPECT_EQ(report.m_written, 2u);
    EXPECT_EQ(report.m_failed, 2u);
    EXPECT_EQ(veqtest::ReadFile(folder / "Mailbox_image1.pdf"), "%PDF-one");
    EXPECT_FALSE(veqtest::FileExists(folder / "Mailbox_image2.pdf"));
    EXPECT_FALSE(veqtest::FileExists(folder / "Mailbox_image3.pdf"));
    EXPECT_EQ(veqtest::ReadFile(folder / "Mailbox_image4.pdf"), "%PDF-four");
}

TEST(PluginOutput, AFileThatCannotBeOpenedIsSkippedAndTheRestGoOut) {
    veqtest::TempDir folder;
    // A folder in the way of the first file.
    ASSERT_EQ(mkdir((folder / "Scan_image1.jpeg").c_str(), 0777), 0);
    const std::vector<std::shared_ptr<veq::VEQScannedImage>> images = {
        std::make_shared<MemoryImage>(veq::types::jpeg, 0, Bytes("one")),
        std::make_shared<MemoryImage>(veq::types::jpeg, 0, Bytes("two")),
    };
    const OutputReport report = WriteScannedImages(folder.Path() + "/", images, MakeFormatTable());
    EXPECT_EQ(report.m_written, 1u);
    EXPECT_EQ(report.m_failed, 1u);
    EXPECT_EQ(veqtest::ReadFile(folder / "Scan_image2.jpeg"), "two");
}

TEST(PluginOutput, AFullDiskLeavesNoPartOfAnImageAndKeepsTheOldFile) {
    veqtest::SmallDisk disk(64 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "a small file system cannot be mounted here";
    veqtest::WriteFile(disk / "Scan_image1.pdf", "old");
    const std::vector<std::shared_ptr<veq::VEQScannedImage>> images = {
        std::make_shared<MemoryImage>(veq::types::pdf, 0, Bytes(std::string(200000, 'x'))),
        std::make_shared<MemoryImage>(veq::types::pdf, 0, Bytes("small")),
    };
    const OutputReport report = WriteScannedImages(disk.Path() + "/", images, MakeFormatTable());
    EXPECT_EQ(report.m_written, 1u);
    EXPECT_EQ(report.m_failed, 1u);
    EXPECT_EQ(veqtest::ReadFile(disk / "Scan_image1.pdf"), "old");
    EXPECT_EQ(veqtest::ReadFile(disk / "Scan_image2.pdf"), "small");
    EXPECT_EQ(veqtest::FolderEntries(disk.Path()), (std::vector<std::string>{"Scan_image1.pdf", "Scan_image2.pdf"}));
}

TEST(PluginOutput, ALinkPlantedAtAnOutputNameLeavesItsTargetUntouched) {
    veqtest::TempDir folder;
    veqtest::TempDir elsewhere;
    veqtest::WriteFile(elsewhere / "victim", "precious");
    ASSERT_EQ(symlink((elsewhere / "victim").c_str(), (folder / "Mailbox_image1.jpeg").c_str()), 0);
    const std::vector<std::shared_ptr<veq::VEQScannedImage>> images = {
        std::make_shared<MemoryImage>(veq::types::jpeg, 1, Bytes("image")),
    };
    const OutputReport report = WriteScannedImages(folder.Path() + "/", images, MakeFormatTable());
    EXPECT_EQ(report.m_written, 1u);
    EXPECT_EQ(veqtest::ReadFile(elsewhere / "victim"), "precious");
    struct stat info;
    ASSERT_EQ(lstat((folder / "Mailbox_image1.jpeg").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(veqtest::ReadFile(folder / "Mailbox_image1.jpeg"), "image");
}

}  // namespace
