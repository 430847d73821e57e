// Shows one window of libDropwellUI for screenshots (scripts/screenshots) and
// for trying the dialogs by hand, without the main application:
//
//   dropwell-ui-showcase dialog <folder> [<server status>]   the mapping dialog of
//                        mailbox "Accounting" on 127.0.0.1, mapped to folder first
//   dropwell-ui-showcase explanation                          the Full Disk Access help
//   dropwell-ui-showcase about                                the about box
//
// The emulated system version (VEQ_MACOS_VERSION) and the preferences decide
// the dialog's height and whether the privacy warning shows, as in Veqora.
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/image.h>

#include "AboutScreen.h"
#include "DropwellManager.h"
#include "DropwellTypes.h"
#include "DropwellUIEntryPoints.h"
#include "UnsupportedLocMsgDlg.h"
#include "VEQSplashScreen.h"

namespace {

class Showcase : public wxApp {
public:
    bool OnInit() override {
        wxInitAllImageHandlers();
        const wxString what = argc > 1 ? argv[1] : wxString();
        if (what == "dialog" && argc > 2) {
            CallAfter([this]() { ShowMappingDialog(); });
            return true;
        }
        if (what == "explanation") {
            CallAfter([]() {
                UnsupportedLocMsgDlg dialog(nullptr, "Desktop");
                dialog.ShowModal();
                wxTheApp->ExitMainLoop();
            });
            return true;
        }
        if (what == "about") {
            // Behind the about box, as in Veqora; closing it ends the program.
            auto* frame = new wxFrame(nullptr, wxID_ANY, "Veqora", wxDefaultPosition, wxSize(450, 610));
            frame->Show();
            VEQ::VEQSplashScreen* about = OpenAboutScreen(frame);
            about->Bind(wxEVT_DESTROY, [frame](wxWindowDestroyEvent&) { frame->Destroy(); });
            return true;
        }
        fprintf(stderr, "usage: dropwell-ui-showcase dialog <folder> [<server status>] | explanation | about\n");
        return false;
    }

private:
    void ShowMappingDialog() {
        stMailBoxInfo mailbox{"127.0.0.1", "Front Office", "Accounting", "Accounting", "1234"};
        wxString folder = argv[2];
        long serverStatus = 1;
        if (argc > 3) argv[3].ToLong(&serverStatus);
        DROPWELL::stFolderMapStatus status{};
        status.mapped = 1;
        status.mailboxStatus = 1;
        status.serverStatus = static_cast<int>(serverStatus);
        DropwellManager::GetInstance()->DoDropwell(mailbox, folder, status);
        wxString text;
        DoDropwellUI(&mailbox, &text, nullptr);
        ExitMainLoop();
    }
};

}  // namespace

wxIMPLEMENT_APP(Showcase);
