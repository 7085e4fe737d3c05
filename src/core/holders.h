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

// ---- GDI ----------------------------------------------------------------------------------
// A drawing takes its objects in this order, so that they go in the reverse one: the object the
// holder created first, then its selection into the DC; the selection is undone before the
// object is deleted, as GDI requires.

// Deletes the pen, brush, bitmap or palette it was given; empty when the creation failed.
template <class H>
class AutoGdiObject {
public:
    explicit AutoGdiObject(H h = nullptr) : m_h(h) {}
    ~AutoGdiObject()
    {
        if (m_h)
            DeleteObject(m_h);
    }
    AutoGdiObject(const AutoGdiObject&) = delete;
    AutoGdiObject& operator=(const AutoGdiObject&) = delete;
    H Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    H m_h;
};

// A memory DC (CreateCompatibleDC), deleted with the holder.
class AutoMemoryDC {
public:
    explicit AutoMemoryDC(HDC hdcLike) : m_h(CreateCompatibleDC(hdcLike)) {}
    ~AutoMemoryDC()
    {
        if (m_h)
            DeleteDC(m_h);
    }
    AutoMemoryDC(const AutoMemoryDC&) = delete;
    AutoMemoryDC& operator=(const AutoMemoryDC&) = delete;
    HDC Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    HDC m_h;
};

// A window's DC (GetDC), released to its window with the holder.
class AutoWindowDC {
public:
    explicit AutoWindowDC(HWND hWnd) : m_hWnd(hWnd), m_h(GetDC(hWnd)) {}
    ~AutoWindowDC()
    {
        if (m_h)
            ReleaseDC(m_hWnd, m_h);
    }
    AutoWindowDC(const AutoWindowDC&) = delete;
    AutoWindowDC& operator=(const AutoWindowDC&) = delete;
    HDC Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    HWND m_hWnd;
    HDC m_h;
};

// A WM_PAINT's painting (BeginPaint), ended with the holder.
class AutoPaint {
public:
    explicit AutoPaint(HWND hWnd) : m_hWnd(hWnd) { m_h = BeginPaint(hWnd, &m_ps); }
    ~AutoPaint()
    {
        if (m_h)
            EndPaint(m_hWnd, &m_ps);
    }
    AutoPaint(const AutoPaint&) = delete;
    AutoPaint& operator=(const AutoPaint&) = delete;
    HDC Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps;
    HDC m_h;
};

// An object selected into a DC; the one it replaced is selected back with the holder. Nothing
// is selected for an empty object.
class AutoSelect {
public:
    AutoSelect(HDC hdc, HGDIOBJ h) : m_hdc(hdc), m_hOld(hdc && h ? SelectObject(hdc, h) : nullptr) {}
    ~AutoSelect()
    {
        if (m_hOld && m_hOld != HGDI_ERROR)
            SelectObject(m_hdc, m_hOld);
    }
    AutoSelect(const AutoSelect&) = delete;
    AutoSelect& operator=(const AutoSelect&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_hOld;
};

// A palette selected into a DC (SelectPalette), the one it replaced selected back with the
// holder.
class AutoSelectPalette {
public:
    AutoSelectPalette(HDC hdc, HPALETTE h) : m_hdc(hdc), m_hOld(hdc && h ? SelectPalette(hdc, h, FALSE) : nullptr) {}
    ~AutoSelectPalette()
    {
        if (m_hOld)
            SelectPalette(m_hdc, m_hOld, FALSE);
    }
    AutoSelectPalette(const AutoSelectPalette&) = delete;
    AutoSelectPalette& operator=(const AutoSelectPalette&) = delete;
    explicit operator bool() const { return m_hOld != nullptr; }

private:
    HDC m_hdc;
    HPALETTE m_hOld;
};

// The DC's state saved (SaveDC) and restored with the holder.
class AutoSavedDC {
public:
    explicit AutoSavedDC(HDC hdc) : m_hdc(hdc), m_nSaved(hdc ? SaveDC(hdc) : 0) {}
    ~AutoSavedDC()
    {
        if (m_nSaved)
            RestoreDC(m_hdc, m_nSaved);
    }
    AutoSavedDC(const AutoSavedDC&) = delete;
    AutoSavedDC& operator=(const AutoSavedDC&) = delete;

private:
    HDC m_hdc;
    int m_nSaved;
};
