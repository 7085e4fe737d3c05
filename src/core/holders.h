// Single-owner holders: the destructor is the only place that releases what was taken.
#pragma once
#include <windows.h>

#include <winspool.h>

// Closes the printer when the holder goes out of scope; empty when the open failed.
class AutoPrinter {
public:
    explicit AutoPrinter(HANDLE h = nullptr) : m_h(h) {}
    ~AutoPrinter() { Reset(); }
    AutoPrinter(const AutoPrinter&) = delete;
    AutoPrinter& operator=(const AutoPrinter&) = delete;
    HANDLE Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void Reset(HANDLE h = nullptr)
    {
        if (m_h)
            ClosePrinter(m_h);
        m_h = h;
    }

private:
    HANDLE m_h;
};

class AutoRegKey {
public:
    AutoRegKey() : m_h(nullptr) {}
    ~AutoRegKey()
    {
        if (m_h)
            RegCloseKey(m_h);
    }
    AutoRegKey(const AutoRegKey&) = delete;
    AutoRegKey& operator=(const AutoRegKey&) = delete;
    HKEY Get() const { return m_h; }
    // For the Reg*Ex calls that fill a handle: only on an empty holder.
    HKEY* Out() { return &m_h; }

private:
    HKEY m_h;
};

class AutoFile {
public:
    explicit AutoFile(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~AutoFile() { Reset(); }
    AutoFile(const AutoFile&) = delete;
    AutoFile& operator=(const AutoFile&) = delete;
    HANDLE Get() const { return m_h; }
    explicit operator bool() const { return m_h != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE h = INVALID_HANDLE_VALUE)
    {
        if (m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
        m_h = h;
    }
    // Hands the handle to another owner; the holder is empty after it.
    HANDLE Release()
    {
        HANDLE h = m_h;
        m_h = INVALID_HANDLE_VALUE;
        return h;
    }
    // Closes now, for a caller that must know whether the close succeeded (a file being written
    // reports its last bytes there); FALSE on an empty holder.
    BOOL Close()
    {
        if (m_h == INVALID_HANDLE_VALUE)
            return FALSE;
        BOOL bClosed = CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
        return bClosed;
    }

private:
    HANDLE m_h;
};

// A kernel object other than a file (a process, a thread): empty is null, not the invalid value.
class AutoHandle {
public:
    explicit AutoHandle(HANDLE h = nullptr) : m_h(h) {}
    ~AutoHandle()
    {
        if (m_h)
            CloseHandle(m_h);
    }
    AutoHandle(const AutoHandle&) = delete;
    AutoHandle& operator=(const AutoHandle&) = delete;
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

// A FindFirstFile search, ended with FindClose.
class AutoFind {
public:
    explicit AutoFind(HANDLE h) : m_h(h) {}
    ~AutoFind()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            FindClose(m_h);
    }
    AutoFind(const AutoFind&) = delete;
    AutoFind& operator=(const AutoFind&) = delete;
    HANDLE Get() const { return m_h; }
    explicit operator bool() const { return m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

class AutoLibrary {
public:
    explicit AutoLibrary(HMODULE h) : m_h(h) {}
    ~AutoLibrary()
    {
        if (m_h)
            FreeLibrary(m_h);
    }
    AutoLibrary(const AutoLibrary&) = delete;
    AutoLibrary& operator=(const AutoLibrary&) = delete;
    HMODULE Get() const { return m_h; }

private:
    HMODULE m_h;
};

// The session's printer: a handle the holder opened itself and closes, or one a caller lent it,
// which stays the caller's to close. Empty when there is none.
class HeldPrinter {
public:
    HeldPrinter() : m_hLent(nullptr) {}
    HeldPrinter(const HeldPrinter&) = delete;
    HeldPrinter& operator=(const HeldPrinter&) = delete;
    void Own(HANDLE h)
    {
        m_own.Reset(h);
        m_hLent = nullptr;
    }
    void Lend(HANDLE h)
    {
        m_own.Reset();
        m_hLent = h;
    }
    // Closes an own handle, forgets a lent one.
    void Reset() { Own(nullptr); }
    HANDLE Get() const { return m_own ? m_own.Get() : m_hLent; }
    bool Owns() const { return bool(m_own); }
    explicit operator bool() const { return Get() != nullptr; }

private:
    AutoPrinter m_own;
    HANDLE m_hLent;
};
