#include "common/text_table.h"

#include "common/module_identity.h"

#include <cstring>
#include <memory>
#include <new>

namespace lumbrix {
namespace {

constexpr UINT kTextsPerBlock = 16;

LANGID LanguageId(TextLanguage language) noexcept
{
    switch (language) {
    case TextLanguage::Japanese:
        return MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    case TextLanguage::English:
        return MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    default:
        return MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    }
}

// The string resource block of one language that holds the texts firstId to
// firstId + 15: sixteen counted strings, without terminators.
class StringBlock {
public:
    StringBlock(LANGID language, UINT firstId) noexcept
    {
        const HRSRC found = ::FindResourceExW(moduleInstance, RT_STRING,
                                              MAKEINTRESOURCEW(firstId / kTextsPerBlock + 1), language);
        if (!found) return;
        const HGLOBAL loaded = ::LoadResource(moduleInstance, found);
        units_ = loaded ? static_cast<const wchar_t*>(::LockResource(loaded)) : nullptr;
        count_ = units_ ? ::SizeofResource(moduleInstance, found) / sizeof(wchar_t) : 0;
    }

    // Calls visit(index, units, length) for each of the sixteen texts that is
    // there, stopping at a count that would run past the block.
    template <typename Visit>
    void ForEach(Visit visit) const noexcept
    {
        DWORD at = 0;
        for (UINT index = 0; index < kTextsPerBlock && at < count_; ++index) {
            const DWORD length = units_[at++];
            if (length > count_ - at) return;
            if (length > 0) visit(index, units_ + at, length);
            at += length;
        }
    }

private:
    const wchar_t* units_ = nullptr;
    DWORD count_ = 0;
};

// Every text of one table in [first, end), copied once into one block with
// terminators, since the resource holds them without.
class TextTable {
public:
    TextTable(TextLanguage language, UINT first, UINT end) noexcept : first_(first), end_(end)
    {
        const LANGID id = LanguageId(language);
        std::size_t units = 0;
        for (UINT block = first; block < end; block += kTextsPerBlock)
            StringBlock(id, block).ForEach([&](UINT, const wchar_t*, DWORD length) { units += length + 1; });
        texts_.reset(new (std::nothrow) const wchar_t*[end - first]);
        storage_.reset(new (std::nothrow) wchar_t[units > 0 ? units : 1]);
        if (!texts_ || !storage_) {
            texts_.reset();
            return;
        }
        for (UINT index = 0; index < end - first; ++index) texts_[index] = L"";
        wchar_t* out = storage_.get();
        for (UINT block = first; block < end; block += kTextsPerBlock) {
            StringBlock(id, block).ForEach([&](UINT index, const wchar_t* text, DWORD length) {
                const UINT slot = block - first + index;
                if (slot >= end - first) return;
                std::memcpy(out, text, length * sizeof(wchar_t));
                out[length] = 0;
                texts_[slot] = out;
                out += length + 1;
            });
        }
    }

    const wchar_t* Get(UINT id) const noexcept
    {
        if (!texts_ || id < first_ || id >= end_) return L"";
        return texts_[id - first_];
    }

private:
    UINT first_;
    UINT end_;
    std::unique_ptr<const wchar_t*[]> texts_;
    std::unique_ptr<wchar_t[]> storage_;
};

const TextTable& TableOf(TextLanguage language) noexcept
{
    // Built on first use; the language's table stays for the life of the module.
    switch (language) {
    case TextLanguage::Japanese: {
        static const TextTable japanese(TextLanguage::Japanese, IDS_FIRST_TEXT, IDS_TEXT_END);
        return japanese;
    }
    case TextLanguage::English: {
        static const TextTable english(TextLanguage::English, IDS_FIRST_TEXT, IDS_TEXT_END);
        return english;
    }
    default: {
        static const TextTable names(TextLanguage::Untranslated, IDS_FIRST_NAME, IDS_NAME_END);
        return names;
    }
    }
}

} // namespace

TextLanguage DisplayLanguage() noexcept
{
    static const TextLanguage language = PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE
                                             ? TextLanguage::Japanese
                                             : TextLanguage::English;
    return language;
}

const wchar_t* Text(UINT id) noexcept
{
    return TableOf(DisplayLanguage()).Get(id);
}

const wchar_t* TextIn(TextLanguage language, UINT id) noexcept
{
    return TableOf(language).Get(id);
}

} // namespace lumbrix
