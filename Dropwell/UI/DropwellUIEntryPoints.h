// The entry points libDropwellUI exports with unmangled names, for the main
// user interface. Each runs on the caller's user-interface thread.
//
//   int mapped = DoDropwellUI(&mailbox, &text, frame);   // the modal mapping dialog
#pragma once

#include <wx/string.h>
#include <wx/window.h>

#include "DropwellUIExport.h"

struct stMailBoxInfo;

extern "C" {

// Runs the mapping dialog for the mailbox; returns whether it is mapped (1) or not (0).
DROPWELLUI_API int DoDropwellUI(stMailBoxInfo* mailbox, wxString* text, wxWindow* parent);

// 1 when the mailbox is mapped, its folder then in folder; else 0.
DROPWELLUI_API int GetDropwellStatus(stMailBoxInfo* mailbox, wxString* folder);

// Maps the mailbox to folder (not empty), or unmaps it (empty), without a
// dialog; returns the mapped flag it stored.
DROPWELLUI_API int DoDropwell(stMailBoxInfo* mailbox, wxString& folder);

// Opens the about box and returns at once; it closes on a click or a key.
DROPWELLUI_API void ShowVEQAboutScreen(wxWindow* parent);

}  // extern "C"
