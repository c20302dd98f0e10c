#pragma once
// Error flow at COM boundaries.

#include <windows.h>

// Ends a COM method body: no exception may cross the boundary.
#define LUMBRIX_COM_CATCH_RETURN()                                                                \
    catch (...) { return E_OUTOFMEMORY; }
