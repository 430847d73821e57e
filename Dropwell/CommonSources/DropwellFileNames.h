// Names on disk of the jobs that the service puts into mapped folders. A job's
// name and format come from the controller, so both are made safe before they
// become part of a path: a name is always one plain component inside the folder.
#pragma once

#include <wx/string.h>

class DropwellFileNames {
public:
    DropwellFileNames() = delete;

    // The controller's job name as a file-name stem: "/", "\", control
    // characters and NUL become "_", blanks and dots at both ends are dropped
    // (so no "..", no hidden name), and the result is cut to a length that
    // leaves room for a page suffix and an extension. "Job_<id>" when nothing
    // usable is left.
    static wxString SafeStem(const wxString& name, int jobId);

    // The controller's format text as an extension: only ASCII letters, digits,
    // "_" and "-" are kept; empty when nothing is left.
    static wxString Extension(const wxString& format);

    // Whether the format is JPEG ("JPEG" or "jpg" in any letter case), the
    // formats fetched page by page.
    static bool IsJpegFormat(const wxString& format);

    // stem + "." + extension.
    static wxString FileName(const wxString& stem, const wxString& format);

    // The file of page p inside a page folder: stem + "_" + p + "." + extension.
    static wxString PageFileName(const wxString& stem, int page, const wxString& format);

    // The hidden name under which a file is completed inside its final folder
    // before it is renamed to fileName.
    static wxString PartFileName(const wxString& fileName);
    // Whether name is such a part file name: "." + a name + ".veqpart".
    static bool IsPartFileName(const wxString& name);
};
