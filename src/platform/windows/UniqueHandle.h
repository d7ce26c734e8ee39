#pragma once

#include "platform/windows/Win32.h"

namespace qel {

// An owned file handle, closed when it goes out of scope. Where a close can
// report a lost write, call close() yourself and check its result.
class UniqueHandle final {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle)
        : m_handle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept
        : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE release() {
        HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (valid())
            CloseHandle(m_handle);
        m_handle = handle;
    }
    // Whether the close succeeded (GetLastError says why not); gone either way.
    bool close() { return CloseHandle(release()) != FALSE; }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

} // namespace qel
