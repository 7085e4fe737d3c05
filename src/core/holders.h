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
    ~AutoFile()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
    }
    AutoFile(const AutoFile&) = delete;
    AutoFile& operator=(const AutoFile&) = delete;
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
