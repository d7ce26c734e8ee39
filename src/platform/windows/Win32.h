#pragma once

// The Windows headers, for the files of this folder only. Include it after
// the program's own headers: it defines macros named like the program's
// operations (CopyFile, RegOpenKeyEx, ...) and constants (ERROR_SUCCESS,
// HKEY_LOCAL_MACHINE) that the program's headers declare in its namespace.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CopyFile
#undef RegOpenKeyEx
#undef RegQueryValueEx
#undef GetFile

#include <cstdint>

namespace qel {

// A FILETIME as one number: 100 ns steps since 1601.
inline std::uint64_t ticks(const FILETIME& t) {
    return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

} // namespace qel
