// File names of saved jobs: the numbered file of each page, and job names made
// safe to use as file names inside a chosen folder.
#pragma once

#include <wx/string.h>

#include "VEQDataSourceExport.h"

class VEQDATASOURCE_API JobFileNames {
public:
    JobFileNames() = delete;

    // The file of page p next to path: folder, separator, base name, p, ".",
    // extension ("/f/Scan.jpg", 2 -> "/f/Scan2.jpg"; "/f/Scan", 2 -> "/f/Scan2.").
    static wxString PageFilePath(const wxString& path, int page);

    // A server's job name as a plain file name: every "/" and every ".." become
    // "_", so the name cannot leave the folder it is put in.
    static wxString SafeFileName(const wxString& name);
};
