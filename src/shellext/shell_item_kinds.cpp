#include "shellext/shell_item_kinds.h"

#include "common/com_ptr.h"
#include "common/unique_any.h"
#include "shellext/drop_list.h"

#include <shlobj.h>

#include <cstddef>
#include <cstring>

namespace lumbrix {
namespace {

// The item list comes from any program that offers it: every offset and every
// ID list must lie inside the block before the shell is handed a pointer.
class ItemList {
public:
    ItemList(const void* block, std::size_t size) noexcept : bytes_(static_cast<const BYTE*>(block)), size_(size) {}

    // Number of child items; 0 when the header does not fit.
    UINT Count() const noexcept
    {
        if (size_ < sizeof(CIDA)) return 0;
        const UINT count = reinterpret_cast<const CIDA*>(bytes_)->cidl;
        const std::size_t header = offsetof(CIDA, aoffset) + (std::size_t{count} + 1) * sizeof(UINT);
        return count < size_ && header <= size_ ? count : 0;
    }

    // Entry 0 is the parent folder, 1..Count() the children; null when the
    // ID list there runs past the block.
    LPCITEMIDLIST At(UINT index) const noexcept
    {
        const std::size_t offset = reinterpret_cast<const CIDA*>(bytes_)->aoffset[index];
        for (std::size_t at = offset;;) {
            if (at + sizeof(USHORT) > size_) return nullptr;
            USHORT length = 0;
            std::memcpy(&length, bytes_ + at, sizeof length);
            if (length == 0) return reinterpret_cast<LPCITEMIDLIST>(bytes_ + offset);
            at += length;
        }
    }

private:
    const BYTE* bytes_;
    std::size_t size_;
};

ComPtr<IShellFolder> BindToFolder(LPCITEMIDLIST folder) noexcept
{
    ComPtr<IShellFolder> desktop;
    if (FAILED(::SHGetDesktopFolder(desktop.put()))) return {};
    if (folder->mkid.cb == 0) return desktop; // the desktop itself
    ComPtr<IShellFolder> bound;
    if (FAILED(desktop->BindToObject(folder, nullptr, IID_IShellFolder, bound.put_void()))) return {};
    return bound;
}

} // namespace

std::vector<bool> ShellFolderFlags(IDataObject* data, unsigned expectedCount)
{
    static const auto format = static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(CFSTR_SHELLIDLIST));
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM received{};
    if (format == 0 || FAILED(data->GetData(&request, &received))) return {};
    const StorageMedium medium(received);
    if (medium.get().tymed != TYMED_HGLOBAL) return {};
    GlobalLock lock(medium.get().hGlobal);
    if (!lock.data()) return {};
    const ItemList list(lock.data(), ::GlobalSize(medium.get().hGlobal));
    const UINT count = list.Count();
    LPCITEMIDLIST parent = count == expectedCount && count > 0 ? list.At(0) : nullptr;
    if (!parent) return {};
    const ComPtr<IShellFolder> folder = BindToFolder(parent);
    if (!folder) return {};

    std::vector<bool> folders(count);
    for (UINT index = 0; index < count; ++index) {
        LPCITEMIDLIST child = list.At(index + 1);
        SFGAOF attributes = SFGAO_FOLDER | SFGAO_STREAM;
        if (!child || FAILED(folder->GetAttributesOf(1, &child, &attributes))) return {};
        folders[index] = (attributes & SFGAO_FOLDER) && !(attributes & SFGAO_STREAM);
    }
    return folders;
}

} // namespace lumbrix
