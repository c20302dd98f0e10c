#include "job/utf8_text.h"

#include <cstdint>

namespace lumbrix {
namespace {

bool IsHighSurrogate(std::uint32_t unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

void PutCodePoint(std::string& out, std::uint32_t point)
{
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | point >> 6);
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | point >> 12);
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | point >> 18);
        out += static_cast<char>(0x80 | (point >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

} // namespace

bool AppendUtf8(std::string& out, std::wstring_view text, bool keepLoneSurrogates)
{
    bool whole = true;
    out.reserve(out.size() + text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint32_t unit = static_cast<std::uint32_t>(text[i]) & 0xFFFF;
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(std::uint32_t(text[i + 1]) & 0xFFFF)) {
            const std::uint32_t low = static_cast<std::uint32_t>(text[++i]) & 0xFFFF;
            PutCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            whole = false;
            PutCodePoint(out, keepLoneSurrogates ? unit : 0xFFFD);
        } else {
            PutCodePoint(out, unit);
        }
    }
    return whole;
}

void AppendGeneralisedUtf8(std::wstring& out, std::string_view bytes)
{
    std::size_t i = 0;
    const auto continuation = [&](std::size_t at) -> std::uint32_t {
        return at < bytes.size() ? static_cast<std::uint8_t>(bytes[at]) & 0x3F : 0;
    };
    while (i < bytes.size()) {
        const std::uint32_t lead = static_cast<std::uint8_t>(bytes[i]);
        std::uint32_t point = 0;
        if (lead < 0x80) {
            point = lead;
            i += 1;
        } else if (lead < 0xE0) {
            point = (lead & 0x1F) << 6 | continuation(i + 1);
            i += 2;
        } else if (lead < 0xF0) {
            point = (lead & 0x0F) << 12 | continuation(i + 1) << 6 | continuation(i + 2);
            i += 3;
        } else {
            point = (lead & 0x07) << 18 | continuation(i + 1) << 12 | continuation(i + 2) << 6 | continuation(i + 3);
            i += 4;
        }
        if (point >= 0x10000) {
            point -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (point >> 10 & 0x3FF));
            out += static_cast<wchar_t>(0xDC00 + (point & 0x3FF));
        } else {
            out += static_cast<wchar_t>(point);
        }
    }
}

} // namespace lumbrix
