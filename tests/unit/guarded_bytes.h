// Bytes that end where readable memory ends: the page after them is reserved and never
// committed, so a read one byte past them faults instead of passing unnoticed.
#pragma once
#include <windows.h>

#include <cstring>

class GuardedBytes {
public:
    // cb bytes, zero-filled, followed directly by the unreadable page.
    explicit GuardedBytes(size_t cb) : m_pBase(nullptr), m_p(nullptr), m_cb(cb)
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        size_t cbPages = (cb + si.dwPageSize - 1) / si.dwPageSize * si.dwPageSize;
        m_pBase = static_cast<BYTE*>(VirtualAlloc(nullptr, cbPages + si.dwPageSize, MEM_RESERVE, PAGE_NOACCESS));
        if (m_pBase && (cbPages == 0 || VirtualAlloc(m_pBase, cbPages, MEM_COMMIT, PAGE_READWRITE)))
            m_p = m_pBase + cbPages - cb;
    }
    ~GuardedBytes()
    {
        if (m_pBase)
            VirtualFree(m_pBase, 0, MEM_RELEASE);
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    BYTE* Get() const { return m_p; }
    size_t Size() const { return m_cb; }
    explicit operator bool() const { return m_p != nullptr; }
    // Stores bytes at off when they lie inside; false (nothing stored) otherwise.
    bool Put(size_t off, const void* p, size_t n)
    {
        if (!m_p || off > m_cb || m_cb - off < n)
            return false;
        memcpy(m_p + off, p, n);
        return true;
    }

private:
    BYTE* m_pBase;
    BYTE* m_p;
    size_t m_cb;
};
