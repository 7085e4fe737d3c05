// Names and limits of the printer profile store, shared by its three files and by the import.
#pragma once
#include <windows.h>

#include "codec/store_records.h"
#include "codec/names.h"
#include "core/session_printer.h"

class LMPROFJXP;

// Registry numbers: 0 is "Factory Default", 1 to 25 the profiles a user adds.
constexpr DWORD MAX_PROFILE_REG_NUM = 25;
// What GetAvailableRegNum answers when the list exists but cannot be read: above the limit, so
// an import refuses the profile instead of writing over the pack of a listed one.
constexpr DWORD PROFILE_REG_NUM_UNKNOWN = 0xFFFFFFFF;
// "Look the number up by profile name" for the value pack operations.
constexpr int REG_NUM_BY_NAME = -1;

// Sizes of the first read of the list and of an index: a full list ("Factory Default" and 25
// profiles) and the index of a full pack (a DEVMODE and 100 values) come in one spooler call,
// anything larger in two.
constexpr DWORD PROFILE_LIST_FIRST_READ = DWORD((MAX_PROFILE_REG_NUM + 1) * PROFILE_RECORD_BYTES);
constexpr DWORD VALUE_INDEX_FIRST_READ = DWORD(101 * VALUE_ENTRY_BYTES);

// After GetRegValueSize gave 0, from its last error: the value is missing (or empty) rather
// than unreadable. A list or index the spooler will not let us read must not be taken for
// none and written over.
inline bool ValueIsAbsent(DWORD dwErr)
{
    return dwErr == ERROR_FILE_NOT_FOUND || dwErr == ERROR_MORE_DATA || dwErr == ERROR_SUCCESS;
}
