#pragma once
// SHA-1 compression of whole 64-byte blocks behind Sha1::Update and the
// closing blocks: state holds the five chaining words.

#include "hash/cpu_features.h"

#include <cstddef>
#include <cstdint>

namespace lumbrix {

void Sha1BlocksPortable(std::uint32_t state[5], const std::uint8_t* blocks, std::size_t count) noexcept;

#if LUMBRIX_HASH_X86
void Sha1BlocksSsse3(std::uint32_t state[5], const std::uint8_t* blocks, std::size_t count) noexcept;
void Sha1BlocksAvx2(std::uint32_t state[5], const std::uint8_t* blocks, std::size_t count) noexcept;
void Sha1BlocksShaExtensions(std::uint32_t state[5], const std::uint8_t* blocks, std::size_t count) noexcept;
#endif

#if LUMBRIX_HASH_ARM64
void Sha1BlocksArmv8(std::uint32_t state[5], const std::uint8_t* blocks, std::size_t count) noexcept;
#endif

} // namespace lumbrix
