// The data-source singleton: one settings object over "veq_config", saved when
// the process ends.
#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "TestSupport.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"

namespace {

TEST(VEQDataSource, IsOneObjectWithOneSettingsObject) {
    EXPECT_EQ(&VEQDataSource::Get(), &VEQDataSource::Get());
    ASSERT_NE(VEQDataSource::Get().GetConfig(), nullptr);
    EXPECT_EQ(VEQDataSource::Get().GetConfig(), VEQDataSource::Get().GetConfig());
}

TEST(VEQDataSource, TheSettingsAreSavedToVeqConfigWhenTheProcessEnds) {
    const veqtest::ChildResult child = veqtest::RunInChild([] {
        VEQDataSource::Get().GetConfig()->SetValue("remembered", "at exit", false);
        return veqtest::FileExists(configtest::SettingsPath()) ? 1 : 0;
    });
    ASSERT_TRUE(child.exited);
    ASSERT_EQ(child.status, 0) << child.output;
    const Json::Value root = configtest::SettingsDocument();
    ASSERT_TRUE(root["attributes"].isArray()) << configtest::DecipheredSettings();
    EXPECT_EQ(root["attributes"][0]["key"].asString(), "remembered");
    EXPECT_EQ(root["attributes"][0]["value"].asString(), "at exit");
    // The next process reads it back.
    EXPECT_EQ(VEQDataSource::Get().GetConfig()->GetValue("remembered"), "at exit");
}

}  // namespace
