// Installation files for the INI tests, written at run time from exact bytes (8-bit text in a
// given code page, or UTF-16) into a work folder of the test's own, with the trace on.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "core/trace.h"
#include "installer/ini_file.h"
#include "test_support.h"

inline std::wstring Widen(const std::string& text, UINT uCodePage = CP_ACP)
{
    std::wstring out(text.size() + 1, L'\0');
    out.resize(size_t(MultiByteToWideChar(uCodePage, 0, text.data(), int(text.size()), &out[0], int(out.size()))));
    return out;
}

// UTF-16 little-endian bytes of a text, after the mark FF FE.
inline std::string Utf16Bytes(const std::wstring& text)
{
    std::string bytes;
    for (wchar_t c : L"\xFEFF" + text)
        bytes += {char(c & 0xFF), char(c >> 8)};
    return bytes;
}

class IniTest : public testing::Test {
protected:
    IniTest() : m_files(testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
    }
    void TearDown() override
    {
        InitTraceFlag(FALSE);
        OverrideNativeArchitecture(-1);
    }
    // Writes the bytes to the folder-relative path (its folders are made); the full path.
    std::string Put(const std::string& rel, const std::string& bytes)
    {
        if (rel.find('\\') != std::string::npos)
            m_files.SubDir(rel.substr(0, rel.rfind('\\')));
        WriteBytes(m_files.Path(rel), Bytes(bytes.begin(), bytes.end()));
        return m_files.Path(rel);
    }
    // A key's value through the decorated lookup, which serves both encodings, in cch characters;
    // "<none>" when nothing answers.
    static std::wstring Value(INIFILE& ini, const std::wstring& section, const wchar_t* key, DWORD cch = INI_LINE_CHARS)
    {
        std::wstring result(INI_LINE_CHARS, L'#');
        return ini.GetDecoratedValueW(section.c_str(), key, &result[0], cch, 0) ? result.c_str() : L"<none>";
    }

    WorkFolder m_files;
};
