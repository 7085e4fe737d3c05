#include "codec/command_line.h"

#include <cstring>

void CmdLineArgs::Clear()
{
    memset(m_szArgs, 0, sizeof(m_szArgs));
    m_nCount = 0;
}

int CmdLineArgs::Split(const char* pszLine)
{
    Clear();
    if (!pszLine)
        return 0;
    enum { NONE, DOUBLE, SINGLE } quote = NONE;
    size_t nLength = 0;
    bool bOverflow = false;

    auto store = [&](char c) {
        if (m_nCount >= int(MAX_ARGS) || nLength + 1 >= ARG_CHARS) {
            bOverflow = true;
            return;
        }
        m_szArgs[m_nCount][nLength++] = c;
    };
    auto end = [&]() {
        if (m_nCount >= int(MAX_ARGS)) {
            bOverflow = true;
            return;
        }
        m_szArgs[m_nCount][nLength] = '\0';
        ++m_nCount;
        nLength = 0;
    };

    for (const char* p = pszLine; *p && !bOverflow; ++p) {
        char c = *p;
        if (c == ' ') {
            if (quote != NONE)
                store(c);
            else if (nLength > 0)
                end();
        } else if (c == '"') {
            if (quote == NONE)
                quote = DOUBLE;
            else if (quote == DOUBLE) {
                quote = NONE;
                end();   // a closing quote ends the argument, also an empty one
            } else
                store(c);
        } else if (c == '\'') {
            if (quote == NONE)
                quote = SINGLE;
            else if (quote == SINGLE) {
                quote = NONE;
                end();
            } else
                store(c);
        } else {
            store(c);
        }
    }
    if (!bOverflow && nLength > 0)
        end();
    if (bOverflow) {
        Clear();
        return -1;
    }
    return m_nCount;
}
