# Cross build of the Windows ARM64 DLL with clang and lld, against the mingw-w64
# CRT (UCRT) and the LLVM runtimes that tools/arm64-toolchain.sh builds from
# Debian's sources into a cache folder; the script runs here when that folder
# is not known yet (once per machine: it takes minutes).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)

if(NOT LUMBRIX_ARM64_TOOLCHAIN AND DEFINED ENV{LUMBRIX_ARM64_TOOLCHAIN})
    set(LUMBRIX_ARM64_TOOLCHAIN $ENV{LUMBRIX_ARM64_TOOLCHAIN})
endif()
if(NOT LUMBRIX_ARM64_TOOLCHAIN)
    execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../tools/arm64-toolchain.sh
                    OUTPUT_VARIABLE LUMBRIX_ARM64_TOOLCHAIN OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "tools/arm64-toolchain.sh failed (${status})")
    endif()
endif()
set(LUMBRIX_ARM64_TOOLCHAIN ${LUMBRIX_ARM64_TOOLCHAIN} CACHE PATH "The folder tools/arm64-toolchain.sh made")
# try_compile projects read this file again; they take the folder along.
set(ENV{LUMBRIX_ARM64_TOOLCHAIN} ${LUMBRIX_ARM64_TOOLCHAIN})

set(LUMBRIX_MINGW_PREFIX aarch64-w64-mingw32)
set(CMAKE_C_COMPILER ${LUMBRIX_ARM64_TOOLCHAIN}/bin/${LUMBRIX_MINGW_PREFIX}-clang)
set(CMAKE_CXX_COMPILER ${LUMBRIX_ARM64_TOOLCHAIN}/bin/${LUMBRIX_MINGW_PREFIX}-clang++)
set(CMAKE_RC_COMPILER ${LUMBRIX_ARM64_TOOLCHAIN}/bin/${LUMBRIX_MINGW_PREFIX}-windres)
set(CMAKE_AR /usr/lib/llvm-19/bin/llvm-ar)
set(CMAKE_RANLIB /usr/lib/llvm-19/bin/llvm-ranlib)

set(CMAKE_FIND_ROOT_PATH ${LUMBRIX_ARM64_TOOLCHAIN}/${LUMBRIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
