#include "MappingFileReader.h"

#include <wx/filename.h>

#include "Logger.h"
#include "VEQHelper.h"

MappingFileReader::MappingFileReader() : m_mutex("VEQ_XML_MUTEX", 1) {}

void MappingFileReader::GetFolderMapDetailsFromXML(std::vector<stMappedFoldersDetail>& list) {
    const bool locked = m_mutex.lock();
    if (!locked) {
        VEQLOG(Warning) << "The mapping file's lock could not be taken whole; reading the file all the same";
    }
    wxString folder;
    VEQHelper::GetPasswordFilePath(folder, true);
    LoadMappedFolders(folder + wxFileName::GetPathSeparator() + "VEQ_Dropwell.xml", list);
    m_mutex.unlock();
}
