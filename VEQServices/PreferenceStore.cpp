#include "PreferenceStore.h"

#include <sstream>

// Boost.PropertyTree still includes the old bind header; keep its placeholders
// where they were instead of printing a deprecation note on every build.
#define BOOST_BIND_GLOBAL_PLACEHOLDERS

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <wx/file.h>
#include <wx/filename.h>
#include <wx/log.h>

#include "JsonText.h"
#include "VEQServicesUtil.h"

namespace veq {

namespace {

std::string Narrow(const wxString& text) {
    return std::string(text.mb_str(wxConvLibc));
}

}  // namespace

PreferenceStore::PreferenceStore(const wxString& fileName) {
    wxFileName path = wxFileName::DirName(VEQServicesUtil::GetConfigDirectory());
    path.SetFullName(fileName);
    m_filePath = path.GetFullPath();
}

bool PreferenceStore::FileExists() const {
    return wxFileName::FileExists(m_filePath);
}

void PreferenceStore::Load() {
    wxLogNull quiet;
    try {
        // A folder or device in the file's place is no preference file.
        if (!wxFileName::FileExists(m_filePath)) return;
        wxFile file;
        if (!file.Open(m_filePath, wxFile::read)) return;
        wxString content;
        if (!file.ReadAll(&content, wxConvUTF8)) return;

        const std::string text = Narrow(content);
        // The property tree's reader recurses once per level.
        if (!JsonNestingWithin(text)) return;
        std::istringstream stream(text);
        boost::property_tree::ptree tree;
        boost::property_tree::read_json(stream, tree);
        for (const auto& member : tree) {
            m_preferences[wxString(member.first.c_str(), wxConvLibc)] =
                wxString(member.second.data().c_str(), wxConvLibc);
        }
    } catch (...) {
        // A file that cannot be read or parsed leaves the values as they were.
    }
}

void PreferenceStore::Save() const {
    boost::property_tree::ptree tree;
    for (const auto& entry : m_preferences) {
        tree.put_child(boost::property_tree::ptree::path_type(Narrow(entry.first), '.'),
                       boost::property_tree::ptree(Narrow(entry.second)));
    }
    std::ostringstream stream;
    boost::property_tree::write_json(stream, tree, true);

    wxLogNull quiet;
    wxTempFile file;
    if (!file.Open(m_filePath)) return;
    if (!file.Write(wxString(stream.str().c_str(), wxConvLibc), wxConvUTF8) || !file.Commit()) file.Discard();
}

bool PreferenceStore::Lookup(const wxString& key, wxString& value) const {
    auto found = m_preferences.find(key);
    if (found == m_preferences.end()) return false;
    value = found->second;
    return true;
}

void PreferenceStore::Store(const wxString& key, const wxString& value) {
    m_preferences[key] = value;
}

}  // namespace veq
