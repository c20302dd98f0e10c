# Compiler and linker settings shared by the DLL and the test programs.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

if(MSVC)
    add_compile_options(/W4 /permissive- /utf-8 /EHsc)
    set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
else()
    add_compile_options(-Wall -Wextra -Wno-missing-field-initializers -Wno-cast-function-type)
    # Depend on system DLLs only: the C and C++ runtimes and winpthread are linked in.
    add_link_options(-static -static-libgcc -static-libstdc++)
endif()

set(LUMBRIX_SYSTEM_LIBS ole32 oleaut32 uuid shell32 user32 gdi32 advapi32 comctl32 kernel32)
