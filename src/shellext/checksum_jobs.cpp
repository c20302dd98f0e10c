#include "shellext/checksum_jobs.h"

#include "common/filled_text.h"
#include "common/message_box.h"
#include "common/system_error_text.h"
#include "common/text_table.h"
#include "job/checksum_file_lines.h"
#include "job/hashing_pass.h"
#include "job/path_strings.h"
#include "job/result_arrangement.h"
#include "job/selection_expansion.h"
#include "job/verify_pass.h"
#include "job/verify_sources.h"
#include "output/checksum_file_output.h"
#include "output/checksum_file_writer.h"
#include "output/checksum_save_dialog.h"
#include "output/clipboard_digests.h"
#include "output/output_messages.h"
#include "output/verify_result.h"
#include "shellext/copy_worker.h"

#include <new>
#include <string>

namespace lumbrix {
namespace {

// Where the selection's relative names start: the folder that holds its
// first item (a drive's root holds itself).
std::wstring HoldingFolder(const std::wstring& first)
{
    std::wstring folder = ParentPart(first);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    return folder;
}

// The selection's files, as full paths, below its folders too; with the
// digest of algorithm when there is one.
CopyRequest FilesOfSelection(const CopyRequest& request, ChecksumAlgorithm algorithm)
{
    CopyRequest files;
    files.mode = FullPathWithSubfolders;
    files.fileCount = request.fileCount;
    files.folderCount = request.folderCount;
    for (bool& flag : files.options.flags) flag = false;
    files.options[OutputJunction] = request.options[OutputJunction];
    files.options[OutputCRC32] = algorithm == ChecksumAlgorithm::Crc32;
    files.options[OutputMD5] = algorithm == ChecksumAlgorithm::Md5;
    files.options[OutputSHA1] = algorithm == ChecksumAlgorithm::Sha1;
    files.options[OutputSHA256] = algorithm == ChecksumAlgorithm::Sha256;
    files.selection = request.selection;
    return files;
}

// The selection is one checksum list: its entries are what to verify.
bool IsChecksumListSelection(const CopyRequest& request) noexcept
{
    return request.selection.Size() == 1 && request.folderCount == 0 &&
           IsChecksumListName(request.selection.First());
}

void ShowInformation(ProgressReport& report, const wchar_t* text) noexcept
{
    report.FreezeTimer();
    ShowMessage(report.BoxOwner(), text, MB_ICONINFORMATION);
}

// What the checksum file lacks, told once: folders that could not be listed
// and files that could not be read.
void TellLeftOutOfList(const CopyJob& job, ProgressReport& report) noexcept
try {
    std::wstring text;
    AppendUnread(text, job.results.unlistedFolders, job.results.firstUnlistedFolder, IDS_UNLISTED_FOLDER_IN_LIST,
                 IDS_UNLISTED_FOLDERS_IN_LIST);
    AppendUnread(text, job.checksum.unlistedFiles, job.checksum.firstUnlistedFile, IDS_UNREAD_FILE,
                 IDS_UNREAD_FILES);
    if (!text.empty()) ShowMessage(report.BoxOwner(), text.c_str(), MB_ICONINFORMATION);
} catch (const std::bad_alloc&) {
    ShowMessage(report.BoxOwner(), Text(IDS_OUT_OF_MEMORY), MB_ICONERROR);
}

void ShowOutOfMemory(ProgressReport& report) noexcept
{
    report.FreezeTimer();
    ShowMessage(report.BoxOwner(), Text(IDS_OUT_OF_MEMORY), MB_ICONERROR);
}

// The entries to verify from the checksum file selected; a CopyJobExit, or
// CopyJobDone to go on.
DWORD ReadEntriesFromList(CopyJob& job)
{
    ProgressReport& report = job.progress;
    const std::wstring& list = job.request.selection.First();
    ListFileCounts counts;
    switch (ReadVerifyList(list, job.checksum.store, report, counts)) {
    case ListFileOutcome::Cancelled:
        return CopyJobCancelled;
    case ListFileOutcome::Failed: {
        const DWORD error = ::GetLastError();
        if (error == ERROR_NOT_ENOUGH_MEMORY) throw std::bad_alloc();
        report.FreezeTimer();
        const std::wstring text = FilledText(IDS_CHECKSUM_FILE_NOT_READ, L"%ls", list.c_str()) + SystemErrorText(error);
        ShowMessage(report.BoxOwner(), text.c_str(), MB_ICONERROR);
        return CopyJobNoOutput;
    }
    case ListFileOutcome::Read:
        break;
    }
    if (counts.entries == 0) {
        ShowInformation(report, Text(IDS_NO_DIGEST_IN_CHECKSUM_FILE));
        return CopyJobNoOutput;
    }
    return CopyJobDone;
}

// The entries to verify from the clipboard and the selected files.
DWORD ReadEntriesFromClipboard(CopyJob& job)
{
    ProgressReport& report = job.progress;
    ChecksumStore& store = job.checksum.store;
    ChecksumDigest single;
    ChecksumTextKind kind = ChecksumTextKind::Nothing;
    if (!ReadClipboardDigests(report, HoldingFolder(job.request.selection.First()), store, single, kind,
                              job.hooks.afterClipboardTry))
        return report.IsRunning() ? CopyJobNoOutput : CopyJobCancelled;
    if (kind == ChecksumTextKind::Nothing) {
        ShowInformation(report, Text(IDS_NO_DIGEST_ON_CLIPBOARD));
        return CopyJobNoOutput;
    }
    ExpandSelection(FilesOfSelection(job.request, ChecksumAlgorithm::None), job.results, report,
                    job.hooks.afterFolder);
    if (!report.IsRunning() || !ArrangeResults(job.results.lines, report) ||
        !JoinSelectedFiles(store, kind, single, job.request.selection, job.results.lines, report))
        return CopyJobCancelled;
    return CopyJobDone;
}

std::uint64_t Reported(const VerifyCounts& counts) noexcept
{
    return counts[VerifyStatus::Match] + counts[VerifyStatus::Mismatch] + counts[VerifyStatus::NotFound] +
           counts[VerifyStatus::Unreadable] + counts[VerifyStatus::NotListed];
}

} // namespace

bool ChooseChecksumTarget(CopyJob& job) noexcept
try {
    const SelectionList& selection = job.request.selection;
    if (selection.Empty()) return false;
    const std::wstring& first = selection.First();
    ChecksumFileChoice choice;
    // A window closed since the command (another job's) would keep the dialog from opening.
    const HWND owner = ::IsWindow(job.progress.owner) ? job.progress.owner : nullptr;
    if (!ChooseChecksumFile(owner, HoldingFolder(first),
                            DefaultChecksumFileName(first, selection.Size(), ChecksumAlgorithm::Sha256), choice))
        return false;
    job.checksum.target = std::move(choice.path);
    job.checksum.algorithm = choice.algorithm;
    return true;
} catch (const std::bad_alloc&) {
    ReportSystemError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
}

DWORD RunCreateChecksumPhases(CopyJob& job) noexcept
{
    ProgressReport& report = job.progress;
    ChecksumResults& checksum = job.checksum;
    try {
        const CopyRequest files = FilesOfSelection(job.request, checksum.algorithm);
        ExpandSelection(files, job.results, report, job.hooks.afterFolder);
        if (!report.IsRunning() || !ArrangeResults(job.results.lines, report)) return CopyJobCancelled;
        // Made once the files are known, so that its temporary file is not one of them.
        ChecksumFileWriter writer;
        if (!writer.Create(checksum.target, checksum.algorithm)) {
            ShowChecksumFileError(report, checksum.target, ::GetLastError());
            return CopyJobNoOutput;
        }
        if (!ComputeHashes(job.results, files.options, report, HashingPassSettings{0, job.hooks.afterChunk}))
            return CopyJobHashCancelled;
        UnlistedFiles unlisted;
        if (!WriteChecksumFile(job.results.lines, writer, checksum.algorithm, report, unlisted, job.hooks.afterLine))
            return report.IsRunning() ? CopyJobNoOutput : CopyJobCancelled;
        checksum.unlistedFiles = unlisted.count;
        checksum.firstUnlistedFile = std::move(unlisted.first);
    } catch (...) {
        ShowOutOfMemory(report);
        return CopyJobNoOutput;
    }
    ShowCompletion(job, TellLeftOutOfList);
    return CopyJobDone;
}

DWORD RunVerifyPhases(CopyJob& job) noexcept
{
    ProgressReport& report = job.progress;
    ChecksumStore& store = job.checksum.store;
    try {
        const DWORD read =
            IsChecksumListSelection(job.request) ? ReadEntriesFromList(job) : ReadEntriesFromClipboard(job);
        if (read != CopyJobDone) return read;
        VerifyPlan plan;
        if (!LocateVerifyFiles(store, report, plan)) return CopyJobCancelled;
        const bool oneEntry = store.size() == 1;
        if (!VerifyEntries(store, plan, report, HashingPassSettings{0, job.hooks.afterChunk},
                           oneEntry ? &job.checksum.firstComputed : nullptr))
            return CopyJobHashCancelled;

        const VerifyCounts counts = CountOutcome(store);
        if (Reported(counts) == 0) {
            ShowInformation(report, Text(IDS_NOTHING_TO_VERIFY));
            return CopyJobNoOutput;
        }
        // One file against one digest: both digests in the box.
        ChecksumDigest expected;
        const bool bothDigests = oneEntry && (counts[VerifyStatus::Match] + counts[VerifyStatus::Mismatch]) == 1;
        if (bothDigests) {
            std::wstring path;
            expected = store.At(0, path).expected;
        }
        ShowFinished(report);
        if (ShowVerifyResult(report, counts, bothDigests ? &expected : nullptr,
                             bothDigests ? &job.checksum.firstComputed : nullptr) &&
            !CopyVerifyReport(store, job.results, report, job.hooks.afterClipboardTry))
            return report.IsRunning() ? CopyJobNoOutput : CopyJobCancelled;
    } catch (...) {
        ShowOutOfMemory(report);
        return CopyJobNoOutput;
    }
    return CopyJobDone;
}

} // namespace lumbrix
