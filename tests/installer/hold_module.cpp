// hold-module: loads a DLL and keeps it loaded, as Explorer keeps a
// context-menu handler, until a given file appears (or 60 s pass).
// usage: hold-module DLL STOPFILE   (prints "loaded" once the DLL is in)

#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) return 2;
    HMODULE module = ::LoadLibraryW(argv[1]);
    if (!module) {
        std::printf("LoadLibrary failed: %lu\n", ::GetLastError());
        return 1;
    }
    std::printf("loaded\n");
    std::fflush(stdout);
    for (int i = 0; i < 600 && ::GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i) ::Sleep(100);
    ::FreeLibrary(module);
    return 0;
}
