// Saving a mailbox job into files: the checks, the choice between one file
// and one file per page, and the transfer of one file in 1 MiB chunks.
#include "ZeltoServerMailBox.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <vector>

#include <wx/filename.h>
#include <wx/intl.h>

#include "ChunkFileWriter.h"
#include "JobDataStream.h"
#include "JobFileNames.h"
#include "Logger.h"
#include "SaveProgress.h"
#include "SdkText.h"
#include "WholeFile.h"
#include "ZeltoServer.h"

using sdktext::ToUTF8;

namespace {

wxString FolderAccessMessage() {
    return wxGetTranslation("Please check this folder can be accessed and that you have read/write access.");
}

wxString UnexpectedErrorMessage() {
    return wxGetTranslation("Error... Unexpected error from the Zelto server.");
}

// The folder of path exists as a folder and can be read and written.
bool IsUsableFolder(const wxString& path) {
    const wxString folder = wxFileName(path).GetPath(wxPATH_GET_VOLUME);
    if (folder.empty()) {
        return false;
    }
    const std::string narrow = ToUTF8(folder);
    struct stat info;
    return stat(narrow.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           access(narrow.c_str(), R_OK | W_OK | X_OK) == 0;
}

bool IsDocumentFormat(VEQTypes::FileFormat format) {
    return format == VEQTypes::PDF || format == VEQTypes::TIFF || format == VEQTypes::XPS;
}

}  // namespace

bool ZeltoServerMailBox::SaveScanedJobToPathFromMailBox(const wxString& path,
                                                        VEQTypes::ScanRetriveAttribute& attributes,
                                                        bool asynchronous,
                                                        MailBox::JobSavePolicy policy) {
    const wxString address = m_server ? m_server->GetIP() : wxString();
    if (!IsUsableFolder(path)) {
        VEQLOG(Debug) << address << " Invalid file path while saving job in mailbox, mailbox::"
                      << m_mailboxNameUtf8 << " Path::" << path;
        return false;
    }
    if (attributes.m_pageIndex < 0) {
        return false;
    }
    if (!IsFileFormatSupported(attributes.m_format, attributes.m_jobId)) {
        VEQLOG(Debug) << address << " File format not supported, FileFormat::"
                      << VEQTypes::ToString(attributes.m_format) << ", JobID::" << attributes.m_jobId;
        return false;
    }
    if (!IsJobInCachedMailbox(attributes.m_jobId)) {
        VEQLOG(Debug) << address << " Can't Save job, job don't exist in mailbox, MailBoxName::"
                      << m_mailboxNameUtf8 << ", JobID::" << attributes.m_jobId;
        return false;
    }
    if (!asynchronous) {
        return DoSaveScanedJobToPathFromMailBox(path, attributes, policy);
    }
    ZeltoServer* zelto = dynamic_cast<ZeltoServer*>(m_server);
    // The queued save shares the mailbox, so a logout cannot free it under the task.
    const std::shared_ptr<ZeltoServerMailBox> self = weak_from_this().lock();
    if (!zelto || !self) {
        VEQLOG(Debug) << address << " Can't queue save, mailbox is not shared, MailBoxName::"
                      << m_mailboxNameUtf8;
        return false;
    }
    const wxString target = path.Clone();
    VEQTypes::ScanRetriveAttribute request = attributes;
    return zelto->GetPool().schedule([self, target, request, policy]() mutable {
        self->DoSaveScanedJobToPathFromMailBox(target, request, policy);
    });
}

void ZeltoServerMailBox::CancelCurrentSaveJobOperation() {
    m_cancel = true;
}

bool ZeltoServerMailBox::DoSaveScanedJobToPathFromMailBox(const wxString& path,
                                                          VEQTypes::ScanRetriveAttribute& attributes,
                                                          MailBox::JobSavePolicy policy) {
    m_cancel = false;
    VEQTypes::VEQScannedJob job;
    if (!FindJob(attributes.m_jobId, job)) {
        // Taken out of the list by a refresh while the save waited in the queue.
        VEQLOG(Debug) << (m_server ? m_server->GetIP() : wxString())
                      << " Can't Save job, job don't exist in mailbox, MailBoxName::"
                      << m_mailboxNameUtf8 << ", JobID::" << attributes.m_jobId;
        EmitSaveEvent(JobSaveEvent::FAILED, attributes.m_jobId, 0, UnexpectedErrorMessage());
        return false;
    }
    if (IsDocumentFormat(attributes.m_format) && policy == SAVE_DOCUMENTS_WHOLE) {
        return SaveScanedJobToPathFromMailBox_internal(path, attributes, true);
    }
    const int pages = job.m_pageCount;
    if (pages <= 1 || attributes.m_pageIndex != 0) {
        return SaveScanedJobToPathFromMailBox_internal(path, attributes, true);
    }

    EmitSaveEvent(JobSaveEvent::STARTED, attributes.m_jobId, 0, wxString());
    int percent = 0;
    for (int page = 1; page <= pages; ++page) {
        VEQTypes::ScanRetriveAttribute pageRequest = attributes;
        pageRequest.m_pageIndex = page;
        // A page that fails ends the save: the pages after it are not asked for.
        if (!SaveScanedJobToPathFromMailBox_internal(JobFileNames::PageFilePath(path, page), pageRequest,
                                                     false)) {
            EmitSaveEvent(JobSaveEvent::FAILED, attributes.m_jobId, percent, UnexpectedErrorMessage());
            return false;
        }
        percent = SaveProgress::PagePercent(page, pages);
        EmitSaveEvent(JobSaveEvent::PROGRESS, attributes.m_jobId, percent, wxString());
        if (m_cancel) {
            EmitSaveEvent(JobSaveEvent::FAILED, attributes.m_jobId, percent, UnexpectedErrorMessage());
            return false;
        }
    }
    EmitSaveEvent(JobSaveEvent::PROGRESS, attributes.m_jobId, 100, wxString());
    EmitSaveEvent(JobSaveEvent::COMPLETED, attributes.m_jobId, 100, wxString());
    return true;
}

bool ZeltoServerMailBox::SaveScanedJobToPathFromMailBox_internal(
    const wxString& path, VEQTypes::ScanRetriveAttribute& attributes, bool emitEvents) {
    const int jobId = attributes.m_jobId;
    const wxString address = m_server ? m_server->GetIP() : wxString();
    auto emit = [&](int kind, int percent, const wxString& message) {
        if (emitEvents) {
            EmitSaveEvent(kind, jobId, percent, message);
        }
    };
    emit(JobSaveEvent::STARTED, 0, wxString());

    JobDataStream stream(m_server, m_mailboxNameUtf8, m_passwordUtf8, jobId, attributes.m_format,
                         attributes.m_pageIndex);
    VEQTypes::VEQScannedJob job;
    const bool sizeKnown = FindJob(jobId, job) && job.m_size >= 1;

    // The file is made when the first data arrives, under a temporary name
    // that becomes the final one only once the last byte is on the disk.
    const std::string target = ToUTF8(path);
    RemoveStaleTemporaries(target);
    std::unique_ptr<WholeFileWriter> output;
    std::unique_ptr<ChunkFileWriter> writer;

    // Two buffers: one is written while the next chunk is fetched into the other.
    std::vector<char> buffers[2] = {std::vector<char>(JobDataStream::kChunkSize),
                                    std::vector<char>(JobDataStream::kChunkSize)};
    int current = 0;
    int percent = 0;
    int sdkResult = 0;
    int writeError = 0;
    bool complete = false;
    for (;;) {
        int length = 0;
        sdkResult = stream.ReadNext(buffers[current].data(), JobDataStream::kChunkSize, length);
        if (sdkResult != 0 || m_cancel) {
            break;
        }
        if (!output) {
            output = std::make_unique<WholeFileWriter>(target, 0666);
            if (!output->File()) {
                VEQLOG(Debug) << address << " Unable to open file to save job, FilePath::" << path
                              << ", Error::" << std::strerror(output->OpenError());
                emit(JobSaveEvent::FAILED, 0, FolderAccessMessage());
                return false;
            }
            writer = std::make_unique<ChunkFileWriter>(output->File());
            emit(JobSaveEvent::PROGRESS, 0, wxString());
        }
        if (length > 0) {
            writeError = writer->Write(buffers[current].data(), static_cast<std::size_t>(length));
            if (writeError != 0) {
                break;
            }
            current = 1 - current;
        }
        if (sizeKnown) {
            percent = SaveProgress::TransferPercent(stream.Offset(), job.m_size);
            emit(JobSaveEvent::PROGRESS, percent, wxString());
        }
        if (length == 0) {
            complete = true;
            break;
        }
    }
    if (writer && writeError == 0) {
        writeError = writer->Finish();
    }
    writer.reset();
    // Only a file whose every write, sync and close succeeded takes the final name.
    if (complete && writeError == 0) {
        writeError = output->Commit();
    }
    output.reset();

    if (complete && writeError == 0) {
        emit(JobSaveEvent::COMPLETED, percent, wxString());
        return true;
    }
    if (writeError != 0) {
        VEQLOG(Debug) << address << " Unable to write file to save job, FilePath::" << path
                      << ", Error::" << std::strerror(writeError);
        emit(JobSaveEvent::FAILED, percent, FolderAccessMessage());
        return false;
    }
    VEQLOG(Debug) << address << " Error occured while saving job from mailbox, Attributes::[FileFormat:"
                  << static_cast<int>(attributes.m_format) << ", pageIndex:" << attributes.m_pageIndex
                  << ", jobid:" << jobId << "] mailbox:" << m_mailboxNameUtf8
                  << ", Error code:" << sdkResult;
    emit(JobSaveEvent::FAILED, percent, UnexpectedErrorMessage());
    return false;
}

void ZeltoServerMailBox::EmitSaveEvent(int kind, int jobId, int percent, const wxString& message) {
    JobSaveEvent event;
    event.m_eventKind = kind;
    event.m_jobId = jobId;
    event.m_serverAddress = m_server ? m_server->GetIP() : wxString();
    event.m_percent = percent;
    event.m_message = message;
    m_jobSaveSignal(event);
}
