#include "DeletionMatch.h"

#include "DropwellFileNames.h"
#include "JobPaths.h"

namespace {

bool IsJobEntry(const DROPWELL::stJobDetails& job, const wxString& folder, const wxString& directory,
                const wxString& fileName) {
    if (directory == folder) {
        return JobPaths::IsPaged(job) ? fileName == job.fileName
                                      : fileName == DropwellFileNames::FileName(job.fileName, job.format);
    }
    if (!JobPaths::IsPaged(job) || directory != folder + "/" + job.fileName) return false;
    for (int page = 1; page <= job.pages; ++page) {
        if (fileName == JobPaths::PageFileName(job, page)) return true;
    }
    return false;
}

}  // namespace

std::optional<DeletedJob> FindDeletedJob(const std::vector<DROPWELL::stServerFolderMapDetails>& servers,
                                         const DROPWELL::JobsDatabase& jobs, const wxString& directory,
                                         const wxString& fileName) {
    if (fileName.empty() || fileName.StartsWith(".")) return std::nullopt;
    const wxString dir = JobPaths::WithoutTrailingSeparator(directory);
    for (const auto& server : servers) {
        const auto serverJobs = jobs.find(server.NameIP);
        if (serverJobs == jobs.end()) continue;
        for (const auto& [mailboxId, mapping] : server.MappedFolders) {
            const auto mailboxJobs = serverJobs->second.find(mailboxId);
            if (mailboxJobs == serverJobs->second.end()) continue;
            const wxString folder = JobPaths::WithoutTrailingSeparator(mapping.Folder);
            for (const auto& [jobId, job] : mailboxJobs->second) {
                if (IsJobEntry(job, folder, dir, fileName)) {
                    return DeletedJob{server.NameIP, mailboxId, mapping.Password, folder, jobId, job};
                }
            }
        }
    }
    return std::nullopt;
}
