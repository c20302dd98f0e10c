#pragma once
// The result lines of a copy: kept in lstrcmpiW order of their text at the
// moment of insertion, one entry per text (the first one added stays).
// Later phases may lengthen the texts in place; the order is not revisited.

#include <windows.h>

#include <cstddef>
#include <iterator>
#include <set>
#include <string>

namespace lumbrix {

struct ResultEntry {
    std::wstring text;
    std::wstring sourcePath;
    bool folder = false; // as the walk found it: no size column, no digest columns
};

class ResultList {
    struct Node {
        std::string key;            // collation key of the text as inserted; empty when it has none
        mutable ResultEntry entry;  // the order depends on key alone, so the entry may change
    };
    struct NodeLess {
        bool operator()(const Node& a, const Node& b) const noexcept;
    };
    using Nodes = std::set<Node, NodeLess>;

    template <typename Entry>
    class Iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = ResultEntry;
        using difference_type = std::ptrdiff_t;
        using pointer = Entry*;
        using reference = Entry&;

        Iterator() noexcept = default;
        explicit Iterator(typename Nodes::const_iterator at) noexcept : at_(at) {}
        reference operator*() const noexcept { return at_->entry; }
        pointer operator->() const noexcept { return &at_->entry; }
        Iterator& operator++() noexcept
        {
            ++at_;
            return *this;
        }
        Iterator operator++(int) noexcept { return Iterator(at_++); }
        Iterator& operator--() noexcept
        {
            --at_;
            return *this;
        }
        Iterator operator--(int) noexcept { return Iterator(at_--); }
        bool operator==(const Iterator& other) const noexcept { return at_ == other.at_; }
        bool operator!=(const Iterator& other) const noexcept { return at_ != other.at_; }

    private:
        typename Nodes::const_iterator at_{};
    };

public:
    using iterator = Iterator<ResultEntry>;
    using const_iterator = Iterator<const ResultEntry>;

    ResultList() = default;
    ResultList(const ResultList&) = delete;
    ResultList& operator=(const ResultList&) = delete;

    // Returns false when an equal text is present; the new entry is then dropped.
    // Throws std::bad_alloc when memory runs out (the list is then unchanged).
    bool Insert(ResultEntry entry);
    std::size_t size() const noexcept { return nodes_.size(); }
    bool empty() const noexcept { return nodes_.empty(); }
    void clear() noexcept { nodes_.clear(); }

    iterator begin() noexcept { return iterator(nodes_.begin()); }
    iterator end() noexcept { return iterator(nodes_.end()); }
    const_iterator begin() const noexcept { return const_iterator(nodes_.begin()); }
    const_iterator end() const noexcept { return const_iterator(nodes_.end()); }

private:
    Nodes nodes_;
    LCID locale_ = 0;      // fixed at the first insert, so that every key uses the same one
    bool useKeys_ = false; // whether this locale's keys follow lstrcmpiW
};

} // namespace lumbrix
