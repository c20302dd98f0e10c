# The digest engines and the instruction sets their accelerated files are built
# for. Shared by the DLL's builds and the Linux builds (tests/native). Every
# accelerated path is chosen at run time from what the processor reports, so
# the product still runs on any x86-64 or ARM64 processor. The kernels of the
# other processor compile to empty files.
set(LUMBRIX_DIGEST_DIR ${CMAKE_CURRENT_LIST_DIR})

function(lumbrix_add_digest_engines target)
    set(dir ${LUMBRIX_DIGEST_DIR})
    target_sources(${target} PRIVATE
        ${dir}/cpu_features.cpp
        ${dir}/crc32.cpp
        ${dir}/crc32_clmul.cpp
        ${dir}/crc32_vpclmul_avx2.cpp
        ${dir}/crc32_vpclmul_avx512.cpp
        ${dir}/md5.cpp
        ${dir}/sha1.cpp
        ${dir}/sha1_avx2.cpp
        ${dir}/sha1_shani.cpp
        ${dir}/sha1_ssse3.cpp
        ${dir}/sha256.cpp
        ${dir}/sha256_shani.cpp)
    target_sources(${target} PRIVATE
        ${dir}/crc32_armv8.cpp
        ${dir}/sha1_armv8.cpp
        ${dir}/sha256_armv8.cpp)
    # MSVC compiles intrinsics without options; other processors build only
    # the portable code (the accelerated files compile to nothing there).
    macro(file_options file)
        set_property(SOURCE ${dir}/${file} TARGET_DIRECTORY ${target} APPEND PROPERTY COMPILE_OPTIONS ${ARGN})
    endmacro()
    if(MSVC)
        return()
    endif()
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64|ARM64)$")
        file_options(crc32_armv8.cpp -march=armv8-a+crc)
        file_options(sha1_armv8.cpp -march=armv8-a+crypto)
        file_options(sha256_armv8.cpp -march=armv8-a+crypto)
        return()
    endif()
    if(NOT CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
        return()
    endif()
    file_options(cpu_features.cpp -mxsave)
    file_options(crc32_clmul.cpp -mpclmul)
    file_options(crc32_vpclmul_avx2.cpp -mavx2 -mpclmul -mvpclmulqdq)
    file_options(crc32_vpclmul_avx512.cpp -mavx512f -mpclmul -mvpclmulqdq)
    file_options(sha1_avx2.cpp -mavx2 -mbmi -mbmi2)
    file_options(sha1_shani.cpp -msha -msse4.1)
    file_options(sha1_ssse3.cpp -mssse3)
    file_options(sha256_shani.cpp -msha -msse4.1)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # GCC's reassociation moves rotl(a, 5) to the front of a round's sum,
        # which lengthens every round's critical path by two additions; and
        # its -O3 code for these rounds runs about 10% faster than its -O2 code
        # (measured with tools/bench-digests.sh).
        foreach(file sha1.cpp sha1_avx2.cpp sha1_ssse3.cpp)
            file_options(${file} -fno-tree-reassoc $<$<NOT:$<CONFIG:Debug>>:-O3>)
        endforeach()
        # The same for SHA-256's rounds: about 10% over -O2; reassociation
        # makes no difference there.
        file_options(sha256.cpp $<$<NOT:$<CONFIG:Debug>>:-O3>)
        # False alarm inside GCC 12's own AVX-512 headers (_mm512_undefined_*).
        file_options(crc32_vpclmul_avx512.cpp -Wno-maybe-uninitialized)
    endif()
endfunction()
