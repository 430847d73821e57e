// What the tests of the mapping dialog share: a toolkit application, the
// staged folder icons, a mailbox, folders in the sandbox, the mapping file and
// running the dialog modally while a step presses its buttons.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <string>

#include <wx/dialog.h>
#include <wx/timer.h>

#include "DropwellManager.h"
#include "DropwellTypes.h"
#include "FolderChooser.h"
#include "TestSupport.h"
#include "VEQHelper.h"
#include "VEQNSUtils.h"
#include "VeqRoot.h"
#include "WxTestApp.h"

namespace mappingtest {

constexpr int kGaveUp = 9999;

inline std::string Utf8(const wxString& text) { return std::string(text.utf8_str()); }

inline std::string ResourcesDir() {
    return veqplatform::UnderRoot("/Applications/Zelto/Veqora.app/Contents/Resources/");
}
inline std::string OkIcon() { return ResourcesDir() + "veq_ok.icns"; }

inline std::string DropwellDir() {
    wxString folder;
    VEQHelper::GetPasswordFilePath(folder, true);
    return Utf8(folder);
}
inline std::string MappingFile() { return DropwellDir() + "/VEQ_Dropwell.xml"; }
inline std::string SignalFile() { return DropwellDir() + "/VEQFMWATCH_100804659.txt"; }

inline std::string IconOf(const std::string& folder) { return Utf8(VEQNSUtils::GetFolderIcon(wxString::FromUTF8(folder))); }

inline stMailBoxInfo Mailbox(const wxString& id = "Accounting", const wxString& password = "1234") {
    return stMailBoxInfo{"127.0.0.1", "Front Office", id, id, password};
}

inline DROPWELL::stFolderMapStatus Mapped(int serverStatus = 1) {
    DROPWELL::stFolderMapStatus status{};
    status.mapped = 1;
    status.mailboxStatus = 1;
    status.serverStatus = serverStatus;
    return status;
}

// The toolkit, the staged icons and a sandbox of folders for each test.
class MappingTest : public testing::Test {
protected:
    void SetUp() override {
        veqfake::EnsureWxApp();
        ::mkdir(veqplatform::UnderRoot("/Applications").c_str(), 0755);
        const std::string resources = ResourcesDir();
        for (const char* part : {"/Applications/Zelto", "/Applications/Zelto/Veqora.app",
                                 "/Applications/Zelto/Veqora.app/Contents", "/Applications/Zelto/Veqora.app/Contents/Resources"}) {
            ::mkdir(veqplatform::UnderRoot(part).c_str(), 0755);
        }
        veqtest::WriteFile(OkIcon(), "ok");
        veqtest::WriteFile(resources + "veq_warning.icns", "warning");
    }
    void TearDown() override { SetFolderChooser(nullptr); }

    // A new folder below the sandbox.
    std::string Folder(const std::string& name) {
        const std::string path = m_folders / name;
        ::mkdir(path.c_str(), 0755);
        return path;
    }

    // The next folder chooser answers folder.
    void ChooserAnswers(const std::string& folder) {
        SetFolderChooser([folder](wxWindow*, wxString& chosen) {
            chosen = wxString::FromUTF8(folder);
            return true;
        });
    }

    // Shows dialog modally; step runs inside its modal loop and presses a button.
    int RunModal(wxDialog& dialog, const std::function<void()>& step) {
        wxTimer giveUp;
        giveUp.Bind(wxEVT_TIMER, [&dialog](wxTimerEvent&) { dialog.EndModal(kGaveUp); });
        giveUp.StartOnce(20000);
        dialog.CallAfter(step);
        return dialog.ShowModal();
    }

    static void Press(wxWindow& window, int id) {
        wxCommandEvent click(wxEVT_BUTTON, id);
        click.SetEventObject(wxWindow::FindWindowById(id, &window));
        window.GetEventHandler()->ProcessEvent(click);
    }

    veqtest::TempDir m_folders;
};

}  // namespace mappingtest
