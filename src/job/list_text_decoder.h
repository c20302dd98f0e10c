#pragma once
// Turns the bytes of a list file, or UTF-16 text, into lines, piece by piece,
// so that no whole second copy of a large text is ever made. Forgiving: a
// byte-order mark picks UTF-8, UTF-16 LE or UTF-16 BE (no mark: UTF-8);
// bytes that are not UTF-8 become U+FFFD; LF, CR LF and a lone CR all end a
// line; a line longer than kLongestLine units is dropped whole. Memory stays
// within one line however the input looks. Portable.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumbrix {

// Receives every line without its line break.
class TextLineSink {
public:
    // False stops the decoding (the input is not wanted any more).
    virtual bool Line(std::wstring_view line) = 0;

protected:
    ~TextLineSink() = default;
};

class ListTextDecoder {
public:
    // Room for the longest path (32767 units) and every column of a line.
    static constexpr std::size_t kLongestLine = 65536;

    // Bytes of a file. False once the sink has stopped the decoding.
    bool Feed(const std::uint8_t* data, std::size_t size, TextLineSink& sink);
    // UTF-16 units (the clipboard's text), one unit per wchar_t. A text that
    // begins with U+FEFF loses it.
    bool FeedUnits(const wchar_t* units, std::size_t count, TextLineSink& sink);
    // The last line when the input did not end with a line break. After this
    // the decoder is ready for a new input.
    bool Finish(TextLineSink& sink);

    // Lines dropped for their length.
    std::uint64_t DroppedLines() const noexcept { return dropped_; }

private:
    enum class Encoding : std::uint8_t { Unknown, Utf8, Utf16Le, Utf16Be };

    bool Decide(TextLineSink& sink);
    bool DecodeUtf8(const std::uint8_t* data, std::size_t size, TextLineSink& sink);
    bool DecodeUtf16(const std::uint8_t* data, std::size_t size, TextLineSink& sink);
    bool Put(std::uint32_t unit, TextLineSink& sink);
    bool EndLine(TextLineSink& sink);

    Encoding encoding_ = Encoding::Unknown;
    std::uint8_t head_[3] = {}; // the first bytes, until the mark is known
    std::size_t headSize_ = 0;
    bool unitsStarted_ = false;
    // A UTF-8 sequence in progress: the code point so far, the continuation
    // bytes still due and the bounds of the next one (which rule out
    // overlong forms, surrogates and points beyond U+10FFFF).
    std::uint32_t point_ = 0;
    int due_ = 0;
    std::uint8_t nextLow_ = 0x80;
    std::uint8_t nextHigh_ = 0xBF;
    // A UTF-16 unit's first byte.
    std::uint8_t oddByte_ = 0;
    bool hasOddByte_ = false;

    std::wstring line_;
    bool overlong_ = false;  // the line passed kLongestLine: dropped at its end
    bool afterCr_ = false;   // an LF right after a CR ends no second line
    bool stopped_ = false;
    std::uint64_t dropped_ = 0;
};

} // namespace lumbrix
