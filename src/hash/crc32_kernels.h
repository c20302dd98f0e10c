#pragma once
// CRC-32 register updates behind Crc32::Update. Each takes and returns the
// running (uninverted) register.

#include "hash/cpu_features.h"

#include <cstddef>
#include <cstdint>

namespace lumbrix {

std::uint32_t Crc32Tables(std::uint32_t reg, const std::uint8_t* data, std::size_t size) noexcept;

#if LUMBRIX_HASH_X86
std::uint32_t Crc32Clmul(std::uint32_t reg, const std::uint8_t* data, std::size_t size) noexcept;
std::uint32_t Crc32VpclmulAvx2(std::uint32_t reg, const std::uint8_t* data, std::size_t size) noexcept;
std::uint32_t Crc32VpclmulAvx512(std::uint32_t reg, const std::uint8_t* data, std::size_t size) noexcept;
#endif

#if LUMBRIX_HASH_ARM64
std::uint32_t Crc32Armv8(std::uint32_t reg, const std::uint8_t* data, std::size_t size) noexcept;
#endif

} // namespace lumbrix
