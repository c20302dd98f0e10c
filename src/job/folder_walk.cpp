// The walk below a selected folder. Each folder is listed whole before any of
// its subfolders is: its entries get their lines in the order the listing
// delivers them, and its subfolders are then walked in that order. So one
// listing is open at a time, and the walk knows at every level above it how
// many folders are left, which is its progress within the selected item. Two
// equal lines still meet in the order a depth-first walk would add them: they
// lie at the same depth, and the subtree of the folder listed first is walked
// first. The folders being walked live on a heap stack, so no depth can
// exhaust the worker's stack.

#include "job/folder_walk.h"

#include "common/folder_check.h"
#include "common/item_attributes.h"
#include "common/long_path.h"
#include "common/progress_report.h"
#include "common/unique_any.h"
#include "job/copy_request.h"
#include "job/copy_results.h"
#include "job/path_forms.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace lumbrix {
namespace {

// What a path leads to, through any links: the same folder has the same
// identity under every name. The 128-bit file ID where the file system has
// one (ReFS needs all of it), else the 64-bit index.
struct FolderIdentity {
    std::uint64_t volume = 0;
    std::uint8_t id[16] = {};
    bool operator==(const FolderIdentity&) const = default;
};

enum class IdentityState : unsigned char { NotAsked, Known, Unavailable };

// FILE_ID_INFO and its class number (Windows 8 on); declared here so that the
// module builds for Windows 7 as well, where the call simply fails.
struct FileIdInformation {
    ULONGLONG volumeSerialNumber;
    std::uint8_t fileId[16];
};
constexpr auto kFileIdInfoClass = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

bool IsZero(const std::uint8_t (&id)[16]) noexcept
{
    for (std::uint8_t byte : id)
        if (byte != 0) return false;
    return true;
}

// False when the folder cannot be opened or has no identity: an ID of zero
// is "unknown", and two unknown folders must not count as the same one.
bool QueryFolderIdentity(const std::wstring& extendedPath, FolderIdentity& identity) noexcept
{
    UniqueFile folder(::CreateFileW(extendedPath.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) return false;
    FileIdInformation wide{};
    if (::GetFileInformationByHandleEx(folder.get(), kFileIdInfoClass, &wide, sizeof wide) && !IsZero(wide.fileId)) {
        identity.volume = wide.volumeSerialNumber;
        std::memcpy(identity.id, wide.fileId, sizeof identity.id);
        return true;
    }
    BY_HANDLE_FILE_INFORMATION information;
    if (!::GetFileInformationByHandle(folder.get(), &information)) return false;
    const std::uint64_t index = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    if (index == 0) return false;
    identity.volume = information.dwVolumeSerialNumber;
    std::memcpy(identity.id, &index, sizeof index);
    return true;
}

bool IsDotEntry(const wchar_t* name) noexcept
{
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

struct Subfolder {
    std::wstring name; // as the line shows it: the short name when those are wanted
    bool link = false;
};

// A folder whose subfolders are being walked. Only folders reached through a
// link ask for their identity (a loop needs a link), and the folders above
// them only when a comparison needs theirs.
struct WalkedFolder {
    std::wstring rel; // relative to the walk's base
    std::vector<Subfolder> subfolders;
    std::size_t started = 0; // subfolders whose walk has begun
    bool linked = false;
    IdentityState identityState = IdentityState::NotAsked;
    FolderIdentity identity;
};

class FolderWalk {
public:
    FolderWalk(const CopyRequest& request, CopyResults& results, ProgressReport& report, const std::wstring& base,
               WalkSpan span, const StepHook& afterFolder) noexcept
        : request_(request),
          results_(results),
          report_(report),
          afterFolder_(afterFolder),
          base_(base),
          span_(span),
          listFolders_(request.options[OutputDirectory]),
          shortNames_(request.options[OutputShortFileName]),
          skipLinks_(request.options[OutputJunction])
    {
    }

    void Run(std::wstring rel)
    {
        List(std::move(rel), false);
        while (!chain_.empty()) {
            WalkedFolder& folder = chain_.back();
            if (!report_.IsRunning() || folder.started == folder.subfolders.size()) {
                chain_.pop_back();
            } else {
                Subfolder& next = folder.subfolders[folder.started++];
                std::wstring rel = JoinPath(folder.rel, next.name);
                const bool linked = next.link || folder.linked;
                std::wstring().swap(next.name); // not needed again
                List(std::move(rel), linked);
            }
            ShowProgress();
        }
    }

private:
    // Adds the lines of a folder's entries and, when it has subfolders to
    // walk, makes it the innermost walked folder. A folder that the walk is
    // already inside is not listed again.
    void List(std::wstring rel, bool linked)
    {
        const std::wstring folder = JoinPath(base_, rel);
        std::wstring pattern = ToExtendedLengthPath(folder);
        if (pattern.empty()) return;
        WalkedFolder walked;
        walked.linked = linked;
        if (linked) {
            walked.identityState =
                QueryFolderIdentity(pattern, walked.identity) ? IdentityState::Known : IdentityState::Unavailable;
            if (walked.identityState == IdentityState::Known && OnChain(walked.identity)) return;
        }
        pattern += pattern.back() == L'\\' ? L"*" : L"\\*";
        // The basic form leaves out the short names when they are not wanted.
        UniqueFind find(::FindFirstFileExW(pattern.c_str(), shortNames_ ? FindExInfoStandard : FindExInfoBasic,
                                           &entry_, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find && ::GetLastError() == ERROR_INVALID_PARAMETER) // before Windows 7: no basic form, no large fetch
            find.reset(::FindFirstFileW(pattern.c_str(), &entry_));
        if (!find) {
            // A drive root without entries has no "." either: nothing is missing.
            if (::GetLastError() != ERROR_FILE_NOT_FOUND || !IsFolderOnDisk(folder)) LeftOut(folder);
            return;
        }
        for (;;) {
            if (!report_.IsRunning()) return;
            if (!IsDotEntry(entry_.cFileName)) Take(rel, walked);
            if (!::FindNextFileW(find.get(), &entry_)) {
                if (::GetLastError() != ERROR_NO_MORE_FILES) LeftOut(folder); // the rest of it is missing
                break;
            }
        }
        afterFolder_(report_);
        if (walked.subfolders.empty()) return;
        walked.rel = std::move(rel);
        chain_.push_back(std::move(walked));
    }

    // The line of the entry at hand; a folder to walk is kept for later.
    void Take(const std::wstring& folderRel, WalkedFolder& walked)
    {
        const wchar_t* name = shortNames_ && entry_.cAlternateFileName[0] ? entry_.cAlternateFileName : entry_.cFileName;
        const ItemAttributes attributes = AttributesOfEntry(entry_);
        const bool folder = attributes.IsFolder();
        const bool link = attributes.IsLink();
        if (listFolders_ || !folder) {
            AssignJoinedRel(folderRel, name);
            const std::uint64_t size = (std::uint64_t{entry_.nFileSizeHigh} << 32) | entry_.nFileSizeLow;
            AddEntry(request_, results_, report_, base_, rel_, folder ? 0 : static_cast<std::int64_t>(size), folder,
                     !folder && attributes.IsOnlineOnly());
        }
        if (folder && !(skipLinks_ && link)) walked.subfolders.push_back(Subfolder{name, link});
    }

    void AssignJoinedRel(const std::wstring& folderRel, const wchar_t* name)
    {
        rel_.assign(folderRel);
        if (!folderRel.empty() && folderRel.back() != L'\\') rel_ += L'\\';
        rel_ += name;
    }

    // Counted once per folder; the message names the first in the list's order.
    void LeftOut(const std::wstring& folder)
    {
        if (!report_.IsRunning()) return; // a cancelled listing leaves nothing out that anyone will see
        if (results_.unlistedFolders++ == 0 || ::lstrcmpiW(folder.c_str(), results_.firstUnlistedFolder.c_str()) < 0)
            results_.firstUnlistedFolder = folder;
    }

    // Every walked folder's subfolders count alike: the share of the selected
    // item done is the folders done at each level, each level within its
    // parent's folder at hand.
    void ShowProgress() noexcept
    {
        double done = 0;
        double share = 1;
        for (std::size_t level = 0; level < chain_.size(); ++level) {
            const WalkedFolder& folder = chain_[level];
            const bool innerOnChain = level + 1 < chain_.size(); // its folder at hand is walked below
            const double count = double(folder.subfolders.size());
            done += share * double(folder.started - (innerOnChain ? 1 : 0)) / count;
            share /= count;
        }
        if (chain_.empty()) done = 1;
        report_.RaisePosition(span_.from + static_cast<std::uint64_t>(done * double(span_.to - span_.from)));
    }

    bool OnChain(const FolderIdentity& identity)
    {
        for (WalkedFolder& folder : chain_) {
            if (folder.identityState == IdentityState::NotAsked) {
                const bool known =
                    QueryFolderIdentity(ToExtendedLengthPath(JoinPath(base_, folder.rel)), folder.identity);
                folder.identityState = known ? IdentityState::Known : IdentityState::Unavailable;
            }
            if (folder.identityState == IdentityState::Known && folder.identity == identity) return true;
        }
        return false;
    }

    const CopyRequest& request_;
    CopyResults& results_;
    ProgressReport& report_;
    const StepHook& afterFolder_;
    const std::wstring& base_;
    const WalkSpan span_;
    const bool listFolders_;
    const bool shortNames_;
    const bool skipLinks_;
    std::vector<WalkedFolder> chain_; // from the selected folder down to the innermost one being walked
    WIN32_FIND_DATAW entry_{};        // the listing's entry at hand
    std::wstring rel_;                // the entry at hand's path relative to the base
};

} // namespace

void WalkFolder(const CopyRequest& request, CopyResults& results, ProgressReport& report, const std::wstring& base,
                const std::wstring& name, WalkSpan span, const StepHook& afterFolder)
{
    FolderWalk walk(request, results, report, base, span, afterFolder);
    walk.Run(name);
}

} // namespace lumbrix
