#include "JobAttributes.h"

#include <vellora.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// An attribute list over the given pairs, alive as long as the object.
class Attributes {
public:
    explicit Attributes(std::vector<std::pair<std::string, std::string>> pairs) : m_pairs(std::move(pairs)) {
        for (auto& [key, value] : m_pairs) {
            m_names.push_back(&key[0]);
            m_values.push_back(&value[0]);
        }
        m_list = ScanAttributes{m_names.data(), m_values.data(), static_cast<long>(m_pairs.size())};
    }
    const ScanAttributes* Get() const { return &m_list; }

private:
    std::vector<std::pair<std::string, std::string>> m_pairs;
    std::vector<char*> m_names, m_values;
    ScanAttributes m_list{};
};

DROPWELL::stJobDetails Read(std::vector<std::pair<std::string, std::string>> pairs, int jobId = 5) {
    Attributes list(std::move(pairs));
    DROPWELL::stJobDetails details;
    JobAttributes::Read(list.Get(), jobId, details);
    return details;
}

TEST(JobAttributes, FormatChoice) {
    EXPECT_EQ(Read({{"IS_JPEG", " yes "}, {"DEFAULT_FORMAT", "PDF"}, {"FILE_FORMAT:1", "PDF"}}).format, "JPEG");
    EXPECT_EQ(Read({{"FILE_FORMAT:1", "TIFF"}, {"FILE_FORMAT:2", "PDF"}}).format, "PDF");
    EXPECT_EQ(Read({{"FILE_FORMAT:1", "TIFF"}, {"FILE_FORMAT:2", "XPS"}, {"DEFAULT_FORMAT", "pdf"}}).format, "TIFF");
    EXPECT_EQ(Read({{"IS_JPEG", "YES"}, {"IS_JPEG", "NO"}}).format, "JPEG");
    EXPECT_EQ(Read({{"N_FILE_FORMAT", "0"}}).format, "");
}

TEST(JobAttributes, NameAndPages) {
    const auto d = Read({{"FILENAME", "Plain"}, {"UTF8_FILENAME", "Ünïcode"}, {"N_PAGES", "3"}});
    EXPECT_EQ(d.fileName, wxString::FromUTF8("Ünïcode"));
    EXPECT_EQ(d.pages, 3);
    EXPECT_EQ(Read({{"FILENAME", "Plain"}, {"UTF8_FILENAME", ""}}).fileName, "Plain");
    EXPECT_EQ(Read({{"N_PAGES", "many"}}).pages, 0);
}

TEST(JobAttributes, NamesFromTheControllerCannotLeaveTheFolder) {
    EXPECT_EQ(Read({{"UTF8_FILENAME", "../../etc/cron.d/x"}}).fileName, "_.._etc_cron.d_x");
    EXPECT_EQ(Read({{"UTF8_FILENAME", ".."}}, 42).fileName, "Job_42");
    EXPECT_EQ(Read({}, 43).fileName, "Job_43");
}

TEST(JobAttributes, MissingKeysOrValuesAreSkipped) {
    std::string key = "FILENAME";
    char* names[] = {nullptr, &key[0]};
    char* values[] = {nullptr, nullptr};
    ScanAttributes list{names, values, 2};
    DROPWELL::stJobDetails details;
    JobAttributes::Read(&list, 9, details);
    EXPECT_EQ(details.fileName, "Job_9");
}

}  // namespace
