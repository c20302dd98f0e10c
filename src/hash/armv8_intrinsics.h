#pragma once
// The ARMv8 CRC32 and SHA intrinsics under each compiler's own header:
// MSVC declares both in its own pair, GCC and Clang in the ACLE ones.
#if defined(_MSC_VER) && !defined(__clang__)
#include <arm64_neon.h>
#include <intrin.h>
#else
#include <arm_acle.h>
#include <arm_neon.h>
#endif
