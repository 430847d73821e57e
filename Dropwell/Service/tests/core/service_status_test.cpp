#include "ServiceStatusFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct StatusCase {
    const char* content;
    bool allows;
};

class ServiceStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ServiceStatusTest, OnlyAServiceElementWithAnotherStatusForbids) {
    veqtest::TempDir dir;
    veqtest::WriteFile(dir / "ServiceStatus.xml", GetParam().content);
    EXPECT_EQ(ServiceStatusFile::AllowsStart(dir / "ServiceStatus.xml"), GetParam().allows) << GetParam().content;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ServiceStatusTest,
    ::testing::Values(StatusCase{"<DropwellService><Service Status=\" 1 \"/></DropwellService>", true},
                      StatusCase{"<DropwellService><Service Status=\"0\"/></DropwellService>", false},
                      StatusCase{"<DropwellService><Service Status=\"\"/></DropwellService>", false},
                      StatusCase{"<DropwellService><Service Status=\"yes\"/></DropwellService>", false},
                      StatusCase{"<DropwellService><Service/></DropwellService>", false},
                      StatusCase{"<Any><Service Status=\"0\"/><Other/></Any>", false},
                      StatusCase{"<DropwellService/>", true},
                      StatusCase{"<DropwellService><service Status=\"0\"/></DropwellService>", true},
                      StatusCase{"<DropwellService><Other/><Service Status=\"0\"/></DropwellService>", true},
                      StatusCase{"not xml at all", true}, StatusCase{"", true}));

TEST(ServiceStatus, MissingFileAllows) {
    veqtest::TempDir dir;
    EXPECT_TRUE(ServiceStatusFile::AllowsStart(dir / "ServiceStatus.xml"));
}

}  // namespace
