// The walk below a selected folder: depth first, each folder's line before its
// contents, in the order the listings deliver their entries. The open listings
// live on a heap stack, so no depth can exhaust the worker's stack.

#include "common/unique_any.h"
#include "job/copy_job.h"
#include "common/long_path.h"
#include "job/path_forms.h"
#include "job/selection_expansion.h"

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

// One folder being listed. Only folders reached through a link ask for their
// identity (a loop needs a link), and the folders above them only when a
// comparison needs theirs.
struct OpenListing {
    UniqueFind find;
    std::wstring rel; // relative to the walk's base
    bool linked = false;
    IdentityState identityState = IdentityState::NotAsked;
    FolderIdentity identity;
};

class FolderWalk {
public:
    FolderWalk(CopyJob& job, const std::wstring& base) noexcept
        : job_(job),
          base_(base),
          listFolders_(job.request.options[OutputDirectory]),
          shortNames_(job.request.options[OutputShortFileName]),
          skipLinks_(job.request.options[OutputJunction])
    {
    }

    void Run(std::wstring rel)
    {
        if (!Enter(std::move(rel), false)) return;
        bool haveEntry = true; // Enter fetched the first entry
        while (!chain_.empty()) {
            if (haveEntry && job_.IsRunning()) {
                haveEntry = TakeEntry();
                continue;
            }
            // The listing is exhausted, failed or cancelled: back to its parent.
            chain_.pop_back();
            if (!chain_.empty()) haveEntry = job_.IsRunning() && ::FindNextFileW(chain_.back().find.get(), &entry_);
        }
    }

private:
    // Adds the entry at hand and descends into it when it is a folder to walk.
    // Returns whether an entry is at hand afterwards.
    bool TakeEntry()
    {
        if (!IsDotEntry(entry_.cFileName)) {
            const wchar_t* name =
                shortNames_ && entry_.cAlternateFileName[0] ? entry_.cAlternateFileName : entry_.cFileName;
            std::wstring rel = JoinPath(chain_.back().rel, name);
            const bool folder = (entry_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool link = (entry_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (listFolders_ || !folder) {
                const std::uint64_t size = (std::uint64_t{entry_.nFileSizeHigh} << 32) | entry_.nFileSizeLow;
                AddEntry(job_, base_, rel, folder ? 0 : static_cast<std::int64_t>(size), folder);
            }
            if (folder && !(skipLinks_ && link) && Enter(std::move(rel), link || chain_.back().linked)) return true;
        }
        return ::FindNextFileW(chain_.back().find.get(), &entry_) != FALSE;
    }

    // Starts the listing of a folder and makes it the innermost one, its first
    // entry at hand. False when the folder is not walked: its listing cannot be
    // started (no access, gone), or it is a folder that the walk is already inside.
    bool Enter(std::wstring rel, bool linked)
    {
        std::wstring pattern = ToExtendedLengthPath(JoinPath(base_, rel));
        if (pattern.empty()) return false;
        FolderIdentity identity;
        IdentityState state = IdentityState::NotAsked;
        if (linked) {
            state = QueryFolderIdentity(pattern, identity) ? IdentityState::Known : IdentityState::Unavailable;
            if (state == IdentityState::Known && OnChain(identity)) return false;
        }
        pattern += pattern.back() == L'\\' ? L"*" : L"\\*";
        // The basic form leaves out the short names when they are not wanted.
        UniqueFind find(::FindFirstFileExW(pattern.c_str(), shortNames_ ? FindExInfoStandard : FindExInfoBasic,
                                           &entry_, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find && ::GetLastError() == ERROR_INVALID_PARAMETER) // before Windows 7: no basic form, no large fetch
            find.reset(::FindFirstFileW(pattern.c_str(), &entry_));
        if (!find) return false;
        chain_.push_back(OpenListing{std::move(find), std::move(rel), linked, state, identity});
        return true;
    }

    bool OnChain(const FolderIdentity& identity)
    {
        for (OpenListing& listing : chain_) {
            if (listing.identityState == IdentityState::NotAsked) {
                const bool known =
                    QueryFolderIdentity(ToExtendedLengthPath(JoinPath(base_, listing.rel)), listing.identity);
                listing.identityState = known ? IdentityState::Known : IdentityState::Unavailable;
            }
            if (listing.identityState == IdentityState::Known && listing.identity == identity) return true;
        }
        return false;
    }

    CopyJob& job_;
    const std::wstring& base_;
    const bool listFolders_;
    const bool shortNames_;
    const bool skipLinks_;
    std::vector<OpenListing> chain_; // from the selected folder down to the innermost listing
    WIN32_FIND_DATAW entry_{};       // the innermost listing's entry at hand
};

} // namespace

void WalkFolder(CopyJob& job, const std::wstring& base, const std::wstring& prefix, const std::wstring& name)
{
    FolderWalk walk(job, base);
    walk.Run(JoinPath(prefix, name));
}

} // namespace lumbrix
