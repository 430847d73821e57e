#include "SynchronizedReadWrite.h"

#include "VEQHelper.h"
#include "XMLReadWrite.h"
#include "named_mutex.h"

namespace {

// Holds the lock for one whole read or rewrite.
class LockScope {
public:
    explicit LockScope(named_mutex& mutex) : m_mutex(mutex) { m_mutex.lock(); }
    ~LockScope() { m_mutex.unlock(); }
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;

private:
    named_mutex& m_mutex;
};

}  // namespace

SynchronizedReadWrite* SynchronizedReadWrite::GetInstance() {
    static SynchronizedReadWrite instance;
    return &instance;
}

SynchronizedReadWrite::SynchronizedReadWrite() {
    m_mutex.reset(new named_mutex("VEQ_XML_MUTEX", 1));
    wxString folder;
    VEQHelper::GetPasswordFilePath(folder, true);
    m_file.reset(new XMLReadWrite(folder + "/" + "VEQ_Dropwell.xml"));
}

SynchronizedReadWrite::~SynchronizedReadWrite() = default;

int SynchronizedReadWrite::Read(std::vector<DROPWELL::stServerFolderMapDetails>& out) {
    LockScope scope(*m_mutex);
    return m_file->Read(out);
}

int SynchronizedReadWrite::Write(const std::vector<DROPWELL::stServerFolderMapDetails>& in) {
    LockScope scope(*m_mutex);
    return m_file->Write(in);
}

const wxString& SynchronizedReadWrite::GetFilePath() const { return m_file->GetPath(); }
