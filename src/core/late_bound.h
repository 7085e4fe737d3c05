// The system calls that the library binds at run time because an older Windows it serves
// lacks them (late_bound.cpp lists them and what those systems get instead).
#pragma once
#include <string>

// For tests: the named function is treated as missing from its system DLL until the override
// is cleared with nullptr, so the older systems' road can be taken on any Windows.
void OverrideLateBoundLookup(const char* pszMissing);

// The functions bound here that this system lacks, as "dll!name" separated by blanks; empty on
// a system that has them all (any NT from Windows 2000 on).
std::string LateBoundMissing();
// How many functions are bound here.
int LateBoundCount();
