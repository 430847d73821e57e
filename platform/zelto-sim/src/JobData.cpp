#include "JobData.h"

#include "vellora.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>

namespace zeltosim {

namespace {

bool SinglePageFormat(ContentFormat f) { return f == ContentFormat::JPEG || f == ContentFormat::RAW; }

uint64_t WholeSize(const JobSpec& spec, ContentFormat format) {
    if (SinglePageFormat(format) && spec.pages > 1) {
        // A JPEG or RAW job of several pages is its pages.
        uint64_t total = 0;
        for (int p = 1; p <= spec.pages; ++p) {
            auto page = JobDocument::Make(spec, format, p);
            if (!page) throw std::invalid_argument("the job's pages cannot be made");
            total += page->Size();
        }
        return total;
    }
    auto whole = JobDocument::Make(spec, format, 0);
    if (!whole) throw std::invalid_argument("the job cannot be made in " + ContentFormatName(format));
    return whole->Size();
}

void Apply(TextPairs& attributes, const JobOptions& o) {
    for (const auto& extra : o.attributes) {
        auto it = std::find_if(attributes.begin(), attributes.end(),
                               [&](const std::pair<std::string, std::string>& a) { return a.first == extra.first; });
        if (it != attributes.end()) it->second = extra.second;
        else attributes.push_back(extra);
    }
    for (const auto& key : o.removedAttributes)
        attributes.erase(std::remove_if(attributes.begin(), attributes.end(),
                                        [&](const std::pair<std::string, std::string>& a) { return a.first == key; }),
                         attributes.end());
}

}  // namespace

Job MakeJob(const JobOptions& options) {
    Job job;
    job.options = options;
    if (job.options.finishTime == 0) job.options.finishTime = static_cast<int64_t>(std::time(nullptr));
    if (options.formats.empty()) throw std::invalid_argument("a job needs at least one format");
    for (const auto& text : options.formats) {
        ContentFormat f;
        if (!ParseContentFormat(text, f)) throw std::invalid_argument("unknown format \"" + text + "\"");
        job.formats.push_back(f);
    }
    std::string defaultText = options.defaultFormat.empty() ? options.formats.front() : options.defaultFormat;
    if (!ParseContentFormat(defaultText, job.defaultFormat) ||
        std::find(job.formats.begin(), job.formats.end(), job.defaultFormat) == job.formats.end())
        throw std::invalid_argument("the default format \"" + defaultText + "\" is not among the job's formats");
    job.options.defaultFormat = defaultText;
    job.spec.seed = options.seed ? options.seed : static_cast<uint32_t>(options.id);
    job.spec.pages = options.pages;
    job.spec.widthPx = options.widthPx;
    job.spec.heightPx = options.heightPx;
    job.spec.dpi = options.dpi;
    job.spec.color = options.color;
    job.spec.paddingBytesPerPage = options.paddingBytesPerPage;
    job.size = WholeSize(job.spec, job.defaultFormat);

    TextPairs& a = job.attributes;
    a.emplace_back("FILENAME", options.name);
    a.emplace_back("UTF8_FILENAME", options.name);
    a.emplace_back("FILESIZE", std::to_string(job.size));
    a.emplace_back("N_PAGES", std::to_string(options.pages));
    a.emplace_back("FINISH_TIME", std::to_string(job.options.finishTime));
    a.emplace_back("N_FILE_FORMAT", std::to_string(options.formats.size()));
    a.emplace_back("FILE_FORMAT", defaultText);
    for (size_t i = 0; i < options.formats.size(); ++i)
        a.emplace_back("FILE_FORMAT:" + std::to_string(i + 1), options.formats[i]);
    a.emplace_back("DEFAULT_FORMAT", defaultText);
    a.emplace_back("IS_JPEG", job.defaultFormat == ContentFormat::JPEG ? "YES" : "NO");
    Apply(a, options);
    return job;
}

JobInfo InfoOf(const Job& job) {
    JobInfo info;
    info.id = job.options.id;
    info.mailbox = job.options.mailbox;
    info.name = job.options.name;
    info.pages = job.options.pages;
    info.formats = job.options.formats;
    info.defaultFormat = job.options.defaultFormat;
    info.size = job.size;
    info.finishTime = job.options.finishTime;
    info.widthPx = job.spec.widthPx;
    info.heightPx = job.spec.heightPx;
    info.dpi = job.spec.dpi;
    return info;
}

int FindRendition(const Job& job, const std::string& formatText, int page,
                  std::shared_ptr<const JobDocument>& out) {
    ContentFormat format;
    if (!ParseContentFormat(formatText, format) ||
        std::find(job.formats.begin(), job.formats.end(), format) == job.formats.end())
        return VELLORA_SCAN_DEST_NOT_SUPPORTED;
    if (page < 0 || page > job.spec.pages) return VELLORA_BAD_PARAM;
    out = JobDocument::Make(job.spec, format, page);
    return out ? VELLORA_OK : VELLORA_BAD_PARAM;
}

}  // namespace zeltosim
