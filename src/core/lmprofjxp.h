// The printer profile session: one printer, its default DEVMODE, its cached profile list and
// the one profile file that may be open. The operations of the profile file, the print
// settings engine and the profile store are members of this class and live in the folders of
// those subsystems; construction and destruction, which call on them, in src/session; the
// printer access they all stand on here in core (session_printer.cpp).
#pragma once
#include <windows.h>

#include <winspool.h>

#include <memory>
#include <vector>

#include "codec/jxp_format.h"
#include "codec/layouts.h"
#include "codec/names.h"
#include "core/holders.h"
#include "core/locale.h"

// Mode bits of OpenJxpFile.
constexpr DWORD JXP_OPEN_WRITE = 1;
constexpr DWORD JXP_OPEN_READ = 2;
constexpr DWORD JXP_OPEN_REPLACE = 4;

// Size taken for the default DEVMODE when neither the store nor the driver answers.
constexpr DWORD DEFAULT_DEVMODE_FALLBACK_SIZE = 2268;
constexpr int DEFAULT_DEVMODE_SIZE_ATTEMPTS = 5;
constexpr DWORD DEFAULT_DEVMODE_RETRY_MS = 1000;

// One value of a profile's pack, as it is stored.
struct PROFILEVALUE {
    const char* pszName;
    const BYTE* pData;
    DWORD cbData;
    DWORD dwType;
};


class LMPROFJXP {
public:
    // pPrinterName is ANSI text on Windows 9x and wide text on Windows NT.
    LMPROFJXP(HWND hWnd, const void* pPrinterName, HANDLE hPrinter);
    // The mode a session built on this system works in, for a caller that must hand over the
    // printer name and file paths in that form: wide on Windows NT, ANSI on Windows 9x (and when
    // the version cannot be read, where construction stops before the name is read).
    static bool SystemIsAnsi();
    ~LMPROFJXP();
    LMPROFJXP(const LMPROFJXP&) = delete;
    LMPROFJXP& operator=(const LMPROFJXP&) = delete;

    // False when construction stopped early (the version could not be read, or a buffer could
    // not be had): such a session is destroyed, never used.
    bool IsComplete() const { return m_bComplete; }

    // Session and printer.
    void GetPrinterModel();

    // Profile file container.
    bool OpenJxpFile(const void* pFileName, DWORD dwMode);
    BOOL CloseJxpFile();
    // Fills m_pProfileEntry for a profile about to be written (section lengths 0, the session's
    // model); false, with a trace line, when a text does not fit its field.
    bool FillProfileEntry(const char* pszName, DWORD dwProfileParam1, DWORD dwProfileParam2,
                          const char* pszDescription);
    // The write calls below are true when the file took every byte.
    bool WriteProfileEntry(const BYTE* pEntry);
    // Counts one more profile in m_JxpHead; false, with a trace line, at 32767 profiles.
    bool AddProfileCount();
    bool WriteRegValueRecord(const char* pszValueName, DWORD dwType, const BYTE* pData, DWORD cbData);
    bool WriteSetupRecord(const char* pszValueName, DWORD dwType, const BYTE* pData, DWORD cbData);
    // Positional reads of the open file for the bounded entry walk.
    JxpReader FileReader();
    // Moves to an offset of the open file, or to its end.
    bool SeekJxpFile(uint64_t qwOffset, bool bToEnd = false);
    DWORD AddDWORD(DWORD dwId, DWORD dwValue, BYTE* pDest);
    DWORD AddBuffer(DWORD dwId, const BYTE* pSource, DWORD cbSource, BYTE* pDest);
    bool BuffersDiffer(const BYTE* p1, const BYTE* p2, DWORD cb);
    bool FindProfileInFile(const char* pszProfile, int nSkipSections);
    DWORD ReadJxpData(void* pDest, DWORD cb);

    // Listing.
    // Uses no session state: the folder listing works without a session.
    static DWORD GetJxpList(const void* pFolder, char (*pFileCells)[FILE_NAME_CELL], DWORD nCells);
    int GetProfileDataFromJXP(char (*pNames)[PROFILE_NAME_CELL], char (*pDescriptions)[DESCRIPTION_CELL],
                              char (*pModels)[MODEL_CELL], DWORD nCells);
    bool GetJxpHeader(BYTE* pDest);
    const ProfileRecord* GetProfileDataModel(const char* pszProfile);

    // Export and import.
    // The number of profiles written whole into the open file.
    DWORD ExportProfilesToJXP(const char* pszLabel, char (*pNames)[PROFILE_NAME_CELL], DWORD nCells);
    // True when the profile was listed and every part of it reached the file.
    bool SaveProfileToJXP(const char* pszProfile);
    DWORD ImportProfilesFromJXP(const void* pFilePath, char (*pNames)[PROFILE_NAME_CELL], DWORD nCells,
                                BOOL bAsDefault);
    DWORD LoadProfileFromJXP(const char* pszProfile, BOOL bAsDefault);
    DWORD ApplyRegistryValues(const char* pszProfile, int nRegNum);

    // Print settings engine.
    BYTE* GetPlugInAddr(DEVMODEW* pDevMode, WORD wId);
    // False when a section could not be written whole (the entry sizes then stay as they were).
    bool SaveProfileDevmodeToJxp(DEVMODEW* pDevMode);
    DWORD MakeDevModeDwordData(DEVMODEW* pDevMode, BYTE* pOut, DWORD cbCapacity);
    DWORD MakeDevModeBufferData(DEVMODEW* pDevMode, BYTE* pOut, DWORD cbCapacity);
    // Rebuilds the DEVMODE of the entry just read (in m_pProfileEntry, the file standing at its
    // DWORD section) on the default DEVMODE; the bytes filled, 0 when nothing could be rebuilt.
    // Reading at the entry rather than searching by name lets every entry of a repeated name
    // bring its own settings.
    DWORD LoadProfileDevModeFromJxp(const char* pszProfile, DEVMODEW* pOut);
    DWORD CopyProfileToDevMode(DEVMODEW* pDevMode, const BYTE* pDwordData, const BYTE* pBufferData);
    // Paper or output-bin identifiers of the session's printer (DC_PAPERS or 1001).
    std::unique_ptr<WORD[]> GetCapabilityList(WORD wCapability, int* pnCount);
    void RestoreDevMode(DEVMODEW* pDevMode);
    void RestorePrintSize(DEVMODEW* pDevMode);
    void RestoreOutputBin(DEVMODEW* pDevMode);
    DWORD ApplyDevMode2Printer(DEVMODEW* pProfileDevMode);
    // False when the two records do not come from the same driver layout (different sizes):
    // the current DEVMODE is then left as it was.
    bool MergeDevModeW(DEVMODEW* pCurrent, DEVMODEW* pProfile);
    bool MergeDevModeA(DEVMODEA* pCurrent, DEVMODEW* pProfile);
    DWORD SetDevModeW(HANDLE hPrinter, DEVMODEW* pDevMode);
    DWORD SetDevModeA(HANDLE hPrinter, DEVMODEA* pDevMode);

    // Default DEVMODE.
    DWORD GetDefaultDevModeSize();
    DWORD GetDefaultDevModeSizeRetry();
    DWORD GetDefaultDevMode(BYTE* pOut);
    // The profile's stored "Default DevMode" when it holds a whole record, with its size in
    // *pcb; nullptr when the profile has none.
    std::unique_ptr<BYTE[]> GetProfileDevModeFromReg(const char* pszProfile, DWORD* pcb);

    // Printer data access.
    // The size of a value; 0 with *pdwError telling why: ERROR_FILE_NOT_FOUND for a missing
    // value, anything else for one that may exist but cannot be read.
    DWORD GetRegValueSize(const char* pszKey, const char* pszValue, DWORD* pdwError);
    DWORD GetRegValue(const char* pszKey, const char* pszValue, BYTE* pBuffer, DWORD cbBuffer);
    bool SetRegValue(const char* pszKey, const char* pszValue, const BYTE* pData, DWORD cbData, DWORD dwType);
    // Reads a value whole in one call when *pBuffer holds it; a buffer too small (or empty) is
    // grown to the size the spooler names and the value asked for again. The bytes read (the
    // buffer keeps its size); 0 with *pdwError: ERROR_SUCCESS for an empty value,
    // ERROR_FILE_NOT_FOUND for a missing one, another code for one that cannot be read.
    DWORD ReadRegValue(const char* pszKey, const char* pszValue, std::vector<BYTE>* pBuffer, DWORD* pdwType,
                       DWORD* pdwError);

    // Profile slots.
    // True when the profile was listed; false after a refusal (traced), so an import can tell.
    bool AddProfileToModel(const char* pszName, const char* pszDescription, DWORD dwProfileParam1,
                           DWORD dwProfileParam2, DWORD dwRegNum);
    DWORD GetAvailableRegNum();
    DWORD GetProfRegNum(const char* pszProfile);
    int GetProfileDataFromModel(char (*pNames)[PROFILE_NAME_CELL], char (*pDescriptions)[DESCRIPTION_CELL],
                                void* pIgnored);
    // The profile list in one read; false when a list may be there but cannot be read. An empty
    // *pList is no list.
    bool ReadProfileList(std::vector<BYTE>* pList);
    // GetAvailableRegNum and AddProfileToModel on a list read before, for a caller that has
    // written nothing to the list since.
    DWORD AvailableRegNumOf(const std::vector<BYTE>& list, bool bListRead);
    bool AddProfileToList(const std::vector<BYTE>& list, const char* pszName, const char* pszDescription,
                          DWORD dwProfileParam1, DWORD dwProfileParam2, DWORD dwRegNum);

    // Profile value packs.
    // Stores values of one pack in order; how many were stored. The index is read once and
    // written after each value's data. bNewPack: the values make up the whole pack, and an
    // index already under the number is neither read nor kept.
    DWORD SaveProfileRegValues(const char* pszProfile, int nRegNum, const PROFILEVALUE* pValues, DWORD nValues,
                               bool bNewPack = false);
    void SaveProfileRegValue(const char* pszProfile, int nRegNum, const char* pszValue, const BYTE* pData,
                             DWORD cbData, DWORD dwType);
    // cbBuffer is the size of pBuffer: a value that has grown since it was measured is refused
    // rather than copied past the buffer's end.
    DWORD LoadProfileRegValue(const char* pszProfile, int nRegNum, const char* pszValue, BYTE* pBuffer,
                              DWORD cbBuffer, DWORD* pcbOut, DWORD* pdwType);
    // Whether the pack holds the value at all, empty or not.
    bool ProfileRegValueExists(const char* pszProfile, int nRegNum, const char* pszValue);
    // Name cells hold a whole index entry name (up to 259 characters); at most nCapacity cells and
    // sizes are filled.
    DWORD EnumProfileRegValue(const char* pszProfile, int nRegNum, char (*pNames)[PRINTER_NAME_CHARS],
                              DWORD* pSizes, DWORD nCapacity);
    DWORD GetProfileRegValue(const char* pszProfile, const char* pszValue, BYTE* pBuffer, DWORD cbBuffer,
                             DWORD* pcbOut, DWORD* pdwType);
    DWORD GetProfileRegValueSize(const char* pszProfile, const char* pszValue);
    // The pack's index in one read (a pack of 100 values fits the first); the bytes read, 0 when
    // there is none or it cannot be read.
    DWORD ReadProfileIndex(int nRegNum, std::vector<BYTE>* pIndex);
    // A value of the pack read whole into *pBuffer, which the caller sizes from what it knows
    // (the index's size for it) and which grows when the value is larger: its size, and its type
    // in *pdwType; 0 when it is missing, empty or unreadable.
    DWORD ReadProfileRegValue(const char* pszProfile, int nRegNum, const char* pszValue, std::vector<BYTE>* pBuffer,
                              DWORD* pdwType);
    // The Windows 9x data file of a pack value opened for reading into *pFile, its path in szPath:
    // its size, or 0 when it is missing, unreadable or empty.
    DWORD OpenDataFile(const char* pszValue, const char* pszData, char (&szPath)[MAX_PATH], AutoFile* pFile);
    void ReplaceInvalidChar4Filename(char* pszPath);
    bool RemoveRegValue(HKEY hRoot, const wchar_t* pwszKey, const wchar_t* pwszValue);

    // Fields, in the order of the session's description.
    HWND m_hWnd;
    DWORD m_dwLanguage;
    bool m_bAnsi;
    bool m_bClient;
    HeldPrinter m_hPrinter;   // opened by the session (closed with it), lent, or none
    wchar_t m_wszPrinterName[PRINTER_NAME_CHARS];
    char m_tszPrinterName[PRINTER_NAME_CHARS];
    char m_szModel[PRINTER_NAME_CHARS];
    char m_szDriverDir[PRINTER_NAME_CHARS];
    AutoFile m_hJxpFile;      // the open profile file, or none
    std::unique_ptr<BYTE[]> m_JxpHead;
    DWORD m_dwOpenMode;
    WORD m_wDefaultDevModeLoads;
    DWORD m_dwDefaultDevModeSize;
    std::unique_ptr<BYTE[]> m_pDefaultDevMode;
    std::unique_ptr<BYTE[]> m_pProfileData;       // profile list cache
    std::unique_ptr<BYTE[]> m_pProfileEntry;
    int m_nProfileData;                            // records in the profile list cache
    DWORD m_dwProfileOffset;
    bool m_bImportSetup;

    // Opens the printer by the session's name in the session's mode, with printer defaults
    // asking for dwDesiredAccess or without any; nullptr when it cannot be opened.
    HANDLE OpenPrinterByName(DWORD dwDesiredAccess, bool bWithDefaults) const;

private:
    void FindDriverDirectory();
    bool m_bComplete;
};
