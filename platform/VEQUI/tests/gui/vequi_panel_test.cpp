// The panel inside a plug-in's modal dialog: unattended runs (VEQUI_AUTORUN)
// end the dialog with the code the host reads, and a forced JPEG result
// narrows the colour modes.
#include <gtest/gtest.h>

#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/timer.h>

#include "FakePlugin.h"
#include "TestSupport.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"
#include "VEQUI.h"
#include "WxTestApp.h"

namespace {

using veqfake::FakePlugin;
using ScanEvent = ScanAPIComponent::VEQScanEvent;
using SaveEvent = MailBox::JobSaveEvent;

constexpr int kGaveUp = 9999;

class PanelTest : public testing::Test {
protected:
    void SetUp() override {
        veqfake::EnsureWxApp();
        m_plugin = std::make_shared<FakePlugin>();
        VEQDataSource::Get().GetConfig()->SetCurrentServer({"127.0.0.1", "Fake Controller", "Fake C1"});
    }

    // Shows the panel in a modal dialog until it ends itself, or until check
    // (run once the panel is connected) ends it, or the test gives up.
    int RunDialog(std::shared_ptr<VEQUILaunchContext> context = nullptr,
                  std::function<void(wxDialog&)> check = nullptr) {
        wxDialog dialog(nullptr, wxID_ANY, "Veqora", wxDefaultPosition, wxSize(450, 610));
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(new VEQUI(&dialog, m_plugin, context), 1, wxEXPAND);
        dialog.SetSizer(sizer);
        wxTimer giveUp;
        giveUp.Bind(wxEVT_TIMER, [&dialog](wxTimerEvent&) { dialog.EndModal(kGaveUp); });
        giveUp.StartOnce(20000);
        wxTimer poll;
        poll.Bind(wxEVT_TIMER, [this, &dialog, &poll, check](wxTimerEvent&) {
            auto* source = wxDynamicCast(wxWindow::FindWindowByName("ScanSource", &dialog), wxChoice);
            if (check && source && source->GetCount() > 0) {
                poll.Stop();
                check(dialog);
            }
        });
        poll.Start(20);
        return dialog.ShowModal();
    }

    std::shared_ptr<FakePlugin> m_plugin;
};

TEST_F(PanelTest, UnattendedRetrievalEndsTheDialogWithOk) {
    veqtest::ScopedEnv autorun("VEQUI_AUTORUN", "mailbox:Accounting:1234:7");
    auto mailbox = m_plugin->ScanAPI()->AddMailbox("Accounting", "1234");
    mailbox->AddJob(6, "Other", 1);
    mailbox->AddJob(7, "Invoice", 2);
    m_plugin->m_duringRetrieve = [](std::shared_ptr<MailBox> box, const VEQTypes::VEQScannedJob& job) {
        auto fake = std::static_pointer_cast<veqfake::FakeMailBox>(box);
        fake->EmitSave(SaveEvent::PROGRESS, job.m_id, 50);
        fake->EmitSave(SaveEvent::COMPLETED, job.m_id, 100);
    };
    EXPECT_EQ(RunDialog(), wxID_OK);
    EXPECT_EQ(m_plugin->m_log.Calls(),
              (std::vector<std::string>{"SetServer 127.0.0.1 [worker]", "InitMailBoxRetrive 7", "OnDownloadCompleted"}));
}

TEST_F(PanelTest, UnattendedScanUsesTheScannerDefaultsAndEndsWithOk) {
    veqtest::ScopedEnv autorun("VEQUI_AUTORUN", "scan");
    auto scanAPI = m_plugin->ScanAPI();
    m_plugin->m_duringInitScan = [scanAPI]() {
        scanAPI->EmitScan(ScanEvent::PAGE_SCANNED, 41, 1, "127.0.0.1");
        scanAPI->EmitScan(ScanEvent::CREATED, 41, 1, "127.0.0.1");
    };
    m_plugin->m_duringScanCompleted = [scanAPI]() {
        scanAPI->m_defaultMailbox->EmitSave(SaveEvent::COMPLETED, 41, 100);
    };
    EXPECT_EQ(RunDialog(), wxID_OK);
    EXPECT_EQ(m_plugin->m_log.Calls(), (std::vector<std::string>{"SetServer 127.0.0.1 [worker]",
                                                                 "InitScan [worker]", "OnScanCompleted",
                                                                 "OnDownloadCompleted"}));
    EXPECT_EQ(m_plugin->m_lastScan.m_scanSource.m_value, "ADF");
    EXPECT_EQ(m_plugin->m_lastScan.m_resolution.m_value, "300");
}

TEST_F(PanelTest, FailedUnattendedRunsEndTheDialogWithAbort) {
    const struct {
        const char* autorun;
        bool connects;
        bool hasServer;
    } cases[] = {
        {"mailbox:Accounting:wrong:7", true, true},  // refused password
        {"mailbox:Accounting:1234:99", true, true},  // no such job
        {"scan", false, true},                       // login refused
        {"scan", true, false},                       // no server to connect to
        {"dance", true, true},                       // not an unattended form
        {"map:Accounting:1234:/srv/scans", true, true},  // mapping is for the main application
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.autorun);
        veqtest::ScopedEnv autorun("VEQUI_AUTORUN", c.autorun);
        m_plugin = std::make_shared<FakePlugin>();
        m_plugin->m_connects = c.connects;
        m_plugin->ScanAPI()->AddMailbox("Accounting", "1234")->AddJob(7, "Invoice", 2);
        VEQDataSource::Get().GetConfig()->SetCurrentServer(
            {c.hasServer ? "127.0.0.1" : "", wxString(), wxString()});
        EXPECT_EQ(RunDialog(), wxID_ABORT);
        EXPECT_EQ(m_plugin->m_log.Count("OnDownloadCompleted"), 0u);
    }
}

TEST_F(PanelTest, VequiServerChoosesTheControllerToConnectTo) {
    VEQDataSource::Get().GetConfig()->SetCurrentServer({"127.0.0.9", wxString(), wxString()});
    veqtest::ScopedEnv server("VEQUI_SERVER", " 127.0.0.1 ");
    veqtest::ScopedEnv autorun("VEQUI_AUTORUN", "mailbox:Accounting:1234:7");
    m_plugin->ScanAPI()->AddMailbox("Accounting", "1234")->AddJob(7, "Invoice", 2);
    m_plugin->m_duringRetrieve = [](std::shared_ptr<MailBox> box, const VEQTypes::VEQScannedJob& job) {
        std::static_pointer_cast<veqfake::FakeMailBox>(box)->EmitSave(SaveEvent::COMPLETED, job.m_id, 100);
    };
    EXPECT_EQ(RunDialog(), wxID_OK);
    EXPECT_EQ(m_plugin->m_log.Count("SetServer 127.0.0.1 [worker]"), 1u);
}

TEST_F(PanelTest, AForcedJpegResultOffersNoBlackAndWhiteMode) {
    for (bool jpeg : {false, true}) {
        SCOPED_TRACE(jpeg);
        m_plugin = std::make_shared<FakePlugin>();
        auto context = std::make_shared<ZeltoVEQUILaunchContext>();
        if (jpeg) {
            context->SetFormat({true, VEQTypes::JPEG});
        }
        std::vector<wxString> modes;
        const int code = RunDialog(context, [&modes](wxDialog& dialog) {
            auto* choice = wxDynamicCast(wxWindow::FindWindowByName("ColorMode", &dialog), wxChoice);
            for (unsigned i = 0; choice && i < choice->GetCount(); ++i) {
                modes.push_back(choice->GetString(i));
            }
            dialog.EndModal(wxID_CANCEL);
        });
        EXPECT_EQ(code, wxID_CANCEL);
        const std::vector<wxString> expected =
            jpeg ? std::vector<wxString>{"COLOR"} : std::vector<wxString>{"BLACK_WHITE", "COLOR"};
        EXPECT_EQ(modes, expected);
    }
}

TEST_F(PanelTest, ClosingTheDialogWhileARetrievalRunsCancelsItAndEndsTheDialog) {
    veqtest::ScopedEnv autorun("VEQUI_AUTORUN", "mailbox:Accounting:1234:7");
    m_plugin->ScanAPI()->AddMailbox("Accounting", "1234")->AddJob(7, "Invoice", 2);
    m_plugin->m_duringRetrieve = [](std::shared_ptr<MailBox> box, const VEQTypes::VEQScannedJob& job) {
        std::static_pointer_cast<veqfake::FakeMailBox>(box)->EmitSave(SaveEvent::PROGRESS, job.m_id, 10);
    };
    wxTimer closer;
    const int code = RunDialog(nullptr, [this, &closer](wxDialog& dialog) {
        closer.Bind(wxEVT_TIMER, [this, &dialog, &closer](wxTimerEvent&) {
            wxWindow* cancel = wxWindow::FindWindowByName("CancelOperation", &dialog);
            if (cancel && cancel->IsEnabled() && m_plugin->m_log.Count("InitMailBoxRetrive 7") > 0) {
                // the retrieval runs
                closer.Stop();
                dialog.Close();
            }
        });
        closer.Start(20);
    });
    EXPECT_EQ(code, wxID_CANCEL);
    EXPECT_EQ(m_plugin->m_log.Count("OnDownloadCompleted"), 0u);
}

}  // namespace
