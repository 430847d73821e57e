#include "DropwellDialog.h"
#include "DropwellManager.h"
#include "DropwellUIEntryPoints.h"
#include "Logger.h"
#include "MailboxToFolderPanel.h"

namespace {

constexpr int kDialogId = 1002;
constexpr int kServerMapped = 1;
constexpr int kFolderWritable = 1;
constexpr int kFolderNotAccessible = 2;

// The callers are C code of another library: nothing may be thrown across to them.
template <typename Body>
int Guarded(const char* entryPoint, Body body) {
    try {
        return body();
    } catch (const std::exception& error) {
        VEQLOG(Error) << entryPoint << " failed: " << error.what();
        return 0;
    }
}

}  // namespace

int DoDropwellUI(stMailBoxInfo* mailbox, wxString* text, wxWindow* parent) {
    if (!mailbox) return 0;
    return Guarded("DoDropwellUI", [&]() {
        auto* dialog = new DropwellDialog(DropwellManager::GetInstance(), *mailbox, text ? *text : wxString(),
                                          parent, kDialogId, "Veqora");
        const int result = dialog->ShowModal();
        if (result != wxID_ABORT) dialog->Destroy();
        return result;
    });
}

int GetDropwellStatus(stMailBoxInfo* mailbox, wxString* folder) {
    if (!mailbox || !folder) return 0;
    return Guarded("GetDropwellStatus", [&]() {
        DROPWELL::stFolderMapStatus status{};
        DropwellManager::GetInstance()->GetDropwellInfo(*mailbox, *folder, status);
        return static_cast<int>(status.mapped);
    });
}

int DoDropwell(stMailBoxInfo* mailbox, wxString& folder) {
    if (!mailbox) return 0;
    return Guarded("DoDropwell", [&]() {
        // A folder maps the mailbox, no folder unmaps it; the folder's status is
        // what the mapping panel would find.
        DROPWELL::stFolderMapStatus status{};
        status.mapped = folder.empty() ? 0 : 1;
        status.mailboxStatus = folder.empty()                                  ? 0
                               : MailboxToFolderPanel::IsDirWritable(folder) ? kFolderWritable
                                                                             : kFolderNotAccessible;
        status.serverStatus = kServerMapped;
        DropwellManager::GetInstance()->DoDropwell(*mailbox, folder, status);
        return static_cast<int>(status.mapped);
    });
}
