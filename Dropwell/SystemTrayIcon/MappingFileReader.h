// The mapping file as the tray agent reads it: whole, under the store's
// machine-wide lock "VEQ_XML_MUTEX", so that it never sees a file that a
// writer has half rewritten.
#pragma once

#include <vector>

#include "MappedFolders.h"
#include "named_mutex.h"

class MappingFileReader {
public:
    MappingFileReader();

    // Replaces list with the distinct mapped folders of the mapping file.
    // When the lock cannot be taken (a semaphore of another user, say) the
    // store has logged why; the file is then read without it rather than not
    // at all, and that is logged too.
    void GetFolderMapDetailsFromXML(std::vector<stMappedFoldersDetail>& list);

private:
    named_mutex m_mutex;
};
