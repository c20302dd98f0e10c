#pragma once
// The selected paths: ascending by lstrcmpiW, no two that differ in letter
// case alone (the first one inserted kept). Stored exactly as the shell gave them.

#include "job/collation.h"

#include <set>
#include <string>

namespace lumbrix {

class SelectionList {
public:
    using Set = std::set<std::wstring, PathLess>;
    using const_iterator = Set::const_iterator;

    // Returns false when the same path was already present (the list is unchanged).
    // Throws std::bad_alloc when memory runs out.
    bool Insert(std::wstring path) { return paths_.insert(std::move(path)).second; }
    void Clear() noexcept { paths_.clear(); }

    const_iterator begin() const noexcept { return paths_.begin(); }
    const_iterator end() const noexcept { return paths_.end(); }
    bool Empty() const noexcept { return paths_.empty(); }
    std::size_t Size() const noexcept { return paths_.size(); }
    // The smallest path in the list's order; empty when the list is empty.
    const std::wstring& First() const noexcept
    {
        static const std::wstring none;
        return paths_.empty() ? none : *paths_.begin();
    }

private:
    Set paths_;
};

} // namespace lumbrix
