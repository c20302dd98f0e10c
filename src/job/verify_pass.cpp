#include "job/verify_pass.h"

#include "common/long_path.h"
#include "common/progress_report.h"
#include "common/text_table.h"
#include "job/verify_file_status.h"

#include <windows.h>

#include <atomic>

namespace lumbrix {
namespace {

// Entries between two looks at the Cancel flag and two updates of the display.
constexpr std::size_t kEntriesPerLook = 64;

bool NamesNothing(DWORD error) noexcept
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return true;
    default:
        return false;
    }
}

// The store's Pending entries in order; each file's digest is compared with
// the entry's and the status set.
class EntrySource final : public HashingSource {
public:
    EntrySource(ChecksumStore& store, ChecksumDigest* firstComputed) noexcept
        : store_(store), reader_(store), firstComputed_(firstComputed)
    {
    }

    bool Next(HashedFile& file) override
    {
        while (reader_.Next()) {
            const ChecksumEntry& entry = reader_.Entry();
            if (store_.Status(entry.index) != VerifyStatus::Pending) continue;
            file.index = entry.index;
            file.path.assign(entry.fullPath);
            file.text.assign(entry.fullPath);
            file.skip = false;
            file.digests = DigestSelection::Of(entry.expected.algorithm);
            file.expected = entry.expected;
            return true;
        }
        return false;
    }

    void Done(unsigned, const HashedFile& file, HashOutcome outcome, const FileDigests& digests) override
    {
        VerifyStatus status = VerifyStatus::Unreadable;
        if (outcome == HashOutcome::Digested) {
            ChecksumDigest computed;
            if (digests.DigestOf(file.expected.algorithm, computed)) {
                status = computed == file.expected ? VerifyStatus::Match : VerifyStatus::Mismatch;
                if (firstComputed_ && !kept_.exchange(true)) *firstComputed_ = computed;
            }
        } else if (outcome == HashOutcome::OpenFailed) {
            status = StatusOfUnreadFile(file.path);
        }
        store_.SetStatus(file.index, status);
    }

private:
    ChecksumStore& store_;
    ChecksumStore::Reader reader_; // under the pass's lock
    ChecksumDigest* firstComputed_;
    std::atomic<bool> kept_{false};
};

} // namespace

bool LocateVerifyFiles(ChecksumStore& store, ProgressReport& report, VerifyPlan& plan)
{
    plan = VerifyPlan{};
    if (!report.IsRunning()) return false;
    report.StatusText().Set(Text(IDS_STEP_LOCATING_FILES));
    report.DetailText().Clear();
    report.SetPosition(0);
    report.SetRange(store.size());
    std::wstring path;
    // A folder found missing: the entries after it that lie in it need no look
    // of their own (a list from elsewhere often names a whole missing tree).
    std::wstring missingFolder;
    ChecksumStore::Reader reader(store);
    while (reader.Next()) {
        const ChecksumEntry& entry = reader.Entry();
        if (entry.index % kEntriesPerLook == 0) {
            if (!report.IsRunning()) return false;
            report.SetPosition(entry.index);
            report.DetailText().Set(entry.fullPath);
        }
        if (store.Status(entry.index) != VerifyStatus::Pending) continue;
        path.assign(entry.fullPath);
        const std::size_t nameAt = path.rfind(L'\\');
        if (!missingFolder.empty() && nameAt == missingFolder.size() &&
            path.compare(0, nameAt, missingFolder) == 0) {
            store.SetStatus(entry.index, VerifyStatus::NotFound);
            continue;
        }
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(ToExtendedLengthPath(path).c_str(), GetFileExInfoStandard, &data)) {
            const DWORD error = ::GetLastError();
            // Anything else (no access, a sharing violation) is for the reading to tell.
            if (NamesNothing(error)) store.SetStatus(entry.index, VerifyStatus::NotFound);
            // No such path: the folder that would hold the file is not there.
            if (error == ERROR_PATH_NOT_FOUND && nameAt != std::wstring::npos) missingFolder.assign(path, 0, nameAt);
        } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            store.SetStatus(entry.index, VerifyStatus::NotFound);
        }
        if (store.Status(entry.index) != VerifyStatus::Pending) continue;
        ++plan.files;
        plan.totalBytes += std::int64_t(std::uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
    }
    report.SetPosition(store.size());
    return report.IsRunning();
}

bool VerifyEntries(ChecksumStore& store, const VerifyPlan& plan, ProgressReport& report,
                   const HashingPassSettings& settings, ChecksumDigest* firstComputed)
{
    EntrySource source(store, firstComputed);
    return RunHashingPass(source, std::size_t(plan.files), plan.totalBytes, Text(IDS_STEP_VERIFYING), report,
                          settings);
}

} // namespace lumbrix
