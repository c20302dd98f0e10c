#include "shellext/drop_list.h"

#include "common/unique_any.h"

#include <shlobj.h>

#include <cstring>

namespace lumbrix {
namespace {

// Walks "name\0name\0...\0" of units of Unit size from offset as
// DragQueryFileW does, which takes the first name whole even when it is empty
// (so an empty list is "\0\0"); true when the empty name that ends the list
// lies inside size bytes.
template <typename Unit>
bool ListEndsInside(const BYTE* bytes, SIZE_T offset, SIZE_T size) noexcept
{
    bool atNameStart = false;
    for (SIZE_T at = offset; size - at >= sizeof(Unit); at += sizeof(Unit)) {
        Unit unit{};
        std::memcpy(&unit, bytes + at, sizeof unit); // names need not be aligned
        if (unit == 0) {
            if (atNameStart) return true;
            atNameStart = true;
        } else {
            atNameStart = false;
        }
    }
    return false;
}

} // namespace

bool IsWellFormedDropList(HGLOBAL block) noexcept
{
    if (!block) return false;
    const SIZE_T size = ::GlobalSize(block);
    GlobalLock lock(block);
    const auto* bytes = static_cast<const BYTE*>(lock.data());
    if (!bytes || size < sizeof(DROPFILES)) return false;
    DROPFILES header{};
    std::memcpy(&header, bytes, sizeof header);
    if (header.pFiles >= size) return false;
    return header.fWide ? ListEndsInside<wchar_t>(bytes, header.pFiles, size)
                        : ListEndsInside<char>(bytes, header.pFiles, size);
}

} // namespace lumbrix
