// The process's access to the store's mapping file: every whole read and every
// whole rewrite runs under the machine-wide lock "VEQ_XML_MUTEX".
#pragma once

#include <memory>
#include <vector>

#include "DropwellTypes.h"

class named_mutex;
class XMLReadWrite;

class SynchronizedReadWrite {
public:
    static SynchronizedReadWrite* GetInstance();

    // Appends the mapping file's records to out; returns the reader's result.
    int Read(std::vector<DROPWELL::stServerFolderMapDetails>& out);
    // Rewrites the mapping file (and the password files) from in; 0 when saved.
    int Write(const std::vector<DROPWELL::stServerFolderMapDetails>& in);

    // The mapping file: the store's "Dropwell" folder + "/VEQ_Dropwell.xml".
    const wxString& GetFilePath() const;

    SynchronizedReadWrite(const SynchronizedReadWrite&) = delete;
    SynchronizedReadWrite& operator=(const SynchronizedReadWrite&) = delete;

private:
    SynchronizedReadWrite();
    ~SynchronizedReadWrite();

    std::unique_ptr<named_mutex> m_mutex;
    std::unique_ptr<XMLReadWrite> m_file;
};
