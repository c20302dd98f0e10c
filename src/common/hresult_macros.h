#pragma once
// One-line error flow at COM boundaries.

#include <windows.h>

#define LUMBRIX_RETURN_IF_FAILED(expr)                                                            \
    do {                                                                                          \
        const HRESULT lumbrixHr_ = (expr);                                                        \
        if (FAILED(lumbrixHr_)) return lumbrixHr_;                                                \
    } while (0)

#define LUMBRIX_RETURN_HR_IF(hr, condition)                                                       \
    do {                                                                                          \
        if (condition) return (hr);                                                               \
    } while (0)

#define LUMBRIX_RETURN_IF_NULL_ALLOC(ptr)                                                         \
    do {                                                                                          \
        if ((ptr) == nullptr) return E_OUTOFMEMORY;                                               \
    } while (0)

#define LUMBRIX_RETURN_LAST_ERROR_IF(condition)                                                   \
    do {                                                                                          \
        if (condition) return HRESULT_FROM_WIN32(::GetLastError());                               \
    } while (0)

// Ends a COM method body: no exception may cross the boundary.
#define LUMBRIX_COM_CATCH_RETURN()                                                                \
    catch (...) { return E_OUTOFMEMORY; }
