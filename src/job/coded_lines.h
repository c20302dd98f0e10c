#pragma once
// Result lines stored front-coded: a record keeps only what its text, source
// path and sort key do not share with the record before it, which between
// neighbouring paths is little more than the name. Read back in order only.
//
// A record: a tag byte (bits 0-1 the source's form, bit 2 the folder flag,
// bit 3 a key follows, bit 4 the online-only flag); the text as the count of units shared with the
// previous text, the count of units that follow and those units; for a source
// that is the start of the text, its length; for a source of its own, the
// same shared-and-rest form against the previous source of its own; for a
// key, the same in bytes. Counts are LEB128; units are little-endian pairs of
// bytes at any offset.

#include "job/chunked_bytes.h"

#include <string>
#include <string_view>

namespace lumbrix {

struct CodedLine {
    std::wstring_view text;
    std::wstring_view source; // empty when the line has none
    bool folder = false;
    std::string_view key; // empty when the record carries none
    bool onlineOnly = false;
};

// What a record is coded against: the previous text, and the previous
// source and key of their own.
struct CodedBase {
    std::wstring_view text;
    std::wstring_view source;
    std::string_view key;
};

// Appends one record to out, coded against base, and moves base on to the
// line (its views then point into line). A source equal to the start of the
// text is stored as a length. Throws std::bad_alloc; out and base are then
// as they were.
void WriteCodedLine(ChunkedBytes& out, const CodedLine& line, CodedBase& base);

// For lines whose memory is reused for the next one: keeps copies of what
// the next record is coded against.
class CodedLineWriter {
public:
    void Write(ChunkedBytes& out, const CodedLine& line);
    // The next record shares nothing with those before it (a new store).
    void Reset() noexcept
    {
        text_.clear();
        source_.clear();
        key_.clear();
    }

private:
    std::wstring text_;
    std::wstring source_;
    std::string key_;
};

class CodedLineReader {
public:
    // With release set, each chunk is freed as soon as the reader has left it.
    CodedLineReader(ChunkedBytes& in, bool release) noexcept : in_(&in), release_(release) {}

    // The next record; false at the end. Throws std::bad_alloc.
    bool Next();
    const CodedLine& Line() const noexcept { return line_; }
    // The text, terminated (for lstrcmpiW).
    const wchar_t* TextCString() const noexcept { return text_.c_str(); }

private:
    ChunkedBytes* in_;
    bool release_;
    std::size_t chunk_ = 0;
    std::size_t offset_ = 0;
    std::wstring text_;
    std::wstring source_;
    std::string key_;
    CodedLine line_;
};

} // namespace lumbrix
