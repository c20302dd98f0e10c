#include "allocation_failure.h"

#include <cstdlib>
#include <new>

namespace {

thread_local long allocationsBeforeFailure = -1; // -1: disarmed
thread_local bool failureFired = false;

} // namespace

void* operator new(std::size_t size)
{
    if (allocationsBeforeFailure >= 0 && allocationsBeforeFailure-- == 0) {
        failureFired = true;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace lumbrix::test {

FailingAllocation::FailingAllocation(long after) noexcept
{
    failureFired = false;
    allocationsBeforeFailure = after;
}

FailingAllocation::~FailingAllocation() { allocationsBeforeFailure = -1; }

bool FailingAllocation::Fired() const noexcept { return failureFired; }

} // namespace lumbrix::test
