// `lmprof pack`: a profile file built from the JSON that `show --json` prints, so profiles can be
// kept and edited as text. What `show --json` prints of a valid file packs back to that file's
// bytes. JSON that would make a file an import refuses is refused here, naming the field.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// True with the file's bytes in *pOut. False with "FIELD: what is wrong" (FIELD as
// "profiles[0].buffers[2].data", or "line L, column C" for JSON that does not parse); *pOut is
// then left empty.
bool PackJxpJson(const char* pText, size_t cb, std::vector<uint8_t>* pOut, std::string* pWhy);
