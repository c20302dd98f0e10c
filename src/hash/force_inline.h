#pragma once
// For the digest kernels' round templates, which must unroll into one
// straight run of code: left to its own inlining limits at -O2, GCC calls out
// for groups of rounds and the working words go through memory at every call.
#if defined(_MSC_VER) && !defined(__clang__)
#define LUMBRIX_FORCE_INLINE __forceinline
#else
#define LUMBRIX_FORCE_INLINE inline __attribute__((always_inline))
#endif
