#include "job/result_list.h"

#include "job/collation_key.h"

#include <iterator>
#include <utility>

namespace lumbrix {

// Keys order texts exactly as lstrcmpiW does (the collation tests prove it on
// the platform), so a text without a key can still meet keyed ones through
// lstrcmpiW itself.
bool ResultList::NodeLess::operator()(const Node& a, const Node& b) const noexcept
{
    if (!a.key.empty() && !b.key.empty()) return CompareCollationKeys(a.key, b.key) < 0;
    return ::lstrcmpiW(a.entry.text.c_str(), b.entry.text.c_str()) < 0;
}

bool ResultList::Insert(ResultEntry entry)
{
    if (locale_ == 0) {
        locale_ = CollationLocale();
        useKeys_ = KeysFollowLstrcmpi(locale_);
    }
    Node node;
    if (useKeys_) MakeCollationKey(entry.text, locale_, node.key);
    // Texts built by appending may hold twice their size; a million lines
    // are kept for the whole copy.
    constexpr std::size_t kSlack = 16;
    if (entry.text.capacity() > entry.text.size() + kSlack) entry.text.shrink_to_fit();
    if (entry.sourcePath.capacity() > entry.sourcePath.size() + kSlack) entry.sourcePath.shrink_to_fit();
    node.entry = std::move(entry);

    // A walk delivers many lines in ascending order: try the end first.
    const NodeLess less;
    auto at = nodes_.end();
    if (!nodes_.empty() && !less(*std::prev(at), node)) {
        at = nodes_.lower_bound(node);
        if (at != nodes_.end() && !less(node, *at)) return false;
    }
    nodes_.emplace_hint(at, std::move(node));
    return true;
}

} // namespace lumbrix
