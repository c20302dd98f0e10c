#pragma once
// The CF_HDROP block that the shell's data object hands to Initialize.

#include <windows.h>
#include <objidl.h>

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

// True when block holds a DROPFILES header whose name list starts and ends
// inside the block. The list comes from any program that offers CF_HDROP, and
// DragQueryFileW trusts it; a bad one must not make it read past the block.
bool IsWellFormedDropList(HGLOBAL block) noexcept;

} // namespace lumbrix
