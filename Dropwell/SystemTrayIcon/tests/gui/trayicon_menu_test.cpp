// The tray agent's menu on a virtual display, read from a mapping file that
// the store wrote, opened by a left click and used from the keyboard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <wx/menu.h>
#include <wx/stockitem.h>

#include "TrayGuiSupport.h"
#include "TrayTestSupport.h"

namespace {

class TrayMenu : public testing::Test {
protected:
    void SetUp() override {
        veqfake::EnsureWxApp();
        m_system.AddProcess(50, "ZeltoFetchd");
        traygui::WriteMappings({{"Accounting", "/a/Scans.2024"},
                                {"Sales", "/a/Scans.2024"},
                                {"Legal", "/b/Scans"},
                                {"Archive", m_folder / "Exit"}});
        m_icon = std::make_unique<traygui::ObservedTrayIcon>(m_system);
        m_icon->UpdateIcon();
    }
    void TearDown() override { m_icon.reset(); }

    veqtest::TempDir m_folder;
    traytest::FakeTraySystem m_system;
    std::unique_ptr<traygui::ObservedTrayIcon> m_icon;
};

TEST_F(TrayMenu, ListsTheFixedItemsThenEachDistinctMappedFolder) {
    std::unique_ptr<wxMenu> menu(m_icon->CreatePopupMenu());
    const struct {
        int id;
        const char* label;
        wxItemKind kind;
    } expected[] = {
        {5004, "Open Veqora", wxITEM_NORMAL}, {5005, "Start at login", wxITEM_CHECK}, {5006, "Exit", wxITEM_NORMAL},
        {wxID_SEPARATOR, "", wxITEM_SEPARATOR}, {4000, "Scans", wxITEM_NORMAL},       {4001, "Scans", wxITEM_NORMAL},
        {4002, "Exit", wxITEM_NORMAL},
    };
    ASSERT_EQ(menu->GetMenuItemCount(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const wxMenuItem* item = menu->FindItemByPosition(i);
        EXPECT_EQ(item->GetKind(), expected[i].kind) << i;
        if (expected[i].kind != wxITEM_SEPARATOR) {
            EXPECT_EQ(TrayIcon::CommandId(item->GetId()), expected[i].id) << i;
            EXPECT_FALSE(wxIsStockID(item->GetId())) << "no stock shortcut beside it: " << i;
            EXPECT_EQ(item->GetItemLabelText(), expected[i].label) << i;
        }
    }
    EXPECT_TRUE(menu->FindItemByPosition(1)->IsChecked());
}

// Items are reached with the arrow keys from the top of the open menu.
TEST_F(TrayMenu, AnItemChosenInTheOpenMenuDoesItsOwnThing) {
    const struct {
        const char* what;
        int downs;
        std::vector<std::string> opened;
        bool startAtLogin;
    } cases[] = {
        {"the second of two folders titled Scans", 5, {"/b/Scans"}, true},
        {"the first of them", 4, {"/a/Scans.2024"}, true},
        {"a folder named Exit", 6, {m_folder / "Exit"}, true},
        {"Start at login", 2, {}, false},
    };
    for (const auto& c : cases) {
        m_system.opened.clear();
        m_icon->onOpen = [&]() {
            std::vector<int> keys(static_cast<size_t>(c.downs), WXK_DOWN);
            keys.push_back(WXK_RETURN);
            traygui::TypeKeys(keys);
        };
        const int openings = m_icon->openings;
        m_icon->LeftClick();
        ASSERT_EQ(m_icon->openings, openings + 1) << c.what;
        EXPECT_EQ(m_system.opened, c.opened) << c.what;
        EXPECT_EQ(m_icon->Agent().GetStartAtLoginStatus(), c.startAtLogin) << c.what;
    }
    EXPECT_TRUE(m_system.killed.empty());
    EXPECT_TRUE(m_system.started.empty());
}

TEST_F(TrayMenu, ExitInTheOpenMenuKillsThisUsersVeqoraAndEndsTheEventLoop) {
    m_system.AddProcess(60, "Veqora", getuid() + 1);
    m_system.AddProcess(61, "Veqora");
    m_icon->onOpen = []() { traygui::TypeKeys({WXK_DOWN, WXK_DOWN, WXK_DOWN, WXK_RETURN}); };
    bool timedOut = false;
    wxTimer limit;
    limit.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        timedOut = true;
        wxTheApp->ExitMainLoop();
    });
    limit.StartOnce(20000);
    wxTheApp->CallAfter([this]() { m_icon->LeftClick(); });
    wxTheApp->MainLoop();
    EXPECT_FALSE(timedOut) << "the agent's event loop went on";
    EXPECT_EQ(m_system.killed, std::vector<pid_t>{61});
    EXPECT_TRUE(m_system.opened.empty());
}

TEST_F(TrayMenu, ClosingTheMenuChoosesNothing) {
    m_icon->onOpen = []() { traygui::TypeKeys({WXK_DOWN, WXK_ESCAPE}); };
    m_icon->LeftClick();
    EXPECT_EQ(m_icon->openings, 1);
    EXPECT_TRUE(m_system.opened.empty());
    EXPECT_TRUE(m_system.started.empty());
    EXPECT_TRUE(m_icon->Agent().GetStartAtLoginStatus());
}

}  // namespace
