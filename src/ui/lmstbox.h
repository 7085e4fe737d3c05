// The status box: a small pop-up in the middle of the screen that tells the user the installer
// is busy, with a running number repainted once a second by a thread of its own, because the
// owner thread does its long work without handling window messages.
#pragma once
#include <windows.h>

#include <atomic>

class LMSTBOX {
public:
    // Shows the box before it returns. Without a window (the class is still registered by
    // another box, or the window could not be created) nothing is shown and no thread runs.
    LMSTBOX(HWND hParent, const char* pszText, HFONT hFont);
    ~LMSTBOX();
    LMSTBOX(const LMSTBOX&) = delete;
    LMSTBOX& operator=(const LMSTBOX&) = delete;

    void CreateStatusBox();
    // Draws the text and the count into the window, then counts the paint. bPaintMessage:
    // called for WM_PAINT (begin/end paint) rather than by the painter thread (window DC).
    void OnPaint(HWND hWnd, bool bPaintMessage);
    static DWORD WINAPI StatusBoxProc(LPVOID pBox);

    HWND GetWindow() const { return m_hWnd; }
    int GetPaintCount() const { return m_nPaintCount; }

private:
    char m_szText[260];
    // Shared with the painter thread.
    std::atomic<bool> m_bRunning;
    std::atomic<bool> m_bPainterAlive;
    std::atomic<int> m_nPaintCount;
    HWND m_hParent;
    HWND m_hWnd;
    HFONT m_hFont;
    HANDLE m_hPainter;   // the painter thread, joined by the destructor
    HANDLE m_hWake;      // wakes the painter out of its second's sleep when the box goes

    // The painter's second between two paints; the destructor cuts it short.
    void WaitASecond();
    // Fills the window and writes the text with the count into it.
    void Draw(HWND hWnd, HDC hdc, int nCount);
};

LRESULT CALLBACK StatusBoxWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
