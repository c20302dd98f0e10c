#include "shellext/shell_item_selection.h"

#include "common/com_ptr.h"
#include "common/unique_any.h"
#include "job/path_strings.h"

#include <string>

namespace lumbrix {
namespace {

inline void FreeTaskMemory(wchar_t* text) noexcept { ::CoTaskMemFree(text); }
using UniqueTaskString = UniqueAny<wchar_t*, FreeTaskMemory>;

constexpr SFGAOF kAskedAttributes = SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_STREAM;

// Calls visit(item, isFolder) for each item that has a file-system path until
// visit returns S_FALSE; E_PENDING when that would read more than limit items.
template <typename Visit>
HRESULT ForEachFileSystemItem(IShellItemArray* items, Visit visit, DWORD limit = MAXDWORD)
{
    if (!items) return E_INVALIDARG;
    DWORD count = 0;
    HRESULT hr = items->GetCount(&count);
    if (FAILED(hr)) return hr;
    for (DWORD index = 0; index < count; ++index) {
        if (index == limit) return E_PENDING;
        ComPtr<IShellItem> item;
        hr = items->GetItemAt(index, item.put());
        if (FAILED(hr)) return hr;
        SFGAOF attributes = 0;
        if (FAILED(item->GetAttributes(kAskedAttributes, &attributes)) || !(attributes & SFGAO_FILESYSTEM))
            continue;
        const bool isFolder = (attributes & SFGAO_FOLDER) && !(attributes & SFGAO_STREAM);
        hr = visit(item.get(), isFolder);
        if (hr == S_FALSE) return S_OK;
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

UniqueTaskString FileSystemPath(IShellItem* item) noexcept
{
    UniqueTaskString path;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.put()))) path.reset();
    return path;
}

} // namespace

HRESULT ReadSelectionMakeUp(IShellItemArray* items, SelectionMakeUp& makeUp, DWORD itemLimit) noexcept
{
    makeUp = {};
    if (!items) return S_OK; // a host may ask before it has a selection
    ComPtr<IShellItem> first; // its path matters only when it stays alone
    const HRESULT hr = ForEachFileSystemItem(items, [&](IShellItem* item, bool isFolder) noexcept {
        ++(isFolder ? makeUp.folderCount : makeUp.fileCount);
        if (!first) {
            item->AddRef();
            first.attach(item);
        }
        // A folder among two or more items settles every gray rule.
        return makeUp.folderCount > 0 && makeUp.folderCount + makeUp.fileCount > 1 ? S_FALSE : S_OK;
    }, itemLimit);
    if (FAILED(hr)) return hr;
    if (makeUp.folderCount == 1 && makeUp.fileCount == 0) {
        const UniqueTaskString path = FileSystemPath(first.get());
        makeUp.isDriveRoot = path && IsDriveRoot(path.get());
    }
    return S_OK;
}

HRESULT ReadSelection(IShellItemArray* items, CopyRequest& request)
{
    request.selection.Clear();
    request.fileCount = 0;
    request.folderCount = 0;
    return ForEachFileSystemItem(items, [&](IShellItem* item, bool isFolder) {
        const UniqueTaskString path = FileSystemPath(item);
        if (!path) return S_OK;
        request.selection.Insert(path.get());
        // A duplicate is counted all the same, as the classic handler counts it.
        ++(isFolder ? request.folderCount : request.fileCount);
        return S_OK;
    });
}

} // namespace lumbrix
