// Files written whole or not at all: the bytes go to a new temporary file
// beside the final name ("<final>.tmp-<pid>-<n>", created exclusively and
// never through a link), every write and the close (and, when asked for, a
// sync to the disk) are checked, and only then does the file take the final
// name. Until that moment an older
// file of that name stays as it was; a failed or abandoned write removes the
// temporary file.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "VEQServicesExport.h"

class VEQSERVICES_API WholeFileWriter {
public:
    // Creates the temporary file with the permission bits mode (less the
    // umask). A final name that is a folder is refused with EISDIR. With
    // syncToDisk the data reaches the disk before the rename (small files
    // whose loss in a system crash would cost more than the wait: settings).
    WholeFileWriter(const std::string& finalPath, mode_t mode, bool syncToDisk = false);
    // Removes the temporary file unless it was committed.
    ~WholeFileWriter();
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    // The open temporary file, unbuffered; null when it could not be created
    // (OpenError tells why) or after Commit and Discard.
    std::FILE* File() const { return m_file; }
    int OpenError() const { return m_openError; }
    const std::string& TemporaryPath() const { return m_temporaryPath; }

    // Writes all length bytes; 0, or the error number of the failed write.
    int Write(const void* data, std::size_t length);
    // Closes the file (synced first when asked for) and renames it over the
    // final name: 0 when it is in place, else the first error number met (the
    // temporary file is then removed and the final name left alone).
    int Commit();
    // Closes and removes the temporary file.
    void Discard();

private:
    std::string m_finalPath;
    std::string m_temporaryPath;
    std::FILE* m_file = nullptr;
    int m_openError = 0;
    bool m_syncToDisk;
};

// A name beside path for a temporary file: "<path>.tmp-<pid>-<n>", different
// at every call of every live process.
VEQSERVICES_API std::string UniqueTemporaryPath(const std::string& path);

// Removes the temporary files of path ("<path>.tmp-<pid>-...") that processes
// no longer running left behind (killed in the middle of a write). Only
// regular files are removed; links and folders of that name stay.
VEQSERVICES_API void RemoveStaleTemporaries(const std::string& path);

// Makes path hold exactly data, whole or not at all (mode as for a new
// WholeFileWriter); 0, or the first error number met.
VEQSERVICES_API int WriteFileWhole(const std::string& path, const void* data, std::size_t length,
                                   mode_t mode);
