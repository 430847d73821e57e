#include "VeqRoot.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

std::string UnderRootWith(const char* root, const std::string& path) {
    auto r = veqtest::RunInChild([&] {
        veqtest::ScopedEnv env("VEQ_ROOT", root);
        printf("%s", veqplatform::UnderRoot(path).c_str());
        return 0;
    });
    return r.output;
}

TEST(VeqRoot, ResolvesAbsolutePathsUnderTheRoot) {
    struct Case { const char* root; std::string path; std::string expected; };
    const Case cases[] = {
        {"/srv/veq", "/Library/Application Support/Veqora/", "/srv/veq/Library/Application Support/Veqora/"},
        {"/srv/veq/", "/Applications/Zelto", "/srv/veq/Applications/Zelto"},
        {"/", "/Library", "/Library"},
        {nullptr, "/Library", "/Library"},
        {"", "/Library", "/Library"},
        {"/srv/veq", "relative/path", "relative/path"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnderRootWith(c.root, c.path), c.expected) << (c.root ? c.root : "(unset)");
    }
}

TEST(VeqRoot, IsReadOncePerProcess) {
    auto r = veqtest::RunInChild([] {
        setenv("VEQ_ROOT", "/first", 1);
        std::string a = veqplatform::UnderRoot("/x");
        setenv("VEQ_ROOT", "/second", 1);
        std::string b = veqplatform::UnderRoot("/x");
        return (a == "/first/x" && b == "/first/x") ? 0 : 1;
    });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0) << r.output;
}

}  // namespace
