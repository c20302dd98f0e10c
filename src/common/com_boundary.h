#pragma once
// The one error policy at COM boundaries: every COM method and every export
// ends its body with this, so no exception crosses into the caller. The only
// exception the product's code raises is std::bad_alloc.
//
//   STDMETHODIMP Object::Method(...)
//   try {
//       ...
//   }
//   LUMBRIX_COM_CATCH_RETURN()

#include <windows.h>

#define LUMBRIX_COM_CATCH_RETURN()                                                                \
    catch (...) { return E_OUTOFMEMORY; }
