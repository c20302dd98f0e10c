#pragma once
// A data object as the shell hands it to Initialize: CF_HDROP in global
// memory, built from names or from raw bytes, so that tests can also offer
// malformed lists or none at all.

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

namespace lumbrix::test {

// A DROPFILES header (wide names) followed by the names and the closing NUL.
std::vector<BYTE> DropBlock(const std::vector<std::wstring>& names);

// Lives on the test's stack; reference counting is not needed there.
class DropDataObject : public IDataObject {
public:
    // offersHdrop false: GetData answers DV_E_FORMATETC.
    explicit DropDataObject(std::vector<BYTE> block, bool offersHdrop = true)
        : block_(std::move(block)), offersHdrop_(offersHdrop) {}
    static DropDataObject Of(const std::vector<std::wstring>& names) { return DropDataObject(DropBlock(names)); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    // A fresh block per call; bytes past the content (GlobalAlloc may round up)
    // are filled with 'A', so that nothing beyond the content ends a list.
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

    int getDataCalls = 0;

private:
    std::vector<BYTE> block_;
    bool offersHdrop_;
};

} // namespace lumbrix::test
