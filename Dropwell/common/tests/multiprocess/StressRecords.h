// The mapping versions the store-stress processes write, and the check that a
// read found one of them whole.
#pragma once

#include <string>

#include "DropwellTypes.h"

namespace stress {

// A small version for many quick rewrites, and a large one (long folder
// names, yet every tag within what the readers accept) whose mapping file
// takes a while to write.
struct Shape {
    int baseMappings;
    int folderPadding;
};
const Shape kSmall{5, 0};
const Shape kLarge{25, 60000};

inline wxString BaseFolder(long k, const Shape& shape) {
    return wxString::Format("/n/base/%ld", k) + (shape.folderPadding ? "/" + wxString('x', shape.folderPadding) : wxString());
}

// The version of writer id at round: base mappings "base<k>" (folder
// BaseFolder, password "base-pw-<k>") that every version holds, and "<id>"
// with folder "/n/<id>/<round>" and password "pw-<id>-<round>".
inline DROPWELL::ServerMappings Version(const std::string& id, int round, const Shape& shape) {
    DROPWELL::stServerFolderMapDetails server;
    server.NameIP = "127.0.0.1";
    server.DisplayName = "Stress";
    server.Status = 1;
    for (int k = 0; k < shape.baseMappings; ++k) {
        DROPWELL::stFolderMapDetails& mapping = server.MappedFolders[wxString::Format("base%04d", k)];
        mapping.MailboxName = wxString::Format("Base %d", k);
        mapping.Folder = BaseFolder(k, shape);
        mapping.Password = wxString::Format("base-pw-%d", k);
        mapping.Status = 1;
    }
    DROPWELL::stFolderMapDetails& own = server.MappedFolders[wxString::FromUTF8(id)];
    own.MailboxName = "Writer";
    own.Folder = "/n/" + wxString::FromUTF8(id) + wxString::Format("/%d", round);
    own.Password = "pw-" + wxString::FromUTF8(id) + wxString::Format("-%d", round);
    own.Status = 1;
    return {server};
}

// Empty when records are one whole version; otherwise what is wrong. Passwords
// are checked only for a read under the lock (password files are rewritten
// beside the mapping file, so only the lock makes the two agree).
inline std::string Check(const DROPWELL::ServerMappings& records, const Shape& shape, bool withPasswords) {
    if (records.size() != 1) return "servers: " + std::to_string(records.size());
    const auto& folders = records[0].MappedFolders;
    if (folders.size() != static_cast<size_t>(shape.baseMappings) + 1)
        return "mappings: " + std::to_string(folders.size());
    for (const auto& entry : folders) {
        const wxString& id = entry.first;
        const DROPWELL::stFolderMapDetails& mapping = entry.second;
        wxString expected;
        if (id.StartsWith("base")) {
            long k = 0;
            id.Mid(4).ToLong(&k);
            if (mapping.Folder != BaseFolder(k, shape)) return "base folder " + std::string(mapping.Folder.utf8_str());
            expected = wxString::Format("base-pw-%ld", k);
        } else {
            const wxString round = mapping.Folder.AfterLast('/');
            if (mapping.Folder != "/n/" + id + "/" + round) return "own folder " + std::string(mapping.Folder.utf8_str());
            expected = "pw-" + id + "-" + round;
        }
        if (withPasswords && mapping.Password != expected)
            return "password of " + std::string(id.utf8_str()) + ": '" + std::string(mapping.Password.utf8_str()) + "'";
    }
    return std::string();
}

}  // namespace stress
