#include "common/item_attributes.h"

#include "common/long_path.h"

#include <atomic>

namespace lumbrix {
namespace {

// Newer than some SDKs' headers.
constexpr DWORD kRecallOnOpen = 0x00040000;       // FILE_ATTRIBUTE_RECALL_ON_OPEN
constexpr DWORD kRecallOnDataAccess = 0x00400000; // FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS

std::atomic<AttributeOverride> attributeOverride{nullptr};

ItemAttributes Overridden(std::wstring_view name, ItemAttributes attributes) noexcept
{
    if (const AttributeOverride override = attributeOverride.load(std::memory_order_relaxed))
        override(name, attributes);
    return attributes;
}

} // namespace

bool ItemAttributes::IsLink() const noexcept
{
    if (!Readable() || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return reparseTag == 0 || reparseTag == IO_REPARSE_TAG_MOUNT_POINT || reparseTag == IO_REPARSE_TAG_SYMLINK;
}

bool ItemAttributes::IsOnlineOnly() const noexcept
{
    return Readable() && (attributes & (FILE_ATTRIBUTE_OFFLINE | kRecallOnOpen | kRecallOnDataAccess));
}

ItemAttributes AttributesOfPath(const std::wstring& path)
{
    ItemAttributes read;
    read.attributes = ::GetFileAttributesW(ToExtendedLengthPath(path).c_str());
    const std::size_t slash = path.find_last_of(L'\\');
    return Overridden(slash == std::wstring::npos ? std::wstring_view(path) : std::wstring_view(path).substr(slash + 1),
                      read);
}

ItemAttributes AttributesOfEntry(const WIN32_FIND_DATAW& entry) noexcept
{
    ItemAttributes read;
    read.attributes = entry.dwFileAttributes;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) read.reparseTag = entry.dwReserved0;
    return Overridden(entry.cFileName, read);
}

void SetAttributeOverride(AttributeOverride override) noexcept
{
    attributeOverride.store(override, std::memory_order_relaxed);
}

} // namespace lumbrix
