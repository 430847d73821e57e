// A file written piece by piece in the staging folder and then placed under its
// final name in a mapped folder. Every write and the close are checked, so a
// short write or a failed close (a full disk, an I/O error) fails the file
// instead of letting a truncated copy reach the mapped folder.
#pragma once

#include <cstddef>

#include <wx/string.h>

class StagingFile {
public:
    StagingFile() = default;
    ~StagingFile();  // an unfinished file is removed
    StagingFile(const StagingFile&) = delete;
    StagingFile& operator=(const StagingFile&) = delete;

    // Creates path afresh (an existing file or link of that name is removed
    // first, and no link is followed). False with errno set on failure.
    bool Create(const wxString& path);
    // Writes all length bytes; false at the first short or failed write.
    bool Write(const char* data, std::size_t length);
    // Closes the file; false when the close or an earlier write failed.
    bool Close();
    // Removes the file (open or closed); nothing when there is none.
    void Discard();
    // Gives up the closed file (it is no longer removed here) and returns its path.
    wxString Detach();

    const wxString& Path() const { return m_path; }

private:
    wxString m_path;
    int m_fd = -1;
    bool m_failed = false;
};

// Moves the complete file at stagedPath to folder/fileName, replacing a file of
// that name. Within one file system this is one rename. Across file systems the
// bytes are copied into a hidden part file inside folder first and that is then
// renamed, so folder/fileName only ever holds a whole file. The staged file is
// gone afterwards in every case. False (with the reason in error) on failure.
bool PlaceStagedFile(const wxString& stagedPath, const wxString& folder, const wxString& fileName,
                     wxString& error);

// Like PlaceStagedFile, but a file of that name that exists already is never
// replaced: then false with taken set, and the staged file stays for another
// try. The staged file is gone after a success.
bool PlaceStagedFileAsNew(const wxString& stagedPath, const wxString& folder, const wxString& fileName,
                          bool& taken, wxString& error);

// Whether both are plain files (links are not followed) with the same bytes.
bool SameFileContents(const wxString& first, const wxString& second);

// Removes every plain file directly inside folder (what an interrupted run left
// in the staging folder); links are removed, not followed.
void ClearStagingFolder(const wxString& folder);
