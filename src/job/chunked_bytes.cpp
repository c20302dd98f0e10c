#include "job/chunked_bytes.h"

namespace lumbrix {

unsigned char* ChunkedBytes::Reserve(std::size_t bytes)
{
    if (!chunks_.empty()) {
        Chunk& last = chunks_.back();
        if (last.data && last.capacity - last.size >= bytes) return last.data.get() + last.size;
    }
    // Both allocations before the store changes: a failure leaves it as it was.
    chunks_.reserve(chunks_.size() + 1);
    const std::size_t capacity = bytes > kChunkBytes ? bytes : kChunkBytes;
    Chunk chunk;
    chunk.data.reset(new unsigned char[capacity]); // left unwritten: untouched pages cost no memory
    chunk.capacity = capacity;
    chunks_.push_back(std::move(chunk));
    return chunks_.back().data.get();
}

void ChunkedBytes::Release(std::size_t chunk) noexcept
{
    chunks_[chunk].data.reset();
    chunks_[chunk].capacity = 0;
}

} // namespace lumbrix
