#include "job/result_list.h"

#include <windows.h>

namespace lumbrix {

bool ResultList::IndexLess::operator()(std::uint32_t a, std::uint32_t b) const noexcept
{
    return ::lstrcmpiW((*entries)[a].text.c_str(), (*entries)[b].text.c_str()) < 0;
}

bool ResultList::Insert(ResultEntry entry)
{
    entries_.push_back(std::move(entry));
    const auto index = static_cast<std::uint32_t>(entries_.size() - 1);
    bool inserted = false;
    try {
        inserted = order_.insert(index).second;
    } catch (...) {
        entries_.pop_back();
        throw;
    }
    if (!inserted) entries_.pop_back();
    return inserted;
}

void ResultList::clear() noexcept
{
    order_.clear();
    entries_.clear();
    entries_.shrink_to_fit();
}

} // namespace lumbrix
