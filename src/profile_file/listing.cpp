// The catalogue of profile files: the files of a folder, the profiles of a file, and the
// lookup of a listed profile by name.
#include <cstdio>
#include <cstring>

#include "codec/jxp_format.h"
#include "core/cells.h"
#include "core/holders.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "profile_file/entry_fields.h"

DWORD LMPROFJXP::GetJxpList(const void* pFolder, char (*pFileCells)[FILE_NAME_CELL], DWORD nCells)
{
    const char* pszFolder = static_cast<const char*>(pFolder);
    TraceLog("LMPROFILE::GetJxpList - %s\n", pszFolder ? pszFolder : "");
    char szPattern[MAX_PATH];
    int n = pszFolder ? _snprintf(szPattern, sizeof(szPattern), "%s\\*.jxp", pszFolder) : -1;
    if (n < 0 || size_t(n) >= sizeof(szPattern)) {
        TraceLog("LMPROFILE::GetJxpList - folder name too long\n");
        return 0;
    }
    WIN32_FIND_DATAA fd;
    AutoFind find(FindFirstFileA(szPattern, &fd));
    if (!find)
        return 0;
    DWORD nCount = 0;
    do {
        char szLower[MAX_PATH];
        CopyCell(szLower, fd.cFileName);
        CharLowerA(szLower);
        // The pattern also matches names such as "a.jxpx" on some systems; only names that
        // carry ".jxp" count.
        if (!strstr(szLower, ".jxp"))
            continue;
        TraceLog(" - %s\n", fd.cFileName);
        if (pFileCells && nCount < nCells)
            CopyCellN(pFileCells[nCount], FILE_NAME_CELL, fd.cFileName);
        ++nCount;
    } while (FindNextFileA(find.Get(), &fd));
    return nCount;
}

int LMPROFJXP::GetProfileDataFromJXP(char (*pNames)[PROFILE_NAME_CELL], char (*pDescriptions)[DESCRIPTION_CELL],
                                     char (*pModels)[MODEL_CELL], DWORD nCells)
{
    TraceLog("LMPROFILE::GetProfileDataFromJXP\n");
    if (!m_hJxpFile)
        return -1;

    // A file opened for reading shares nothing with a writer, so the header OpenJxpFile read
    // is still what the file holds; it is read again only for a file open otherwise. A file too
    // short to hold a header is refused either way.
    JxpReader reader = FileReader();
    BYTE head[JXP_HEADER_SIZE] = {};
    bool bHead;
    if ((m_dwOpenMode & JXP_OPEN_READ) && m_JxpHead) {
        memcpy(head, m_JxpHead.get(), JXP_HEADER_SIZE);
        bHead = reader.qwSize >= JXP_HEADER_SIZE;
    } else {
        bHead = SeekJxpFile(0) && ReadJxpData(head, JXP_HEADER_SIZE) == JXP_HEADER_SIZE;
    }
    if (!bHead || JxpCheckFileHeader(head, JXP_HEADER_SIZE) != JXP_HEADER_OK)
        return 0;
    memcpy(m_JxpHead.get(), head, JXP_HEADER_SIZE);
    char szModel[MODEL_CELL + 1];
    CopyField(szModel, sizeof(szModel), head + offsetof(JxpFileHeader, szModel), MODEL_CELL);
    int nCount = JxpProfileCount(head);
    TraceLog("model = %s, total %d profile exist\n", szModel, nCount);
    // A negative count is damage, and handed on it would read as "cannot be opened" (-1) or
    // as some other failure: such a file lists nothing.
    if (nCount < 0) {
        TraceLog("LMPROFILE::GetProfileDataFromJXP - profile count %d damaged\n", nCount);
        return 0;
    }
    if (nCount < 1)
        return nCount;

    // Entries are read through the bounded walk: an entry that is not wholly in the file ends
    // the listing, and the count then says how many entries the file really holds.
    JxpWalk walk = JxpWalkStart(head);
    BYTE* pEntry = m_pProfileEntry.get();
    uint64_t qwData = 0;
    int nListed = 0;
    for (;;) {
        JxpWalkStep step = JxpWalkNext(reader, &walk, pEntry, &qwData);
        if (step == JXP_WALK_END)
            return nCount;
        if (step != JXP_WALK_ENTRY) {
            TraceLog("LMPROFILE::GetProfileDataFromJXP - entry %d of %d damaged or cut\n", nListed, nCount);
            return nListed;
        }
        const JxpEntryHeader* pHeader = reinterpret_cast<const JxpEntryHeader*>(pEntry);
        TraceLog("%d %d %d %d\n", pHeader->dwDataSize[0], pHeader->dwDataSize[1], pHeader->dwDataSize[2],
                 pHeader->dwDataSize[3]);
        char szName[PROFILE_NAME_CELL], szDescription[DESCRIPTION_CELL], szEntryModel[MODEL_CELL];
        if (!CopyField(szName, sizeof(szName), pHeader->szProfileName, sizeof(pHeader->szProfileName)) ||
            !CopyField(szDescription, sizeof(szDescription), pHeader->szDescription, sizeof(pHeader->szDescription)) ||
            !CopyField(szEntryModel, sizeof(szEntryModel), pHeader->szModel, sizeof(pHeader->szModel))) {
            TraceLog("LMPROFILE::GetProfileDataFromJXP - entry %d has an unterminated text\n", nListed);
            return nListed;
        }
        if (DWORD(nListed) < nCells) {
            if (pNames)
                CopyCellN(pNames[nListed], PROFILE_NAME_CELL, szName);
            if (pDescriptions)
                CopyCellN(pDescriptions[nListed], DESCRIPTION_CELL, szDescription);
            if (pModels)
                CopyCellN(pModels[nListed], MODEL_CELL, szEntryModel);
        }
        TraceLog("Profile : %s, Size : %d\n", szName, DWORD(JxpSectionsLength(pEntry)));
        ++nListed;
    }
}

bool LMPROFJXP::GetJxpHeader(BYTE* pDest)
{
    if (!m_hJxpFile || !pDest || !m_JxpHead)
        return false;
    memcpy(pDest, m_JxpHead.get(), JXP_HEADER_SIZE);
    return true;
}

const ProfileRecord* LMPROFJXP::GetProfileDataModel(const char* pszProfile)
{
    TraceLog("LMPROFJXP::GetProfileDataModel - %s\n", pszProfile);
    const ProfileRecord* pFound = nullptr;
    const ProfileRecord* pRecords = reinterpret_cast<const ProfileRecord*>(m_pProfileData.get());
    char szName[PROFILE_NAME_CELL];
    for (int i = 0; pRecords && i < m_nProfileData; ++i) {
        // A record whose name has no terminator names nothing.
        if (!CopyField(szName, sizeof(szName), pRecords[i].szName, sizeof(pRecords[i].szName)))
            continue;
        TraceLog("*** [%s], [%s]\n", pszProfile, szName);
        if (strcmp(pszProfile, szName) == 0)
            pFound = &pRecords[i];
    }
    if (!pFound)
        TraceLog("LMPROFJXP::GetProfileDataModel - ERROR: Can't find profile\n");
    return pFound;
}
