#include "job/list_text_decoder.h"

namespace lumbrix {
namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;

} // namespace

bool ListTextDecoder::Put(std::uint32_t unit, TextLineSink& sink)
{
    if (unit == L'\n') {
        if (afterCr_) {
            afterCr_ = false;
            return true;
        }
        return EndLine(sink);
    }
    if (unit == L'\r') {
        afterCr_ = true;
        return EndLine(sink);
    }
    afterCr_ = false;
    if (overlong_) return true;
    if (line_.size() >= kLongestLine) {
        overlong_ = true;
        line_.clear();
        return true;
    }
    line_ += static_cast<wchar_t>(unit);
    return true;
}

bool ListTextDecoder::EndLine(TextLineSink& sink)
{
    const bool dropped = overlong_;
    overlong_ = false;
    if (dropped) {
        ++dropped_;
        return true;
    }
    const bool more = sink.Line(line_);
    line_.clear();
    if (!more) stopped_ = true;
    return more;
}

bool ListTextDecoder::Feed(const std::uint8_t* data, std::size_t size, TextLineSink& sink)
{
    if (stopped_) return false;
    // The first three bytes wait until they show whether a mark begins the text.
    while (encoding_ == Encoding::Unknown && size > 0) {
        head_[headSize_++] = *data++;
        --size;
        if (headSize_ == 3 && !Decide(sink)) return false;
    }
    if (encoding_ == Encoding::Utf8) return DecodeUtf8(data, size, sink);
    return DecodeUtf16(data, size, sink);
}

bool ListTextDecoder::Decide(TextLineSink& sink)
{
    std::size_t skip = 0;
    encoding_ = Encoding::Utf8;
    if (headSize_ >= 2 && head_[0] == 0xFF && head_[1] == 0xFE) {
        encoding_ = Encoding::Utf16Le;
        skip = 2;
    } else if (headSize_ >= 2 && head_[0] == 0xFE && head_[1] == 0xFF) {
        encoding_ = Encoding::Utf16Be;
        skip = 2;
    } else if (headSize_ == 3 && head_[0] == 0xEF && head_[1] == 0xBB && head_[2] == 0xBF) {
        skip = 3;
    }
    const std::size_t rest = headSize_ - skip;
    headSize_ = 0;
    if (encoding_ == Encoding::Utf8) return DecodeUtf8(head_ + skip, rest, sink);
    return DecodeUtf16(head_ + skip, rest, sink);
}

bool ListTextDecoder::DecodeUtf8(const std::uint8_t* data, std::size_t size, TextLineSink& sink)
{
    for (std::size_t i = 0; i < size; ++i) {
        // A run of ASCII within a line, the bulk of every list, in one piece.
        if (due_ == 0 && data[i] >= 0x20 && data[i] < 0x80) {
            std::size_t end = i + 1;
            while (end < size && data[end] >= 0x20 && data[end] < 0x80) ++end;
            afterCr_ = false;
            if (!overlong_ && line_.size() + (end - i) > kLongestLine) {
                overlong_ = true;
                line_.clear();
            }
            if (!overlong_) line_.append(data + i, data + end);
            i = end - 1;
            continue;
        }
        const std::uint8_t byte = data[i];
        if (due_ > 0) {
            if (byte >= nextLow_ && byte <= nextHigh_) {
                point_ = point_ << 6 | (byte & 0x3F);
                nextLow_ = 0x80;
                nextHigh_ = 0xBF;
                if (--due_ > 0) continue;
                if (point_ >= 0x10000) {
                    point_ -= 0x10000;
                    if (!Put(0xD800 + (point_ >> 10), sink) || !Put(0xDC00 + (point_ & 0x3FF), sink)) return false;
                } else if (!Put(point_, sink)) {
                    return false;
                }
                continue;
            }
            // A sequence cut short: one replacement, and the byte starts afresh.
            due_ = 0;
            nextLow_ = 0x80;
            nextHigh_ = 0xBF;
            if (!Put(kReplacement, sink)) return false;
        }
        if (byte < 0x80) {
            if (!Put(byte, sink)) return false;
        } else if (byte >= 0xC2 && byte <= 0xDF) {
            point_ = byte & 0x1F;
            due_ = 1;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            point_ = byte & 0x0F;
            due_ = 2;
            if (byte == 0xE0) nextLow_ = 0xA0;
            if (byte == 0xED) nextHigh_ = 0x9F;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            point_ = byte & 0x07;
            due_ = 3;
            if (byte == 0xF0) nextLow_ = 0x90;
            if (byte == 0xF4) nextHigh_ = 0x8F;
        } else if (!Put(kReplacement, sink)) {
            return false;
        }
    }
    return true;
}

bool ListTextDecoder::DecodeUtf16(const std::uint8_t* data, std::size_t size, TextLineSink& sink)
{
    const bool little = encoding_ == Encoding::Utf16Le;
    for (std::size_t i = 0; i < size; ++i) {
        if (!hasOddByte_) {
            oddByte_ = data[i];
            hasOddByte_ = true;
            continue;
        }
        hasOddByte_ = false;
        const std::uint32_t unit = little ? (std::uint32_t(data[i]) << 8 | oddByte_) : (std::uint32_t(oddByte_) << 8 | data[i]);
        if (!Put(unit, sink)) return false;
    }
    return true;
}

bool ListTextDecoder::FeedUnits(const wchar_t* units, std::size_t count, TextLineSink& sink)
{
    if (stopped_) return false;
    std::size_t i = 0;
    if (!unitsStarted_ && count > 0) {
        unitsStarted_ = true;
        if (units[0] == 0xFEFF) i = 1;
    }
    for (; i < count; ++i)
        if (!Put(static_cast<std::uint32_t>(units[i]) & 0xFFFF, sink)) return false;
    return true;
}

bool ListTextDecoder::Finish(TextLineSink& sink)
{
    bool more = !stopped_;
    if (more && encoding_ == Encoding::Unknown && headSize_ > 0) more = Decide(sink);
    // An incomplete sequence or a lone byte at the very end.
    if (more && (due_ > 0 || hasOddByte_)) more = Put(kReplacement, sink);
    if (more && (!line_.empty() || overlong_)) more = EndLine(sink);
    const std::uint64_t dropped = dropped_;
    *this = ListTextDecoder();
    dropped_ = dropped;
    return more;
}

} // namespace lumbrix
