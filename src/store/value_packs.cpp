// Profile value packs: per registry number n, an index value "JXP_%04d" listing the pack's value
// names, types and sizes, and one data value "JXP_%04d_%s" per entry. On Windows 9x the data of
// the profiles other than "Factory Default" lives in files in the driver's directory instead.
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <vector>

#include "codec/store_records.h"
#include "core/cells.h"
#include "core/holders.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "store/profile_store.h"

namespace {

constexpr size_t VALUE_NAME_FIELD = sizeof(ProfileValueEntry::szValueName);

void MakeIndexName(char (&szOut)[32], int nRegNum)
{
    wsprintfA(szOut, "JXP_%04d", nRegNum);
}

// "JXP_%04d_%s"; false when the name would not fit a 260-byte value name (and so could not be
// listed in the index whole).
bool MakeDataName(char (&szOut)[VALUE_NAME_FIELD], int nRegNum, const char* pszValue)
{
    char szPrefix[32];
    wsprintfA(szPrefix, "JXP_%04d_", nRegNum);
    size_t nPrefix = strlen(szPrefix);
    size_t nValue = strlen(pszValue);
    if (nPrefix + nValue >= VALUE_NAME_FIELD)
        return false;
    memcpy(szOut, szPrefix, nPrefix);
    memcpy(szOut + nPrefix, pszValue, nValue + 1);
    return true;
}

// "%s\\%s_%s" with the driver directory, the printer name and the data value name. A backslash
// or colon in the file-name part would lead out of the driver directory (a value name comes
// from a profile file), so they become underscores there. False when the path does not fit.
bool MakeDataFilePath(char (&szOut)[MAX_PATH], const char* pszDriverDir, const char* pszPrinter, const char* pszData)
{
    size_t nDir = strlen(pszDriverDir), nPrinter = strlen(pszPrinter), nData = strlen(pszData);
    if (nDir == 0 || nDir + 1 + nPrinter + 1 + nData >= MAX_PATH)
        return false;
    char* p = szOut;
    memcpy(p, pszDriverDir, nDir);
    p += nDir;
    *p++ = '\\';
    char* pFile = p;
    memcpy(p, pszPrinter, nPrinter);
    p += nPrinter;
    *p++ = '_';
    memcpy(p, pszData, nData);
    p += nData;
    *p = '\0';
    for (char* q = pFile; *q; ++q) {
        if (*q == '\\' || *q == ':')
            *q = '_';
    }
    return true;
}

// The whole of an opened Windows 9x data file, cbFile bytes, into pBuffer; false, with a trace
// line, when the file gives fewer (it shrank since it was measured, or the read failed).
bool ReadDataFile(const AutoFile& file, const char* pszPath, BYTE* pBuffer, DWORD cbFile)
{
    DWORD cbRead = 0;
    if (!ReadFile(file.Get(), pBuffer, cbFile, &cbRead, nullptr) || cbRead != cbFile) {
        TraceLog("LMPROFJXP::LoadProfileRegValue - read error %ld\n", GetLastError());
        return false;
    }
    TraceLog("LMPROFJXP::LoadProfileRegValue\nFile - %s, %ld bytes read\n", pszPath, cbRead);
    return true;
}

}  // namespace

void LMPROFJXP::SaveProfileRegValue(const char* pszProfile, int nRegNum, const char* pszValue, const BYTE* pData,
                                    DWORD cbData, DWORD dwType)
{
    PROFILEVALUE value = {pszValue, pData, cbData, dwType};
    SaveProfileRegValues(pszProfile, nRegNum, &value, 1);
}

DWORD LMPROFJXP::SaveProfileRegValues(const char* pszProfile, int nRegNum, const PROFILEVALUE* pValues, DWORD nValues,
                                      bool bNewPack)
{
    if (nRegNum == REG_NUM_BY_NAME)
        nRegNum = int(GetProfRegNum(pszProfile));
    char szIndex[32];
    MakeIndexName(szIndex, nRegNum);

    // The index is read once, at the first value that can be stored, and kept here as the
    // printer holds it after each value. A new pack starts from no entry at all: whatever index
    // lies under the number is replaced whole by the first value's.
    std::vector<BYTE> index;
    bool bIndexRead = bNewPack;
    DWORD nStored = 0;
    for (DWORD v = 0; v < nValues; ++v) {
        const char* pszValue = pValues[v].pszName;
        const BYTE* pData = pValues[v].pData;
        DWORD cbData = pValues[v].cbData, dwType = pValues[v].dwType;
        TraceLog("LMPROFJXP::SaveProfileRegValue\n");
        TraceLog("*** tszProfKeyName = %s\n", szIndex);
        TraceLog("*** tszValueName = %s\n", pszValue ? pszValue : "");

        // Names holding "JXP_" would collide with the pack's own value names.
        if (!pszValue || strstr(pszValue, "JXP_"))
            continue;
        // Checked before the index is touched, so no entry lists a value that cannot be stored.
        char szData[VALUE_NAME_FIELD];
        if (!MakeDataName(szData, nRegNum, pszValue)) {
            TraceLog("LMPROFJXP::SaveProfileRegValue - value name too long - %s\n", pszValue);
            continue;
        }
        bool bFile = m_bAnsi && nRegNum != 0;
        char szPath[MAX_PATH];
        if (bFile) {
            if (!MakeDataFilePath(szPath, m_szDriverDir, m_tszPrinterName, szData)) {
                TraceLog("LMPROFJXP::SaveProfileRegValue - no file path for %s\n", szData);
                continue;
            }
            ReplaceInvalidChar4Filename(szPath);
        }

        if (!bIndexRead) {
            // Writing back an index that was not read would replace the pack's list with
            // garbage: only a missing or empty one counts as none.
            DWORD dwErr = ERROR_NOT_ENOUGH_MEMORY, cbIndex = 0;
            try {
                index.resize(VALUE_INDEX_FIRST_READ);
                DWORD dwIndexType = 0;
                cbIndex = ReadRegValue(PRINTER_DRIVER_DATA, szIndex, &index, &dwIndexType, &dwErr);
            } catch (const std::exception&) {
                cbIndex = 0;
            }
            TraceLog("dwRead = %ld\n", cbIndex);
            if ((cbIndex == 0 && dwErr != ERROR_FILE_NOT_FOUND && dwErr != ERROR_SUCCESS) ||
                cbIndex > MAXDWORD - VALUE_ENTRY_BYTES) {
                TraceLog("LMPROFJXP::SaveProfileRegValue - index unreadable - %s\n", szIndex);
                return nStored;
            }
            index.resize(cbIndex);
            bIndexRead = true;
        } else {
            TraceLog("dwRead = %ld\n", DWORD(index.size()));
        }

        // The index as it will list the value: every entry of the name takes the new size, or
        // a new entry follows the last whole one (a cut entry at the end is dropped). What it
        // held before is kept aside only when entries change in place or a cut one is dropped;
        // a new entry at the end is simply cut off again.
        size_t cbBefore = index.size();
        size_t cbWhole = WholeValueEntries(cbBefore) * VALUE_ENTRY_BYTES;
        std::vector<BYTE> before;
        try {
            bool bListed = false;
            for (size_t off = 0; off < cbWhole && !bListed; off += VALUE_ENTRY_BYTES)
                bListed = FieldIs(reinterpret_cast<const char*>(index.data() + off), VALUE_NAME_FIELD, pszValue);
            if (bListed || cbWhole != cbBefore)
                before = index;
            if (bListed) {
                SetValueEntrySize(index.data(), cbWhole, pszValue, cbData);
            } else {
                index.resize(cbWhole + VALUE_ENTRY_BYTES);
                EncodeValueEntry(index.data() + cbWhole, pszValue, dwType, cbData);
            }
        } catch (const std::exception&) {
            TraceLog("LMPROFJXP::SaveProfileRegValue - out of memory - %s\n", pszValue);
            return nStored;
        }
        auto undo = [&] {
            if (!before.empty())
                index.swap(before);
            else
                index.resize(cbBefore);
        };

        // The data first, the index after it: a store cut short leaves no entry for a value
        // whose data is not there.
        if (bFile) {
            AutoFile file(CreateFileA(szPath, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) {
                TraceLog("LMPROFJXP::SaveProfileRegValue - cannot create %s - %ld\n", szPath, GetLastError());
                undo();
                continue;
            }
            DWORD cbWritten = 0;
            BOOL bWritten = WriteFile(file.Get(), pData, cbData, &cbWritten, nullptr) && cbWritten == cbData;
            if (!bWritten)
                TraceLog("LMPROFJXP::SaveProfileRegValue - write error %ld\n", GetLastError());
            TraceLog("LMPROFJXP::SaveProfileRegValue\nFile - %s, %ld bytes written\n", szPath, cbWritten);
            if (!bWritten) {
                undo();
                continue;
            }
        } else if (SetRegValue(PRINTER_DRIVER_DATA, szData, pData, cbData, dwType)) {
            TraceLog("Success %s, %ld\n", szData, cbData);
        } else {
            TraceLog("Error %ld\n", GetLastError());
            undo();
            continue;
        }
        if (!SetRegValue(PRINTER_DRIVER_DATA, szIndex, index.data(), DWORD(index.size()), REG_BINARY))
            return nStored;
        ++nStored;
    }
    return nStored;
}

DWORD LMPROFJXP::OpenDataFile(const char* pszValue, const char* pszData, char (&szPath)[MAX_PATH], AutoFile* pFile)
{
    if (!MakeDataFilePath(szPath, m_szDriverDir, m_tszPrinterName, pszData))
        return 0;
    ReplaceInvalidChar4Filename(szPath);
    pFile->Reset(CreateFileA(szPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!*pFile)
        return 0;
    DWORD cbFile = GetFileSize(pFile->Get(), nullptr);
    if (cbFile == INVALID_FILE_SIZE)
        return 0;
    if (cbFile == 0)
        TraceLog("LoadProfileRegValue - Size - %s, %ld, %s\n", pszValue, 0L, pszData);
    return cbFile;
}

DWORD LMPROFJXP::LoadProfileRegValue(const char* pszProfile, int nRegNum, const char* pszValue, BYTE* pBuffer,
                                     DWORD cbBuffer, DWORD* pcbOut, DWORD* pdwType)
{
    if (nRegNum == REG_NUM_BY_NAME)
        nRegNum = int(GetProfRegNum(pszProfile));
    TraceLog("LMPROFJXP::LoadProfileRegValue %s, %s\n", pszProfile ? pszProfile : "", pszValue ? pszValue : "");
    char szData[VALUE_NAME_FIELD];
    if (!pszValue || !MakeDataName(szData, nRegNum, pszValue))
        return 0;

    if (m_bAnsi && nRegNum != 0) {
        char szPath[MAX_PATH];
        AutoFile file;
        DWORD cbFile = OpenDataFile(pszValue, szData, szPath, &file);
        if (cbFile == 0)
            return 0;
        if (!pBuffer)
            return cbFile;
        // The caller sized its buffer from a measuring call; the file may have grown since.
        if (cbBuffer < cbFile) {
            TraceLog("LMPROFJXP::LoadProfileRegValue - %lu bytes do not hold %lu\n", cbBuffer, cbFile);
            return 0;
        }
        if (!ReadDataFile(file, szPath, pBuffer, cbFile))
            return 0;
        if (pcbOut)
            *pcbOut = cbFile;
        if (pdwType)
            *pdwType = REG_BINARY;
        return cbFile;
    }

    SessionPrinter printer(*this, 0);
    if (!printer)
        return 0;
    DWORD dwType = 0, cbValue = 0;
    if (!pBuffer) {
        DWORD dwErr = GetPrinterDataA(printer.Get(), szData, &dwType, nullptr, 0, &cbValue);
        if (cbValue == 0) {
            TraceLog("Error %ld\n", dwErr);
            return 0;
        }
        TraceLog("LoadProfileRegValue - Size - %s, %ld, %s\n", pszValue, cbValue, szData);
        return cbValue;
    }
    // Read at once with the caller's own size, which it took from a measuring call: a value
    // written since may be larger, and the spooler then refuses instead of overrunning the
    // buffer.
    DWORD dwErr = GetPrinterDataA(printer.Get(), szData, &dwType, pBuffer, cbBuffer, &cbValue);
    if (dwErr == ERROR_SUCCESS && cbValue == 0) {
        TraceLog("Error %ld\n", dwErr);
        return 0;
    }
    if (dwErr != ERROR_SUCCESS) {
        TraceLog("LMPROFJXP::LoadProfileRegValue - Error %ld\n", dwErr);
        return 0;
    }
    if (pcbOut)
        *pcbOut = cbValue;
    if (pdwType)
        *pdwType = dwType;
    TraceLog("LoadProfileRegValue - %s, %ld, %s\n", pszValue, cbValue, szData);
    return cbValue;
}

DWORD LMPROFJXP::ReadProfileIndex(int nRegNum, std::vector<BYTE>* pIndex)
{
    char szIndex[32];
    MakeIndexName(szIndex, nRegNum);
    DWORD dwErr = 0, cbRead = 0;
    try {
        pIndex->resize(VALUE_INDEX_FIRST_READ);
        DWORD dwType = 0;
        cbRead = ReadRegValue(PRINTER_DRIVER_DATA, szIndex, pIndex, &dwType, &dwErr);
    } catch (const std::exception&) {
        cbRead = 0;
    }
    pIndex->resize(cbRead);
    return cbRead;
}

DWORD LMPROFJXP::ReadProfileRegValue(const char* pszProfile, int nRegNum, const char* pszValue,
                                     std::vector<BYTE>* pBuffer, DWORD* pdwType)
{
    TraceLog("LMPROFJXP::LoadProfileRegValue %s, %s\n", pszProfile ? pszProfile : "", pszValue ? pszValue : "");
    char szData[VALUE_NAME_FIELD];
    if (!pszValue || !MakeDataName(szData, nRegNum, pszValue))
        return 0;

    if (m_bAnsi && nRegNum != 0) {
        char szPath[MAX_PATH];
        AutoFile file;
        DWORD cbFile = OpenDataFile(pszValue, szData, szPath, &file);
        if (cbFile == 0)
            return 0;
        try {
            if (pBuffer->size() < cbFile)
                pBuffer->resize(cbFile);
        } catch (const std::exception&) {
            TraceLog("LMPROFJXP::LoadProfileRegValue - out of memory - %lu\n", cbFile);
            return 0;
        }
        if (!ReadDataFile(file, szPath, pBuffer->data(), cbFile))
            return 0;
        *pdwType = REG_BINARY;
        return cbFile;
    }

    DWORD dwType = 0, dwErr = 0;
    DWORD cbValue = ReadRegValue(PRINTER_DRIVER_DATA, szData, pBuffer, &dwType, &dwErr);
    if (cbValue == 0) {
        TraceLog("Error %ld\n", dwErr);
        return 0;
    }
    *pdwType = dwType;
    TraceLog("LoadProfileRegValue - %s, %ld, %s\n", pszValue, cbValue, szData);
    return cbValue;
}

bool LMPROFJXP::ProfileRegValueExists(const char* pszProfile, int nRegNum, const char* pszValue)
{
    if (nRegNum == REG_NUM_BY_NAME)
        nRegNum = int(GetProfRegNum(pszProfile));
    char szData[VALUE_NAME_FIELD];
    if (!pszValue || !MakeDataName(szData, nRegNum, pszValue))
        return false;
    if (m_bAnsi && nRegNum != 0) {
        char szPath[MAX_PATH];
        if (!MakeDataFilePath(szPath, m_szDriverDir, m_tszPrinterName, szData))
            return false;
        ReplaceInvalidChar4Filename(szPath);
        return GetFileAttributesA(szPath) != INVALID_FILE_ATTRIBUTES;
    }
    SessionPrinter printer(*this, 0);
    if (!printer)
        return false;
    // An empty value answers the size query with success, a larger one with ERROR_MORE_DATA.
    DWORD dwType = 0, cbValue = 0;
    DWORD dwErr = GetPrinterDataA(printer.Get(), szData, &dwType, nullptr, 0, &cbValue);
    return dwErr == ERROR_SUCCESS || dwErr == ERROR_MORE_DATA;
}

DWORD LMPROFJXP::EnumProfileRegValue(const char* pszProfile, int nRegNum, char (*pNames)[PRINTER_NAME_CHARS],
                                     DWORD* pSizes, DWORD nCapacity)
{
    if (nRegNum == REG_NUM_BY_NAME)
        nRegNum = int(GetProfRegNum(pszProfile));
    TraceLog("LMPROFJXP::EnumProfileRegValue %s\n", pszProfile ? pszProfile : "");
    char szIndex[32];
    MakeIndexName(szIndex, nRegNum);

    SessionPrinter printer(*this, 0);
    if (!printer)
        return 0;
    DWORD dwType = 0, cbIndex = 0;
    GetPrinterDataA(printer.Get(), szIndex, &dwType, nullptr, 0, &cbIndex);
    std::unique_ptr<BYTE[]> index(cbIndex ? new (std::nothrow) BYTE[cbIndex] : nullptr);
    DWORD cbRead = 0;
    if (!index ||
        GetPrinterDataA(printer.Get(), szIndex, &dwType, index.get(), cbIndex, &cbRead) != ERROR_SUCCESS) {
        TraceLog("LMPROFJXP::EnumProfileRegValue = %d\n", 0);
        return 0;
    }

    DWORD nCount = 0;
    ProfileValueEntry entry;
    for (size_t i = 0; ReadValueEntry(index.get(), cbRead, i, &entry); ++i) {
        DWORD dwOffset = DWORD(i * VALUE_ENTRY_BYTES);
        if (FieldLength(entry.szValueName, VALUE_NAME_FIELD) >= VALUE_NAME_FIELD) {
            TraceLog("LMPROFJXP::EnumProfileRegValue - entry at %lu has no name\n", dwOffset);
            continue;
        }
        // The index may have grown since the caller counted it.
        if ((pNames || pSizes) && nCount >= nCapacity) {
            TraceLog("LMPROFJXP::EnumProfileRegValue - room for %lu values only\n", nCapacity);
            break;
        }
        if (pNames)
            CopyCell(pNames[nCount], entry.szValueName);
        if (pSizes)
            pSizes[nCount] = LoadProfileRegValue(pszProfile, nRegNum, entry.szValueName, nullptr, 0, nullptr, nullptr);
        TraceLog("Enum %s, %d, nTotal = %d, dwSize = %d\n", entry.szValueName, entry.dwSize, dwOffset, cbRead);
        ++nCount;
    }
    TraceLog("LMPROFJXP::EnumProfileRegValue = %d\n", nCount);
    return nCount;
}

DWORD LMPROFJXP::GetProfileRegValue(const char* pszProfile, const char* pszValue, BYTE* pBuffer, DWORD cbBuffer,
                                    DWORD* pcbOut, DWORD* pdwType)
{
    return LoadProfileRegValue(pszProfile, REG_NUM_BY_NAME, pszValue, pBuffer, cbBuffer, pcbOut, pdwType);
}

DWORD LMPROFJXP::GetProfileRegValueSize(const char* pszProfile, const char* pszValue)
{
    DWORD cbValue = LoadProfileRegValue(pszProfile, REG_NUM_BY_NAME, pszValue, nullptr, 0, nullptr, nullptr);
    TraceLog("LMPROFJXP::GetProfileRegValueSize = %d\n", cbValue);
    return cbValue;
}

void LMPROFJXP::ReplaceInvalidChar4Filename(char* pszPath)
{
    if (!pszPath)
        return;
    // Backslashes and colons stay: the directory part of the path must survive.
    for (char* p = pszPath; *p; ++p) {
        if (*p == '/' || *p == '"' || *p == '<' || *p == '>' || *p == '|')
            *p = '_';
    }
    TraceLog("ReplaceInvalidChar4Filename - [%s]\n", pszPath);
}

bool LMPROFJXP::RemoveRegValue(HKEY hRoot, const wchar_t* pwszKey, const wchar_t* pwszValue)
{
    AutoRegKey key;
    LONG lErr = RegOpenKeyExW(hRoot, pwszKey, 0, KEY_READ | KEY_WRITE, key.Out());
    if (lErr != ERROR_SUCCESS) {
        TraceLogW(L"RemoveRegValue - open registry error - %ld for %s\n", lErr, pwszKey);
        return false;
    }
    lErr = RegDeleteValueW(key.Get(), pwszValue);
    if (lErr != ERROR_SUCCESS) {
        TraceLogW(L"RemoveRegValue - remove value error - %ld for %s\n", lErr, pwszValue);
        return false;
    }
    return true;
}
