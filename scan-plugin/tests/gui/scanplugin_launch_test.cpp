// Launching the scan plug-in: the address checks, what is recorded in the
// settings, and where the dialog appears.
#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/timer.h>

#include "TestSupport.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"
#include "VEQPlugin.h"
#include "WxTestApp.h"
#include "ZeltoSim.h"
#include "ZeltoVEQPlugin.h"

namespace {

struct DialogSeen {
    bool shown = false;
    wxRect frame;
    std::vector<wxString> colourModes;
};

class LaunchTest : public testing::Test {
protected:
    void SetUp() override { veqfake::EnsureWxApp(); }

    // Launches and ends the dialog as soon as it is up (or, with waitForScanner,
    // once the panel lists the scanner's settings), noting what it looked like.
    int LaunchAndClose(veq::ZeltoVEQPlugin& plugin, const wxString& ip, veq::types::FileFormat format,
                       std::map<wxString, wxAny> options, DialogSeen& seen, bool waitForScanner = false) {
        options["supresserror"] = wxAny(true);
        wxTimer poll;
        poll.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            auto* dialog = wxDynamicCast(wxWindow::FindWindowByName("VEQUIPluginDialog"), wxDialog);
            if (!dialog || !dialog->IsModal()) {
                return;
            }
            auto* modes = wxDynamicCast(wxWindow::FindWindowByName("ColorMode", dialog), wxChoice);
            if (waitForScanner && (!modes || modes->GetCount() == 0)) {
                return;
            }
            poll.Stop();
            seen.shown = true;
            seen.frame = dialog->GetRect();
            for (unsigned i = 0; modes && i < modes->GetCount(); ++i) {
                seen.colourModes.push_back(modes->GetString(i));
            }
            dialog->EndModal(wxID_CANCEL);
        });
        poll.Start(20);
        return plugin.Launch(ip, format, options);
    }

    std::shared_ptr<VEQConfig> Config() { return VEQDataSource::Get().GetConfig(); }
};

TEST_F(LaunchTest, AddressesArePlainDottedQuadsAfterTrimming) {
    veq::ZeltoVEQPlugin plugin;
    const struct {
        const char* ip;
        bool valid;
    } cases[] = {
        {"127.0.0.1", true},      {" 10.0.0.5 ", true},    {"\t192.168.1.20\n", true},
        {"010.001.002.003", true}, {"255.255.255.255", true}, {"0.0.0.0", true},
        {"256.1.1.1", false},     {"1.2.3", false},        {"1.2.3.4.5", false},
        {"1.2.3.4x", false},      {"a.b.c.d", false},      {"", false},
        {"1 .2.3.4", false},      {"localhost", false},    {"1.2.3.0400", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plugin.IsIPValid(c.ip), c.valid) << "'" << c.ip << "'";
    }
}

TEST_F(LaunchTest, RefusedAddressesOpenNoDialogAndRecordNothing) {
    // Nothing listens on this port: the probe login fails.
    veqtest::ScopedEnv port("VELLORA_PORT", std::to_string(veqtest::FreeLoopbackPort()).c_str());
    for (const char* ip : {"256.1.1.1", "127.0.0.1"}) {
        SCOPED_TRACE(ip);
        veq::ZeltoVEQPlugin plugin;
        DialogSeen seen;
        EXPECT_EQ(LaunchAndClose(plugin, ip, veq::types::pdf, {}, seen), wxID_CANCEL);
        EXPECT_FALSE(seen.shown);
        EXPECT_TRUE(plugin.GetScannedImages().empty());
    }
    EXPECT_TRUE(Config()->GetCurrentServer().m_ip.empty());
    EXPECT_TRUE(Config()->GetRecentServers().empty());
}

TEST_F(LaunchTest, AnEmptyAddressOpensTheDialogAtOnceAndRecordsNothing) {
    veq::ZeltoVEQPlugin plugin;
    DialogSeen seen;
    EXPECT_EQ(LaunchAndClose(plugin, "", veq::types::tiff, {}, seen), wxID_CANCEL);
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.frame.GetSize(), wxSize(450, 610));
    EXPECT_TRUE(Config()->GetRecentServers().empty());
}

TEST_F(LaunchTest, TheDialogIsCentredOnThePointItIsGiven) {
    const wxRect screen = wxDisplay(0u).GetClientArea();
    const wxPoint screenCentre(screen.x + screen.width / 2, screen.y + screen.height / 2);
    const struct {
        const char* name;
        wxAny pos;
        wxPoint centre;
    } cases[] = {
        {"a point", wxAny(wxPoint(400, 500)), wxPoint(400, 500)},
        {"the default point", wxAny(wxDefaultPosition), screenCentre},
        {"not a point", wxAny(wxString("400,500")), screenCentre},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        veq::ZeltoVEQPlugin plugin;
        DialogSeen seen;
        LaunchAndClose(plugin, "", veq::types::pdf, {{"pos", c.pos}}, seen);
        ASSERT_TRUE(seen.shown);
        const wxPoint centre(seen.frame.x + seen.frame.width / 2, seen.frame.y + seen.frame.height / 2);
        EXPECT_LE(std::abs(centre.x - c.centre.x), 1) << centre.x;
        EXPECT_LE(std::abs(centre.y - c.centre.y), 1) << centre.y;
    }
}

TEST_F(LaunchTest, AnAnsweringServerBecomesCurrentAndIsAddedToTheRecentListOnce) {
    zeltosim::Simulator simulator;
    simulator.Start("127.0.0.1", 0);
    veqtest::ScopedEnv port("VELLORA_PORT", std::to_string(simulator.Port()).c_str());
    for (int launch = 0; launch < 2; ++launch) {
        veq::ZeltoVEQPlugin plugin;
        DialogSeen seen;
        EXPECT_EQ(LaunchAndClose(plugin, "127.0.0.1", veq::types::pdf, {}, seen), wxID_CANCEL);
        EXPECT_TRUE(seen.shown);
        EXPECT_EQ(Config()->GetCurrentServer().m_ip, "127.0.0.1");
        EXPECT_EQ(Config()->GetCurrentServer().m_name, wxString(simulator.ServerName()));
        EXPECT_EQ(Config()->GetRecentServers().size(), 1u);
    }
}

TEST_F(LaunchTest, AJpegSessionOffersNoBlackAndWhiteScan) {
    zeltosim::Simulator simulator;
    simulator.Start("127.0.0.1", 0);
    veqtest::ScopedEnv port("VELLORA_PORT", std::to_string(simulator.Port()).c_str());
    std::map<veq::types::FileFormat, size_t> modes;
    for (veq::types::FileFormat format : {veq::types::pdf, veq::types::tiff, veq::types::jpeg}) {
        veq::ZeltoVEQPlugin plugin;
        DialogSeen seen;
        LaunchAndClose(plugin, "127.0.0.1", format, {}, seen, true);
        modes[format] = seen.colourModes.size();
    }
    EXPECT_EQ(modes[veq::types::pdf], 3u);
    EXPECT_EQ(modes[veq::types::tiff], 3u);
    EXPECT_EQ(modes[veq::types::jpeg], 2u);
}

// The dialog says what is delivered where, and its Close button ends it as
// the close box does.
TEST_F(LaunchTest, TheDialogShowsFormatAndDestinationAndClosesWithItsButton) {
    const struct {
        veq::types::FileFormat format;
        const char* destination;
        const char* shown;
    } cases[] = {
        {veq::types::tiff, "/home/staff/Scans", "Format: TIFF | Saved in: /home/staff/Scans"},
        {veq::types::pdf, nullptr, "Format: PDF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        veq::ZeltoVEQPlugin plugin;
        std::map<wxString, wxAny> options;
        if (c.destination) {
            options["savepath"] = wxAny(wxString(c.destination));
        }
        wxString shown;
        wxTimer poll;
        poll.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            auto* dialog = wxDynamicCast(wxWindow::FindWindowByName("VEQUIPluginDialog"), wxDialog);
            if (!dialog || !dialog->IsModal()) {
                return;
            }
            poll.Stop();
            for (const char* name : {"ScanFormat", "ScanDestination"}) {
                wxWindow* text = wxWindow::FindWindowByName(name, dialog);
                if (text && text->IsShown()) {
                    shown += (shown.empty() ? "" : " | ") + text->GetLabel();
                }
            }
            auto* close = wxDynamicCast(wxWindow::FindWindowByName("CloseDialog", dialog), wxButton);
            ASSERT_NE(close, nullptr);
            wxCommandEvent click(wxEVT_BUTTON, close->GetId());
            click.SetEventObject(close);
            close->ProcessWindowEvent(click);
        });
        poll.Start(20);
        EXPECT_EQ(plugin.Launch(wxString(), c.format, options), wxID_CANCEL);
        EXPECT_EQ(shown, c.shown);
    }
}

TEST_F(LaunchTest, TheFactoryMakesAndFreesPlugins) {
    veq::VEQPlugin* plugin = CreateVEQPlugin();
    ASSERT_NE(plugin, nullptr);
    EXPECT_TRUE(plugin->GetScannedImages().empty());
    FreeVEQPlugin(plugin);
    FreeVEQPlugin(nullptr);
}

}  // namespace
