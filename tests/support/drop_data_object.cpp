#include "support/drop_data_object.h"

#include <shlobj.h>

#include <cstring>

namespace lumbrix::test {

std::vector<BYTE> DropBlock(const std::vector<std::wstring>& names)
{
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::vector<BYTE> block(reinterpret_cast<const BYTE*>(&header), reinterpret_cast<const BYTE*>(&header + 1));
    auto append = [&block](const wchar_t* units, std::size_t count) {
        const auto* bytes = reinterpret_cast<const BYTE*>(units);
        block.insert(block.end(), bytes, bytes + count * sizeof(wchar_t));
    };
    for (const std::wstring& name : names) append(name.c_str(), name.size() + 1);
    append(L"\0", names.empty() ? 2 : 1); // an empty list still has two NULs
    return block;
}

STDMETHODIMP DropDataObject::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDataObject)) return E_NOINTERFACE;
    *ppv = static_cast<IDataObject*>(this);
    return S_OK;
}

STDMETHODIMP DropDataObject::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    ++getDataCalls;
    if (!offersHdrop_ || format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, block_.size());
    if (!block) return E_OUTOFMEMORY;
    auto* bytes = static_cast<BYTE*>(::GlobalLock(block));
    std::memset(bytes, 'A', ::GlobalSize(block));
    std::memcpy(bytes, block_.data(), block_.size());
    ::GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

} // namespace lumbrix::test
