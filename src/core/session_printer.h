// The session's own printer handle, or one opened for the length of one operation and closed
// by the holder. Empty when the printer cannot be opened.
#pragma once
#include <windows.h>

#include "core/holders.h"

class LMPROFJXP;

class SessionPrinter {
public:
    // dwAccess 0 opens without printer defaults.
    SessionPrinter(const LMPROFJXP& session, DWORD dwAccess);
    SessionPrinter(const SessionPrinter&) = delete;
    SessionPrinter& operator=(const SessionPrinter&) = delete;
    HANDLE Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    AutoPrinter m_own;
    HANDLE m_h;
};
