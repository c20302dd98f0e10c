#pragma once
// The CF_HDROP block that the shell's data object hands to Initialize.

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

namespace lumbrix {

// Owner of a storage medium returned by IDataObject::GetData.
class StorageMedium {
public:
    StorageMedium() noexcept = default;
    explicit StorageMedium(const STGMEDIUM& medium) noexcept : medium_(medium) {}
    StorageMedium(const StorageMedium&) = delete;
    StorageMedium& operator=(const StorageMedium&) = delete;
    ~StorageMedium()
    {
        if (medium_.tymed != TYMED_NULL) ::ReleaseStgMedium(&medium_);
    }
    const STGMEDIUM& get() const noexcept { return medium_; }

private:
    STGMEDIUM medium_{};
};

// The names of a CF_HDROP block, in order, 8-bit names converted from the ANSI
// code page. False, with names untouched, when the block holds no DROPFILES
// header whose name list starts and ends inside it: the list comes from any
// program that offers CF_HDROP. As DragQueryFileW reads it, the first name
// counts even when it is empty ("\0\0" is one empty name). One pass over the
// list: DragQueryFileW by index would walk it again for every name. Throws
// std::bad_alloc when memory runs out.
bool ReadDropList(HGLOBAL block, std::vector<std::wstring>& names);

} // namespace lumbrix
