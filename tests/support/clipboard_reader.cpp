#include "support/clipboard_reader.h"

#include <cstring>

namespace lumbrix::test {
namespace {

bool OpenWithRetry()
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (::OpenClipboard(nullptr)) return true;
        ::Sleep(10);
    }
    return false;
}

} // namespace

std::optional<ClipboardText> ReadClipboard()
{
    if (!OpenWithRetry()) return std::nullopt;
    std::optional<ClipboardText> result;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        const SIZE_T bytes = ::GlobalSize(data);
        if (const void* units = ::GlobalLock(data)) {
            ClipboardText text;
            text.blockBytes = bytes;
            text.units.assign(static_cast<const wchar_t*>(units), bytes / sizeof(wchar_t));
            ::GlobalUnlock(data);
            result = std::move(text);
        }
    }
    ::CloseClipboard();
    return result;
}

bool WriteClipboard(const std::wstring& text)
{
    if (!OpenWithRetry()) return false;
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool done = false;
    if (block) {
        std::memcpy(::GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        ::GlobalUnlock(block);
        done = ::SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!done) ::GlobalFree(block);
    }
    ::CloseClipboard();
    return done;
}

bool ClearClipboard()
{
    if (!OpenWithRetry()) return false;
    const bool done = ::EmptyClipboard();
    ::CloseClipboard();
    return done;
}

DWORD ClipboardSequence() { return ::GetClipboardSequenceNumber(); }

} // namespace lumbrix::test
