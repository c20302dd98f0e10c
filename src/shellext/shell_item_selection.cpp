#include "shellext/shell_item_selection.h"

#include "common/com_ptr.h"
#include "common/unique_any.h"
#include "job/path_strings.h"

#include <shlobj.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace lumbrix {
namespace {

constexpr SFGAOF kAskedAttributes = SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_STREAM;

UniqueTaskString FileSystemPath(IShellItem* item) noexcept
{
    UniqueTaskString path;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.put()))) path.reset();
    return path;
}

// An item's attributes and path from its ID, asked of its parent folder,
// which stays bound for the next items of the same folder. The item's own
// GetAttributes and GetDisplayName bind to the parent every time: a walk from
// the desktop for each item.
class ParentFolder {
public:
    HRESULT Read(IShellItem* item, SFGAOF& attributes) noexcept
    {
        if (FAILED(::SHGetIDListFromObject(item, id_.put())) || !id_) {
            id_.reset();
            return item->GetAttributes(kAskedAttributes, &attributes);
        }
        child_ = ::ILFindLastID(id_.get());
        // The same parent when the IDs before the last one are the same bytes
        // (ILIsParent asks the shell to compare, item by item).
        const auto parentBytes = static_cast<std::size_t>(reinterpret_cast<const BYTE*>(child_) -
                                                          reinterpret_cast<const BYTE*>(id_.get()));
        if (!folder_ || !inFolder_ || parentBytes != parentBytes_ ||
            std::memcmp(inFolder_.get(), id_.get(), parentBytes) != 0) {
            const HRESULT hr = ::SHBindToParent(id_.get(), IID_IShellFolder, folder_.put_void(), nullptr);
            if (FAILED(hr)) return hr;
            inFolder_.reset(::ILClone(id_.get()));
            parentBytes_ = parentBytes;
        }
        attributes = kAskedAttributes;
        return folder_->GetAttributesOf(1, &child_, &attributes);
    }

    // The path of the item that Read saw last.
    UniqueTaskString PathOf(IShellItem* item) noexcept
    {
        STRRET name{};
        if (!id_ || FAILED(folder_->GetDisplayNameOf(child_, SHGDN_FORPARSING, &name))) return FileSystemPath(item);
        if (name.uType != STRRET_WSTR) return FileSystemPath(item); // 8-bit: not from the shell's own folders
        UniqueTaskString path(name.pOleStr);
        // A parsing name that is no drive or UNC path (a namespace's own form)
        // is left to the item, which knows its file-system path.
        const wchar_t* text = path.get();
        const bool isPath = text && ((text[0] == L'\\' && text[1] == L'\\') || (text[0] != L'\0' && text[1] == L':'));
        return isPath ? std::move(path) : FileSystemPath(item);
    }

private:
    UniqueIdList id_;
    PCUITEMID_CHILD child_ = nullptr;
    UniqueIdList inFolder_; // an item of the bound folder
    std::size_t parentBytes_ = 0;
    ComPtr<IShellFolder> folder_;
};

// Calls visit(parent, item, isFolder) for each item that has a file-system
// path until visit returns S_FALSE; E_PENDING when that would read more than
// limit items.
template <typename Visit>
HRESULT ForEachFileSystemItem(IShellItemArray* items, Visit visit, DWORD limit = MAXDWORD)
{
    if (!items) return E_INVALIDARG;
    DWORD count = 0;
    HRESULT hr = items->GetCount(&count);
    if (FAILED(hr)) return hr;
    ParentFolder parent;
    for (DWORD index = 0; index < count; ++index) {
        if (index == limit) return E_PENDING;
        ComPtr<IShellItem> item;
        hr = items->GetItemAt(index, item.put());
        if (FAILED(hr)) return hr;
        SFGAOF attributes = 0;
        if (FAILED(parent.Read(item.get(), attributes)) || !(attributes & SFGAO_FILESYSTEM)) continue;
        const bool isFolder = (attributes & SFGAO_FOLDER) && !(attributes & SFGAO_STREAM);
        hr = visit(parent, item.get(), isFolder);
        if (hr == S_FALSE) return S_OK;
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

} // namespace

HRESULT ReadSelectionMakeUp(IShellItemArray* items, SelectionMakeUp& makeUp, DWORD itemLimit) noexcept
{
    makeUp = {};
    if (!items) return S_OK; // a host may ask before it has a selection
    ComPtr<IShellItem> first; // its path matters only when it stays alone
    const HRESULT hr = ForEachFileSystemItem(items, [&](ParentFolder&, IShellItem* item, bool isFolder) noexcept {
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
    return ForEachFileSystemItem(items, [&](ParentFolder& parent, IShellItem* item, bool isFolder) {
        const UniqueTaskString path = parent.PathOf(item);
        if (!path) return S_OK;
        request.selection.Insert(path.get());
        // A duplicate is counted all the same, as the classic handler counts it.
        ++(isFolder ? request.folderCount : request.fileCount);
        return S_OK;
    });
}

} // namespace lumbrix
