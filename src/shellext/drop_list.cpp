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

bool ReadDropList(HGLOBAL block, std::vector<std::wstring>& names)
{
    if (!block) return false;
    const SIZE_T size = ::GlobalSize(block);
    GlobalLock lock(block);
    const auto* bytes = static_cast<const BYTE*>(lock.data());
    if (!bytes || size < sizeof(DROPFILES)) return false;
    DROPFILES header{};
    std::memcpy(&header, bytes, sizeof header);
    if (header.pFiles >= size) return false;
    const bool wellFormed = header.fWide ? ListEndsInside<wchar_t>(bytes, header.pFiles, size)
                                         : ListEndsInside<char>(bytes, header.pFiles, size);
    if (!wellFormed) return false;

    std::vector<std::wstring> read;
    const SIZE_T unitSize = header.fWide ? sizeof(wchar_t) : sizeof(char);
    for (SIZE_T at = header.pFiles;;) {
        SIZE_T end = at;
        for (;; end += unitSize) { // ends inside the block: checked above
            wchar_t unit = 0;
            if (header.fWide)
                std::memcpy(&unit, bytes + end, sizeof unit); // names need not be aligned
            else
                unit = bytes[end];
            if (unit == 0) break;
        }
        const SIZE_T units = (end - at) / unitSize;
        if (units == 0 && !read.empty()) break;
        std::wstring name;
        if (header.fWide) {
            name.resize(units);
            std::memcpy(name.data(), bytes + at, units * sizeof(wchar_t));
        } else if (units > 0) {
            const auto* text = reinterpret_cast<const char*>(bytes + at);
            const int length = ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(units), nullptr, 0);
            name.resize(static_cast<std::size_t>(length));
            ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(units), name.data(), length);
        }
        read.push_back(std::move(name));
        at = end + unitSize;
    }
    names = std::move(read);
    return true;
}

} // namespace lumbrix
