#pragma once
// Where the clipboard text block comes from. A test may put its own allocator
// here to refuse the block, the one failure that cannot be produced for real.

#include <windows.h>

#include <atomic>

namespace lumbrix {

using TextBlockAllocator = HGLOBAL(WINAPI*)(UINT flags, SIZE_T bytes);

// Null means GlobalAlloc.
extern std::atomic<TextBlockAllocator> textBlockAllocatorForTesting;

} // namespace lumbrix
