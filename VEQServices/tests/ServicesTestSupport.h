// Helpers for the tests of the preferences, languages, formatting and desktop
// helpers: scenarios in their own process, a root folder of the test's own,
// locale checks and the toolkit's initialisation.
#pragma once

#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>
#include <time.h>

#include <functional>
#include <memory>
#include <string>

#include <wx/init.h>

#include "TestSupport.h"

namespace servicestest {

// Runs scenario in a forked child (fresh singletons and first-use caches);
// the gtest expectations it checks there fail this test through its exit code,
// with the child's output as the message.
inline void ExpectInChild(const std::function<void()>& scenario) {
    veqtest::ChildResult result = veqtest::RunInChild([&scenario] {
        scenario();
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
    EXPECT_TRUE(result.exited && result.status == 0) << result.output;
}

// A VEQ_ROOT of the test's own; scenarios that read the root run in children
// that set it, since the root is read once per process.
class OwnRoot {
public:
    const std::string& Path() const { return m_root.Path(); }
    std::string ConfigDir() const { return m_root.Path() + "/Library/Application Support/Veqora/"; }
    std::string UnderRoot(const std::string& absolutePath) const { return m_root.Path() + absolutePath; }

    void ExpectInChild(const std::function<void()>& scenario) const {
        const std::string root = m_root.Path();
        servicestest::ExpectInChild([&root, &scenario] {
            setenv("VEQ_ROOT", root.c_str(), 1);
            scenario();
        });
    }

private:
    veqtest::TempDir m_root;
};

// True when the machine has the locale (e.g. "de_DE.UTF-8").
inline bool HasLocale(const char* name) {
    locale_t locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
    if (!locale) return false;
    freelocale(locale);
    return true;
}

// Sets the process's time zone (a TZ value) for the rest of the process.
inline void UseTimeZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
}

// The toolkit, initialised once for the test program.
class WxEnvironment : public ::testing::Environment {
public:
    void SetUp() override { m_initializer = std::make_unique<wxInitializer>(); }
    void TearDown() override { m_initializer.reset(); }

private:
    std::unique_ptr<wxInitializer> m_initializer;
};

}  // namespace servicestest
