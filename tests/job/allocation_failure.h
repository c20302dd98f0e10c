#pragma once
// Running out of memory cannot be produced for real in a test, so this test
// program replaces the global operator new: an armed FailingAllocation makes
// one allocation of the arming thread throw std::bad_alloc.

namespace lumbrix::test {

class FailingAllocation {
public:
    // The allocation after `after` successful ones (0: the next) throws.
    explicit FailingAllocation(long after) noexcept;
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;

    // Whether the failure has happened.
    bool Fired() const noexcept;
};

} // namespace lumbrix::test
