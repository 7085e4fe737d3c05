// The ".jxp" profile file container: the session's one profile file, opened, written, searched,
// read and closed through Win32 file calls. The bytes are built and checked by
// codec/jxp_format, which knows no Windows.
//
// Only calls that Windows 9x has are used (SetFilePointer and GetFileSize rather than their Ex
// forms): the library loads there too.
#include <cstddef>
#include <cstring>

#include "codec/jxp_format.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"

namespace {

HANDLE OpenByName(bool bAnsi, const void* pName, DWORD dwAccess, DWORD dwShare, DWORD dwDisposition)
{
    if (bAnsi)
        return CreateFileA(static_cast<const char*>(pName), dwAccess, dwShare, nullptr, dwDisposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return CreateFileW(static_cast<const wchar_t*>(pName), dwAccess, dwShare, nullptr, dwDisposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

BOOL DeleteByName(bool bAnsi, const void* pName)
{
    return bAnsi ? DeleteFileA(static_cast<const char*>(pName)) : DeleteFileW(static_cast<const wchar_t*>(pName));
}

DWORD WriteAll(HANDLE h, const void* pData, DWORD cb)
{
    DWORD dwWritten = 0;
    if (cb != 0)
        WriteFile(h, pData, cb, &dwWritten, nullptr);
    return dwWritten;
}

// A disk file gives fewer bytes than asked only at its end; the loop also serves any handle
// that delivers in pieces.
DWORD ReadAll(HANDLE h, void* pDest, DWORD cb)
{
    DWORD dwTotal = 0;
    while (dwTotal < cb) {
        DWORD dwRead = 0;
        if (!ReadFile(h, static_cast<BYTE*>(pDest) + dwTotal, cb - dwTotal, &dwRead, nullptr) || dwRead == 0)
            break;
        dwTotal += dwRead;
    }
    return dwTotal;
}

bool SeekTo(HANDLE h, uint64_t qwOffset)
{
    LONG lHigh = LONG(qwOffset >> 32);
    SetLastError(NO_ERROR);
    DWORD dwLow = SetFilePointer(h, LONG(DWORD(qwOffset)), &lHigh, FILE_BEGIN);
    return !(dwLow == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

LONG CurrentPosition(HANDLE h)
{
    return LONG(SetFilePointer(h, 0, nullptr, FILE_CURRENT));
}

uint64_t FileSize(HANDLE h)
{
    DWORD dwHigh = 0;
    SetLastError(NO_ERROR);
    DWORD dwLow = GetFileSize(h, &dwHigh);
    if (dwLow == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return 0;
    return (uint64_t(dwHigh) << 32) | dwLow;
}

size_t ReadFileAt(void* pContext, uint64_t qwOffset, void* pDest, size_t cb)
{
    HANDLE h = static_cast<HANDLE>(pContext);
    if (!SeekTo(h, qwOffset))
        return 0;
    return ReadAll(h, pDest, DWORD(cb));
}

// Appends one value record and counts what reached the file in the entry's section length.
bool AppendValueRecord(HANDLE h, BYTE* pEntry, int nSection, const char* pszWho, const char* pszValueName,
                       DWORD dwType, const BYTE* pData, DWORD cbData)
{
    if (h == INVALID_HANDLE_VALUE || !pEntry)
        return false;
    BYTE header[JXP_VALUE_HEADER_BYTES];
    // A cut name would store the value under another name on import.
    if (!JxpBuildValueHeader(header, pszValueName, dwType, cbData)) {
        TraceLog("LMPROFJXP::%s - value name too long\n", pszWho);
        return false;
    }
    if (!pData && cbData != 0) {
        TraceLog("LMPROFJXP::%s - no data for %ld bytes\n", pszWho, cbData);
        return false;
    }
    // A length that wrapped would make readers skip to the wrong place.
    if (!JxpSectionCanGrow(pEntry, nSection, uint64_t(JXP_VALUE_HEADER_BYTES) + cbData)) {
        TraceLog("LMPROFJXP::%s - section too long\n", pszWho);
        return false;
    }
    DWORD dwWritten = WriteAll(h, header, sizeof(header));
    JxpSetSectionLength(pEntry, nSection, JxpSectionLength(pEntry, nSection) + dwWritten);
    if (dwWritten != sizeof(header)) {
        // Data behind a cut header could not be told from the next record.
        TraceLog("LMPROFJXP::%s - WriteFile error - %ld\n", pszWho, GetLastError());
        return false;
    }
    dwWritten = WriteAll(h, pData, cbData);
    JxpSetSectionLength(pEntry, nSection, JxpSectionLength(pEntry, nSection) + dwWritten);
    if (dwWritten != cbData) {
        TraceLog("LMPROFJXP::%s - WriteFile error - %ld\n", pszWho, GetLastError());
        return false;
    }
    return true;
}

}  // namespace

bool LMPROFJXP::OpenJxpFile(const void* pFileName, DWORD dwMode)
{
    if (m_bAnsi)
        TraceLog("LMPROFJXP::OpenJxpFile - %s, %d\n", pFileName ? static_cast<const char*>(pFileName) : "", dwMode);
    else
        TraceLogW(L"LMPROFJXP::OpenJxpFile - %s, %d\n", pFileName ? static_cast<const wchar_t*>(pFileName) : L"",
                  dwMode);

    // A file left open would leak its handle, and one opened for reading shares nothing, not
    // even with this session.
    if (m_hJxpFile)
        CloseJxpFile();
    m_dwOpenMode = dwMode;

    if (!pFileName || !m_JxpHead || !m_pProfileEntry) {
        TraceLog("LMPROFJXP::OpenJxpFile - no file name\n");
        return false;
    }
    bool bRead = (dwMode & JXP_OPEN_READ) != 0;
    bool bWrite = (dwMode & JXP_OPEN_WRITE) != 0;
    if (bRead == bWrite) {
        // Both at once would leave the handle for reading behind when the file is created.
        TraceLog("LMPROFJXP::OpenJxpFile - bad mode %d\n", dwMode);
        return false;
    }

    if (bRead) {
        m_hJxpFile.Reset(OpenByName(m_bAnsi, pFileName, GENERIC_READ, 0, OPEN_EXISTING));
        if (!m_hJxpFile) {
            DWORD dwErr = GetLastError();
            TraceLog("OpenFile error = %ld\n", dwErr);
            SetLastError(dwErr);
            return false;
        }
        // A header cut short leaves zeros behind it, never the header of the previous file.
        memset(m_JxpHead.get(), 0, JXP_HEADER_SIZE);
        DWORD dwRead = ReadAll(m_hJxpFile.Get(), m_JxpHead.get(), JXP_HEADER_SIZE);
        if (dwRead != JXP_HEADER_SIZE)
            TraceLog("LMPROFJXP::OpenJxpFile - header cut short, %ld bytes\n", dwRead);
        return true;
    }

    // The header is built first: a model that does not fit refuses the file before an
    // existing one is deleted for it.
    if (m_szModel[0] == '\0')
        GetPrinterModel();
    WORD wDriverVersion = 0;
    if (m_pDefaultDevMode && m_dwDefaultDevModeSize >= offsetof(DEVMODEW, dmDriverVersion) + sizeof(WORD))
        wDriverVersion = reinterpret_cast<const DEVMODEW*>(m_pDefaultDevMode.get())->dmDriverVersion;
    BYTE head[JXP_HEADER_SIZE];
    if (!JxpBuildFileHeader(head, wDriverVersion, WORD(m_dwLanguage), m_szModel)) {
        TraceLog("LMPROFJXP::OpenJxpFile - model too long - %s\n", m_szModel);
        return false;
    }

    // Without the replace bit an existing file is never written over.
    bool bReplace = (dwMode & JXP_OPEN_REPLACE) != 0;
    if (bReplace && !DeleteByName(m_bAnsi, pFileName)) {
        DWORD dwErr = GetLastError();
        if (dwErr != ERROR_FILE_NOT_FOUND && dwErr != ERROR_PATH_NOT_FOUND)
            TraceLog("LMPROFJXP::OpenJxpFile - DeleteFile error - %ld\n", dwErr);
    }
    // Held here until the header is written: a file refused below is closed on the way out.
    AutoFile file(OpenByName(m_bAnsi, pFileName, GENERIC_WRITE, FILE_SHARE_WRITE, bReplace ? OPEN_ALWAYS : CREATE_NEW));
    if (!file) {
        DWORD dwErr = GetLastError();
        TraceLog("LMPROFJXP::OpenJxpFile 1 - OpenFileError - %ld\n", dwErr);
        SetLastError(dwErr);
        return false;
    }
    // A file that could not be deleted (another process holds it without delete sharing) is
    // opened as it is: cut it, so the header written below describes the whole file.
    if (!SetEndOfFile(file.Get())) {
        DWORD dwErr = GetLastError();
        TraceLog("LMPROFJXP::OpenJxpFile - SetEndOfFile error - %ld\n", dwErr);
        SetLastError(dwErr);
        return false;
    }
    memcpy(m_JxpHead.get(), head, JXP_HEADER_SIZE);
    if (WriteAll(file.Get(), head, JXP_HEADER_SIZE) != JXP_HEADER_SIZE) {
        DWORD dwErr = GetLastError();
        TraceLog("LMPROFJXP::OpenJxpFile - WriteFile error - %ld\n", dwErr);
        SetLastError(dwErr);
        return false;
    }
    m_hJxpFile.Reset(file.Release());
    return true;
}

BOOL LMPROFJXP::CloseJxpFile()
{
    TraceLog("LMPROFJXP::CloseJxpFile\n");
    if (!m_hJxpFile) {
        TraceLog("LMPROFJXP::CloseJxpFile - no file open\n");
        return FALSE;
    }
    bool bHeaderWritten = true;
    if (m_dwOpenMode & JXP_OPEN_WRITE) {
        SeekTo(m_hJxpFile.Get(), 0);
        TraceLog("m_JxpHead->nProfCount = %d\n", JxpProfileCount(m_JxpHead.get()));
        bHeaderWritten = WriteAll(m_hJxpFile.Get(), m_JxpHead.get(), JXP_HEADER_SIZE) == JXP_HEADER_SIZE;
        if (!bHeaderWritten)
            TraceLog("LMPROFJXP::CloseJxpFile - WriteFile error - %ld\n", GetLastError());
    }
    BOOL bClosed = m_hJxpFile.Close();
    m_dwOpenMode = 0;
    // A count that did not reach the file leaves a file that lies about its profiles.
    return bClosed && bHeaderWritten;
}

bool LMPROFJXP::FillProfileEntry(const char* pszName, DWORD dwProfileParam1, DWORD dwProfileParam2,
                                 const char* pszDescription)
{
    if (!m_pProfileEntry)
        return false;
    if (m_szModel[0] == '\0')
        GetPrinterModel();
    // A cut text would carry the profile under another name, or for another model.
    switch (JxpBuildEntryHeader(m_pProfileEntry.get(), pszName, dwProfileParam1, dwProfileParam2, pszDescription,
                                m_szModel)) {
    case JXP_ENTRY_FITS:
        return true;
    case JXP_NAME_TOO_LONG:
        TraceLog("LMPROFJXP::FillProfileEntry - profile name too long - %s\n", pszName);
        return false;
    case JXP_DESCRIPTION_TOO_LONG:
        TraceLog("LMPROFJXP::FillProfileEntry - description too long - %s\n", pszName);
        return false;
    case JXP_MODEL_TOO_LONG:
        TraceLog("LMPROFJXP::FillProfileEntry - model too long - %s\n", m_szModel);
        return false;
    }
    return false;
}

bool LMPROFJXP::WriteProfileEntry(const BYTE* pEntry)
{
    TraceLog("Current = %ld, m_dwProfileOffset = %ld\n", CurrentPosition(m_hJxpFile.Get()), m_dwProfileOffset);
    if (!pEntry)
        return false;
    TraceLog("dwDataSize, %ld, %ld, %ld, %ld\n", JxpSectionLength(pEntry, JXP_SECTION_DWORD),
             JxpSectionLength(pEntry, JXP_SECTION_BUFFER), JxpSectionLength(pEntry, JXP_SECTION_VALUE),
             JxpSectionLength(pEntry, JXP_SECTION_SETUP));
    if (!m_hJxpFile)
        return false;
    if (!SeekTo(m_hJxpFile.Get(), m_dwProfileOffset) ||
        WriteAll(m_hJxpFile.Get(), pEntry, JXP_ENTRY_SIZE) != JXP_ENTRY_SIZE) {
        TraceLog("LMPROFJXP::WriteProfileEntry - WriteFile error - %ld\n", GetLastError());
        return false;
    }
    return true;
}

bool LMPROFJXP::AddProfileCount()
{
    if (!m_JxpHead)
        return false;
    if (!JxpAddProfileCount(m_JxpHead.get())) {
        TraceLog("LMPROFJXP::AddProfileCount - no room beyond %d profiles\n", JxpProfileCount(m_JxpHead.get()));
        return false;
    }
    return true;
}

bool LMPROFJXP::WriteRegValueRecord(const char* pszValueName, DWORD dwType, const BYTE* pData, DWORD cbData)
{
    return AppendValueRecord(m_hJxpFile.Get(), m_pProfileEntry.get(), JXP_SECTION_VALUE, "WriteRegValueRecord",
                             pszValueName, dwType, pData, cbData);
}

bool LMPROFJXP::WriteSetupRecord(const char* pszValueName, DWORD dwType, const BYTE* pData, DWORD cbData)
{
    return AppendValueRecord(m_hJxpFile.Get(), m_pProfileEntry.get(), JXP_SECTION_SETUP, "WriteSetupRecord",
                             pszValueName, dwType, pData, cbData);
}

JxpReader LMPROFJXP::FileReader()
{
    return JxpReader{ReadFileAt, m_hJxpFile.Get(), m_hJxpFile ? FileSize(m_hJxpFile.Get()) : 0};
}

bool LMPROFJXP::SeekJxpFile(uint64_t qwOffset, bool bToEnd)
{
    if (!m_hJxpFile)
        return false;
    if (bToEnd)
        qwOffset = FileSize(m_hJxpFile.Get());
    return SeekTo(m_hJxpFile.Get(), qwOffset);
}

DWORD LMPROFJXP::AddDWORD(DWORD dwId, DWORD dwValue, BYTE* pDest)
{
    if (pDest)
        JxpPutDwordRecord(pDest, dwId, dwValue);
    TraceLog("*** AddDWORD %d %ld\n", dwId, dwValue);
    return 0;
}

DWORD LMPROFJXP::AddBuffer(DWORD dwId, const BYTE* pSource, DWORD cbSource, BYTE* pDest)
{
    if (pDest)
        JxpPutBufferRecord(pDest, dwId, pSource, cbSource);
    TraceLog("*** AddBuffer %d %d\n", dwId, cbSource);
    return 0;
}

bool LMPROFJXP::BuffersDiffer(const BYTE* p1, const BYTE* p2, DWORD cb)
{
    if (cb == 0)
        return false;
    if (!p1 || !p2)
        return p1 != p2;
    return memcmp(p1, p2, cb) != 0;
}

bool LMPROFJXP::FindProfileInFile(const char* pszProfile, int nSkipSections)
{
    if (!m_hJxpFile || !m_JxpHead || !m_pProfileEntry)
        return false;
    SeekTo(m_hJxpFile.Get(), JXP_HEADER_SIZE);
    int nCount = JxpProfileCount(m_JxpHead.get());
    if (nCount < 1)
        return false;
    if (nSkipSections < 0 || nSkipSections > JXP_SECTIONS) {
        TraceLog("LMPROFJXP::FindProfileInFile - no section %d\n", nSkipSections);
        return false;
    }

    // Every entry is checked against the file's length before it is searched or skipped, so a
    // damaged file ends the search instead of sending the reads past its end.
    JxpReader reader{ReadFileAt, m_hJxpFile.Get(), FileSize(m_hJxpFile.Get())};
    int nIndex = 0;
    uint64_t qwPosition = 0;
    switch (JxpFindProfile(reader, m_JxpHead.get(), pszProfile, nSkipSections, m_pProfileEntry.get(), &nIndex,
                           &qwPosition)) {
    case JXP_WALK_ENTRY:
        return SeekTo(m_hJxpFile.Get(), qwPosition);
    case JXP_WALK_END:
        break;
    case JXP_WALK_HEADER_CUT:
        TraceLog("LMPROFJXP::FindProfileInFile - file header cut short\n");
        break;
    case JXP_WALK_ENTRY_CUT:
        TraceLog("LMPROFJXP::FindProfileInFile - entry %d of %d cut short\n", nIndex, nCount);
        break;
    case JXP_WALK_DATA_PAST_END:
        TraceLog("LMPROFJXP::FindProfileInFile - entry %d runs past the end of the file\n", nIndex);
        break;
    }
    return false;
}

DWORD LMPROFJXP::ReadJxpData(void* pDest, DWORD cb)
{
    if (!pDest || cb == 0)
        return 0;
    DWORD dwRead = ReadAll(m_hJxpFile.Get(), pDest, cb);
    if (dwRead != cb)
        TraceLog("LMPROFJXP::ReadJxpData - %ld of %ld bytes read\n", dwRead, cb);
    return dwRead;
}
