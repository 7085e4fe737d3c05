// The names and sizes this system gives the things it keeps outside itself: the printer data in
// which a printer keeps its profiles, the fixed parts of a profile file, and the cells in which
// names travel between the library and its callers. The library and the portable decoders take
// them from here alike, so no Windows header.
#pragma once
#include <cstdint>

#include "codec/layouts.h"

// ---- printer data -----------------------------------------------------------------------------

// The key every store operation names; the spooler's ANSI printer-data calls keep the values
// there whatever key is named.
constexpr char PRINTER_DRIVER_DATA[] = "PrinterDriverData";
// The profile list and its count.
constexpr char PROFILE_LIST_VALUE[] = "JxProfileData";
constexpr char PROFILE_COUNT_VALUE[] = "JxProfileCount";
// The profile of registry number 0: the printer's reference settings.
constexpr char FACTORY_DEFAULT_PROFILE[] = "Factory Default";
// The value of a profile's pack that holds its DEVMODE.
constexpr char DEFAULT_DEVMODE_VALUE[] = "Default DevMode";
// The value of a profile's pack that a profile file carries as its setup record, and the
// printer's own value an import writes that record to.
constexpr char SETUP_PACK_VALUE[] = "_Setup";
constexpr char SETUP_PRINTER_VALUE[] = "Setup";

// ---- profile file -----------------------------------------------------------------------------

constexpr uint32_t JXP_HEADER_SIZE = sizeof(JxpFileHeader);   // 144
constexpr uint32_t JXP_ENTRY_SIZE = sizeof(JxpEntryHeader);   // 700

// ---- name cells (terminator included) ----------------------------------------------------------

constexpr uint32_t PRINTER_NAME_CHARS = 260;
constexpr uint32_t MODEL_CELL = 128;
constexpr uint32_t PROFILE_NAME_CELL = 32;
constexpr uint32_t DESCRIPTION_CELL = 512;
constexpr uint32_t FILE_NAME_CELL = 260;

// Longest printer name a session accepts, terminator excluded.
constexpr uint32_t MAX_PRINTER_NAME = PRINTER_NAME_CHARS - 1;

// A name copied from a cell into a record, or back, is never cut.
static_assert(MODEL_CELL == sizeof(JxpFileHeader::szModel) && MODEL_CELL == sizeof(JxpEntryHeader::szModel),
              "model cell");
static_assert(PROFILE_NAME_CELL == sizeof(ProfileRecord::szName) &&
                  PROFILE_NAME_CELL == sizeof(JxpEntryHeader::szProfileName),
              "profile name cell");
static_assert(DESCRIPTION_CELL == sizeof(ProfileRecord::szDescription) &&
                  DESCRIPTION_CELL == sizeof(JxpEntryHeader::szDescription),
              "description cell");
