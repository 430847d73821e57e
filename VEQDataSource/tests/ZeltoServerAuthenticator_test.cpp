// Credential checks and the server locale, against a simulated controller.
#include <memory>

#include <gtest/gtest.h>
#include <wx/intl.h>
#include <wx/log.h>

#include "FakeScanComponent.h"
#include "LocaleComponent.h"
#include "ServerTestSupport.h"
#include "VEQDataSource.h"
#include "ZeltoServer.h"
#include "ZeltoServerAuthenticator.h"

using servertest::DemoWith;
using servertest::FakeCapability;
using servertest::ParseJson;
using servertest::SimulatedController;

namespace {

// The demo controller with engine boxes: user eve owns the box EveBox.
Json::Value EngineBoxFixture(const char* userAuthentication) {
    Json::Value fixture = DemoWith(ParseJson(R"({
        "engineBoxes": {"enabled": true, "users": [{"name": "eve", "password": "pw"}]}
    })"));
    fixture["engineBoxes"]["userAuthentication"] = userAuthentication;
    Json::Value box = ParseJson(R"({"name": "EveBox", "password": "bp", "engineUser": "eve"})");
    fixture["mailboxes"].append(box);
    return fixture;
}

class AuthenticatorTest : public ::testing::Test {
protected:
    void Connect(const Json::Value& fixture) {
        m_controller.reset(new SimulatedController(fixture));
        m_server = std::dynamic_pointer_cast<ZeltoServer>(
            VEQDataSource::Get().CreateServer("127.0.0.1"));
        ASSERT_TRUE(m_server->Connect("guest", "", false));
        m_capability = std::make_shared<FakeCapability>(true);
        m_authenticator.reset(new ZeltoServerAuthenticator(m_server.get(), m_capability));
        m_controller->Sim().ClearCalls();
    }
    size_t Calls(const char* function) { return m_controller->Sim().CallCount(function); }

    std::unique_ptr<SimulatedController> m_controller;
    std::shared_ptr<ZeltoServer> m_server;
    std::shared_ptr<FakeCapability> m_capability;
    std::unique_ptr<ZeltoServerAuthenticator> m_authenticator;
};

TEST_F(AuthenticatorTest, MailboxIdsAreLookedUpOnlyForDomainNames) {
    Connect(zeltosim::DemoFixture());
    EXPECT_EQ(m_authenticator->GetMailboxID("Accounting"), "Accounting");
    EXPECT_EQ(m_authenticator->GetMailboxID("STUDIO\\"), "STUDIO\\");
    EXPECT_EQ(Calls("AUTH_getAuthIDEx"), 0u);
    EXPECT_EQ(m_authenticator->GetMailboxID("STUDIO\\alice"), "Studio");
    EXPECT_EQ(m_authenticator->GetMailboxID("OTHER\\bob"), "OTHER\\bob");
    const std::vector<zeltosim::CallRecord> calls = m_controller->Sim().Calls("AUTH_getAuthIDEx");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].Argument("user"), "alice");
    EXPECT_EQ(calls[0].Argument("domain"), "STUDIO");
    EXPECT_EQ(calls[0].Argument("kind"), "5");
}

TEST_F(AuthenticatorTest, MailboxPasswordsAreCheckedAgainstTheMailboxList) {
    Connect(zeltosim::DemoFixture());
    EXPECT_EQ(m_authenticator->AuthenticateMilboxNamePassword("Accounting", "1234"), 0);
    EXPECT_EQ(m_authenticator->AuthenticateMilboxNamePassword("Accounting", "wrong"), 2);
    EXPECT_EQ(m_authenticator->AuthenticateMilboxNamePassword("", ""), 0);
    EXPECT_EQ(m_authenticator->AuthenticateMilboxNamePassword("Missing", ""), 2);
    // A domain name reaches the server as the mailbox id it stands for.
    EXPECT_EQ(m_authenticator->AuthenticateMilboxNamePassword("STUDIO\\alice", ""), 0);
}

TEST_F(AuthenticatorTest, EngineUsersAreRefusedWithoutEngineBoxesOrAName) {
    Connect(EngineBoxFixture("INTERNAL"));
    m_capability->m_engineBox = false;
    EXPECT_EQ(m_authenticator->AuthenticateEngineUserNamePassword("eve", "pw"), 2);
    m_capability->m_engineBox = true;
    m_capability->m_engineAuthentication = true;
    EXPECT_EQ(m_authenticator->AuthenticateEngineUserNamePassword("", "pw"), 2);
    m_capability->m_engineAuthentication = false;
    m_capability->m_accountTrack = true;
    EXPECT_EQ(m_authenticator->AuthenticateEngineUserNamePassword("", "pw"), 2);
    EXPECT_EQ(Calls("SCAN_getBoxListInEngineBox"), 0u);
}

TEST_F(AuthenticatorTest, EngineUsersLogInByTheServersKindOfLogin) {
    Connect(EngineBoxFixture("INTERNAL"));
    m_capability->m_engineBox = true;
    m_capability->m_engineAuthentication = true;
    EXPECT_EQ(m_authenticator->AuthenticateEngineUserNamePassword("eve", "pw"), 0);
    EXPECT_EQ(m_authenticator->AuthenticateEngineUserNamePassword("eve", "bad"), 2);
    m_capability->m_engineAuthentication = false;
    m_capability->m_accountTrack = true;
    EXPECT_EQ(m_authenticator->AuthenticateEngineUserNamePassword("eve", "pw"), 0);
    const std::vector<zeltosim::CallRecord> calls =
        m_controller->Sim().Calls("SCAN_getBoxListInEngineBox");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].Argument("filter"), "(none)");
    EXPECT_EQ(calls[2].Argument("filter"), "");
    EXPECT_EQ(calls[2].Argument("user"), "eve");
}

TEST_F(AuthenticatorTest, WithoutAUserLoginTheGivenCredentialsAreNotSent) {
    Connect(EngineBoxFixture("NONE"));
    m_capability->m_engineBox = true;
    EXPECT_EQ(m_authenticator->AuthenticateEngineUserNamePassword("anyone", "anything"), 0);
    const std::vector<zeltosim::CallRecord> calls =
        m_controller->Sim().Calls("SCAN_getBoxListInEngineBox");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Argument("user"), "");
    EXPECT_EQ(calls[0].Argument("password"), "");
}

TEST_F(AuthenticatorTest, EngineBoxesNeedTheirOwnersLoginAndPassword) {
    Connect(EngineBoxFixture("INTERNAL"));
    EXPECT_EQ(m_authenticator->AuthenticateMailboxNamePasswordForUser("eve", "pw", "EveBox", "bp"),
              0);
    EXPECT_EQ(m_authenticator->AuthenticateMailboxNamePasswordForUser("eve", "pw", "EveBox", "x"),
              2);
    EXPECT_EQ(m_authenticator->AuthenticateMailboxNamePasswordForUser("eve", "x", "EveBox", "bp"),
              2);
}

TEST_F(AuthenticatorTest, TheLocaleTranslatesServerKeysAndKeepsUnknownOnes) {
    Connect(zeltosim::DemoFixture());
    std::shared_ptr<LocaleComponent> locale = m_server->GetLocaleComponent();
    ASSERT_NE(locale, nullptr);
    ASSERT_NE(locale->GetLocaleSessionHandle(), nullptr);
    EXPECT_EQ(locale->GetLocalizedString("ADF"), "Document feeder");
    EXPECT_EQ(locale->GetLocalizedString("NO_SUCH_KEY"), "NO_SUCH_KEY");
}

TEST(LocaleComponent, WithoutALocaleTheSessionIsOpenedInEnglish) {
    SimulatedController controller;
    std::shared_ptr<Server> server = VEQDataSource::Get().CreateServer("127.0.0.1");
    ASSERT_TRUE(server->Connect("guest", "", false));
    const std::vector<zeltosim::CallRecord> opens = controller.Sim().Calls("LOCL_openSession");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].Argument("language"), "en_US");
    EXPECT_EQ(opens[0].Argument("encoding"), "UTF8");
}

TEST(LocaleComponent, TheSessionTakesTheApplicationsLanguage) {
    SimulatedController controller;
    wxLogNull quiet;  // the system may lack the French locale; its language still counts
    wxLocale french;
    french.Init(wxLANGUAGE_FRENCH_FRANCE, wxLOCALE_DONT_LOAD_DEFAULT);
    ASSERT_EQ(wxGetLocale(), &french);
    std::shared_ptr<Server> server = VEQDataSource::Get().CreateServer("127.0.0.1");
    ASSERT_TRUE(server->Connect("guest", "", false));
    const std::vector<zeltosim::CallRecord> opens = controller.Sim().Calls("LOCL_openSession");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].Argument("language"), "fr_FR");
}

TEST(LocaleComponent, AServerWithoutASessionAnswersEveryKeyWithItself) {
    std::shared_ptr<Server> server = VEQDataSource::Get().CreateServer("127.0.0.1");
    LocaleComponent locale(server.get());  // logged out: the session cannot open
    EXPECT_EQ(locale.GetLocaleSessionHandle(), nullptr);
    EXPECT_EQ(locale.GetLocalizedString("ADF"), "ADF");
    EXPECT_EQ(locale.GetCurrentLanguageCanonicalName(), "en_US");
}

}  // namespace
