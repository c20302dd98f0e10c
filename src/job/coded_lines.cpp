#include "job/coded_lines.h"

#include "job/count_coding.h"

#include <algorithm>
#include <cstring>

namespace lumbrix {
namespace {

enum SourceForm : unsigned char { kNoSource = 0, kTextPrefix = 1, kOwnSource = 2 };
constexpr unsigned char kFormMask = 3;
constexpr unsigned char kFolderBit = 4;
constexpr unsigned char kKeyBit = 8;
constexpr unsigned char kOnlineOnlyBit = 16;

template <typename Char>
std::size_t SharedLength(std::basic_string_view<Char> a, std::basic_string_view<Char> b) noexcept
{
    const std::size_t limit = std::min(a.size(), b.size());
    return std::size_t(std::mismatch(a.begin(), a.begin() + limit, b.begin()).first - a.begin());
}

// The shared count, the rest's count and the rest.
template <typename Char>
unsigned char* PutDifference(unsigned char* at, std::size_t shared, std::basic_string_view<Char> value) noexcept
{
    const std::size_t rest = value.size() - shared;
    at = PutCount(at, shared);
    at = PutCount(at, rest);
    std::memcpy(at, value.data() + shared, rest * sizeof(Char));
    return at + rest * sizeof(Char);
}

template <typename Char>
void GetDifference(const unsigned char*& at, std::basic_string<Char>& value)
{
    const std::size_t shared = GetCount(at);
    const std::size_t rest = GetCount(at);
    value.resize(shared + rest);
    std::memcpy(value.data() + shared, at, rest * sizeof(Char));
    at += rest * sizeof(Char);
}

} // namespace

void WriteCodedLine(ChunkedBytes& out, const CodedLine& line, CodedBase& base)
{
    unsigned char form = kNoSource;
    if (!line.source.empty())
        form = line.source.size() <= line.text.size() && line.text.substr(0, line.source.size()) == line.source
                   ? kTextPrefix
                   : kOwnSource;
    const std::size_t sharedText = SharedLength(base.text, line.text);
    const std::size_t sharedSource = form == kOwnSource ? SharedLength(base.source, line.source) : 0;
    const std::size_t sharedKey = line.key.empty() ? 0 : SharedLength(base.key, line.key);
    const std::size_t most = 1 + 7 * kMostCountBytes + (line.text.size() - sharedText) * sizeof(wchar_t) +
                             (form == kOwnSource ? (line.source.size() - sharedSource) * sizeof(wchar_t) : 0) +
                             (line.key.size() - sharedKey);
    unsigned char* const start = out.Reserve(most);

    unsigned char* at = start;
    *at++ = static_cast<unsigned char>(form | (line.folder ? kFolderBit : 0) | (line.key.empty() ? 0 : kKeyBit) |
                                       (line.onlineOnly ? kOnlineOnlyBit : 0));
    at = PutDifference(at, sharedText, line.text);
    base.text = line.text;
    if (form == kTextPrefix) {
        at = PutCount(at, line.source.size());
    } else if (form == kOwnSource) {
        at = PutDifference(at, sharedSource, line.source);
        base.source = line.source;
    }
    if (!line.key.empty()) {
        at = PutDifference(at, sharedKey, line.key);
        base.key = line.key;
    }
    out.Commit(std::size_t(at - start));
}

void CodedLineWriter::Write(ChunkedBytes& out, const CodedLine& line)
{
    // Every allocation first, so that a failure changes nothing.
    text_.reserve(line.text.size());
    source_.reserve(line.source.size());
    key_.reserve(line.key.size());
    CodedBase base{text_, source_, key_};
    const CodedBase before = base;
    WriteCodedLine(out, line, base);
    if (base.text.data() != before.text.data()) text_.assign(line.text);
    if (base.source.data() != before.source.data()) source_.assign(line.source);
    if (base.key.data() != before.key.data()) key_.assign(line.key);
}

bool CodedLineReader::Next()
{
    while (chunk_ < in_->ChunkCount() && offset_ >= in_->ChunkSize(chunk_)) {
        if (release_) in_->Release(chunk_);
        ++chunk_;
        offset_ = 0;
    }
    if (chunk_ >= in_->ChunkCount()) return false;
    const unsigned char* const start = in_->ChunkData(chunk_) + offset_;
    const unsigned char* at = start;
    const unsigned char tag = *at++;
    GetDifference(at, text_);
    line_.text = text_;
    line_.source = {};
    switch (tag & kFormMask) {
    case kTextPrefix:
        line_.source = line_.text.substr(0, GetCount(at));
        break;
    case kOwnSource:
        GetDifference(at, source_);
        line_.source = source_;
        break;
    }
    line_.folder = (tag & kFolderBit) != 0;
    line_.onlineOnly = (tag & kOnlineOnlyBit) != 0;
    line_.key = {};
    if (tag & kKeyBit) {
        GetDifference(at, key_);
        line_.key = key_;
    }
    offset_ += std::size_t(at - start);
    return true;
}

} // namespace lumbrix
