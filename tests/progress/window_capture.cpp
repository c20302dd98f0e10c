#include "window_capture.h"

#include "support/display_language.h"
#include "support/scratch_folder.h"
#include "support/test_paths.h"

namespace lumbrix::test {
namespace {

// Copies a screen rectangle into 32-bit top-down pixels.
std::vector<std::uint32_t> CaptureScreen(const RECT& rect)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    std::vector<std::uint32_t> pixels;
    if (width <= 0 || height <= 0) return pixels;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        ::GdiFlush();
        const auto* from = static_cast<const std::uint32_t*>(bits);
        pixels.assign(from, from + static_cast<std::size_t>(width) * height);
        ::SelectObject(memory, old);
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    for (auto& pixel : pixels) pixel &= 0x00FFFFFF;
    return pixels;
}

} // namespace

std::vector<std::uint32_t> CaptureClient(HWND window)
{
    RECT client = {};
    ::GetClientRect(window, &client);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return CaptureScreen(client);
}

bool SaveWindowBitmap(HWND window, const std::wstring& path)
{
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    const std::vector<std::uint32_t> pixels = CaptureScreen(rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (pixels.empty()) return false;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> rows(static_cast<std::size_t>(stride) * height);
    for (int y = 0; y < height; ++y) {
        unsigned char* row = &rows[static_cast<std::size_t>(height - 1 - y) * stride]; // bottom-up
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = pixels[static_cast<std::size_t>(y) * width + x];
            row[x * 3 + 0] = static_cast<unsigned char>(pixel);
            row[x * 3 + 1] = static_cast<unsigned char>(pixel >> 8);
            row[x * 3 + 2] = static_cast<unsigned char>(pixel >> 16);
        }
    }
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = static_cast<DWORD>(rows.size());
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42; // "BM"
    fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
    fileHeader.bfSize = fileHeader.bfOffBits + header.biSizeImage;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool done = ::WriteFile(file, &fileHeader, sizeof(fileHeader), &written, nullptr) &&
                ::WriteFile(file, &header, sizeof(header), &written, nullptr) &&
                ::WriteFile(file, rows.data(), static_cast<DWORD>(rows.size()), &written, nullptr);
    ::CloseHandle(file);
    return done;
}

std::wstring ScreenshotFolder()
{
    // The program lives in <build>\tests\progress.
    std::wstring folder = ProgramFolder();
    for (int up = 0; up < 2; ++up) folder = folder.substr(0, folder.find_last_of(L'\\'));
    folder += L"\\screenshots";
    // The English window's pictures apart from the Japanese ones of the same name.
    if (!JapaneseDisplayLanguage()) folder += L"\\en";
    CreateFolders(folder);
    return folder;
}

} // namespace lumbrix::test
