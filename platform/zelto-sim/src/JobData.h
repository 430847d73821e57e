// A job as the controller serves it: the content behind it, its size, its
// renditions per format and page, and the attributes a job list carries.
#pragma once

#include "Config.h"

#include "JobContent.h"

#include <memory>

namespace zeltosim {

struct Job {
    JobOptions options;    // as added, id and finish time filled in
    JobSpec spec;
    std::vector<ContentFormat> formats;
    ContentFormat defaultFormat = ContentFormat::PDF;
    uint64_t size = 0;     // the whole job in its default format
    TextPairs attributes;  // FILENAME, FILESIZE, N_PAGES, ... as served
};

// Builds a job from options whose id is set; throws std::invalid_argument for
// unknown formats or content outside what can be made.
Job MakeJob(const JobOptions& options);
JobInfo InfoOf(const Job& job);

// The rendition a data request asks for: formatText one of the job's formats,
// page 0 (the whole job) to its page count. Returns 0, SCAN_DEST_NOT_SUPPORTED
// for a format the job does not offer, or BAD_PARAM for a page that does not
// exist in that format.
int FindRendition(const Job& job, const std::string& formatText, int page,
                  std::shared_ptr<const JobDocument>& out);

}  // namespace zeltosim
