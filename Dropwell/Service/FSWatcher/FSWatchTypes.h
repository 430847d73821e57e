// The records of the service's file-system watcher: what is watched and what changed.
// In a namespace of the service so that they never meet the widget library's own
// watcher classes of the same names.
#pragma once

#include <wx/filename.h>
#include <wx/string.h>

// The watcher's event type, exported from the service library under its plain
// name; declared for its callers, nothing reads it.
extern "C" __attribute__((visibility("default"))) const int cnEVENT_WM_FSWATCH;

namespace dwfs {

// Change types: bits of an events mask and values of a record's change type.
enum wxFSWChangeType {
    wxFSW_EVENT_CREATE = 0x01,
    wxFSW_EVENT_DELETE = 0x02,
    wxFSW_EVENT_RENAME = 0x04,
    wxFSW_EVENT_MODIFY = 0x08,
    wxFSW_EVENT_ACCESS = 0x10,
    wxFSW_EVENT_ALL = 0x7F
};

enum wxFSWPathType { wxFSWPath_File = 1, wxFSWPath_Dir = 2, wxFSWPath_Tree = 3 };

struct wxFSWatchInfo {
    wxString path;  // canonical
    int events = 0;
    int pathType = wxFSWPath_File;
};

// One change, handed straight to the receiver (not an event-loop event).
struct wxFileSystemWatcherEvent {
    int changeType = 0;
    wxFileName path;
    wxFileName newPath;
    wxString errorText;
};

}  // namespace dwfs
