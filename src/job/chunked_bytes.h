#pragma once
// Append-only bytes in chunks of 2 MiB, each a heap block of its own: a large
// block comes straight from the system's pages and goes back to it when
// freed, so a reader that is done with a chunk can give its memory back at
// once, and growing never copies what is already stored.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lumbrix {

class ChunkedBytes {
public:
    static constexpr std::size_t kChunkBytes = std::size_t{2} << 20;

    ChunkedBytes() = default;
    ChunkedBytes(ChunkedBytes&&) noexcept = default;
    ChunkedBytes& operator=(ChunkedBytes&&) noexcept = default;

    // Room for bytes in one piece at the end: the last chunk's free part, or
    // a new chunk (as large as bytes when that is more than a chunk). Throws
    // std::bad_alloc; the store is then unchanged.
    unsigned char* Reserve(std::size_t bytes);
    // Keeps the first bytes of the room that Reserve gave.
    void Commit(std::size_t bytes) noexcept
    {
        chunks_.back().size += bytes;
        total_ += bytes;
    }

    std::size_t ChunkCount() const noexcept { return chunks_.size(); }
    const unsigned char* ChunkData(std::size_t chunk) const noexcept { return chunks_[chunk].data.get(); }
    std::size_t ChunkSize(std::size_t chunk) const noexcept { return chunks_[chunk].size; }
    // Frees one chunk's memory; its bytes are gone (its place stays, empty).
    void Release(std::size_t chunk) noexcept;

    std::uint64_t Bytes() const noexcept { return total_; }
    void clear() noexcept
    {
        chunks_.clear();
        total_ = 0;
    }

private:
    struct Chunk {
        std::unique_ptr<unsigned char[]> data;
        std::size_t size = 0;
        std::size_t capacity = 0;
    };
    std::vector<Chunk> chunks_;
    std::uint64_t total_ = 0; // bytes kept, released chunks included
};

} // namespace lumbrix
