// The argument list of the command entries and the split of their command line. Portable: no
// Windows header, so the split can be fuzzed natively.
#pragma once
#include <cstddef>

class CmdLineArgs {
public:
    static constexpr size_t MAX_ARGS = 32;
    static constexpr size_t ARG_CHARS = 260;   // terminator included

    CmdLineArgs() { Clear(); }
    void Clear();
    // Splits a command line into arguments: blanks separate them, double or single quotes
    // group blanks into one. Returns the number of arguments; -1 when the line does not fit
    // the list (more than 32 arguments, or one of 260 characters or more), which then holds
    // nothing: a cut argument could name another printer or file.
    int Split(const char* pszLine);
    int Count() const { return m_nCount; }
    // The argument at nIndex, or "" for a missing one.
    const char* Arg(int nIndex) const { return nIndex >= 0 && nIndex < m_nCount ? m_szArgs[nIndex] : ""; }

private:
    char m_szArgs[MAX_ARGS][ARG_CHARS];
    int m_nCount;
};
