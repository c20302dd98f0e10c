#pragma once
// The catch-all at the COM boundary. A COM method or export whose body can
// throw ends it with this macro, so that no exception crosses into the
// caller: whatever escapes becomes E_OUTOFMEMORY, which is right, because the
// only exception the product raises is std::bad_alloc (a string or container
// that grows). A method that cannot throw is declared noexcept instead.
//
//   STDMETHODIMP Object::Method(...)
//   try {
//       ...
//   }
//   LUMBRIX_CATCH_AS_E_OUTOFMEMORY()

#include <windows.h>

#define LUMBRIX_CATCH_AS_E_OUTOFMEMORY()                                                          \
    catch (...) { return E_OUTOFMEMORY; }
