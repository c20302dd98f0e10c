#pragma once
// The result lines of a copy: kept in lstrcmpiW order of their text at the
// moment of insertion, one entry per text (the first one added stays).
// Later phases may lengthen the texts in place; the order is not revisited.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace lumbrix {

struct ResultEntry {
    std::wstring text;
    std::wstring sourcePath;
};

class ResultList {
    struct IndexLess {
        const std::vector<ResultEntry>* entries;
        bool operator()(std::uint32_t a, std::uint32_t b) const noexcept;
    };
    using Index = std::set<std::uint32_t, IndexLess>;

public:
    ResultList() : order_(IndexLess{&entries_}) {}
    ResultList(const ResultList&) = delete;
    ResultList& operator=(const ResultList&) = delete;

    // Returns false when an equal text is present; the new entry is then dropped.
    // Throws std::bad_alloc when memory runs out (the list stays consistent).
    bool Insert(ResultEntry entry);
    std::size_t size() const noexcept { return order_.size(); }
    bool empty() const noexcept { return order_.empty(); }
    void clear() noexcept;

    class iterator {
    public:
        iterator(Index::const_iterator at, std::vector<ResultEntry>* entries) noexcept
            : at_(at), entries_(entries) {}
        ResultEntry& operator*() const noexcept { return (*entries_)[*at_]; }
        ResultEntry* operator->() const noexcept { return &(*entries_)[*at_]; }
        iterator& operator++() noexcept
        {
            ++at_;
            return *this;
        }
        bool operator==(const iterator& other) const noexcept { return at_ == other.at_; }
        bool operator!=(const iterator& other) const noexcept { return at_ != other.at_; }

    private:
        Index::const_iterator at_;
        std::vector<ResultEntry>* entries_;
    };

    iterator begin() noexcept { return iterator(order_.begin(), &entries_); }
    iterator end() noexcept { return iterator(order_.end(), &entries_); }

private:
    std::vector<ResultEntry> entries_; // in order of arrival
    Index order_;                      // indexes into entries_, in collation order
};

} // namespace lumbrix
