// What `show` and `diff` print: a decoded profile file as text or JSON, and the differences
// between two profiles.
#pragma once
#include <cstdio>
#include <string>

#include "jxp_document.h"

void PrintDocumentText(FILE* f, const std::string& path, const JxpDocument& doc);
// One JSON object, ASCII only, holding every byte of a valid file (what `pack` reads back):
// the file's texts as characters of its code page (text_code_page.h), the bytes behind them and
// the reserved words, the records of each section one a line.
void PrintDocumentJson(FILE* f, const std::string& path, const JxpDocument& doc);

// Lines "PROFILE: what: A -> B" for every difference between the two profiles; the count of
// lines. A DWORD record present in one file only compares against "default" (the exporter
// wrote no record because the setting equalled its printer's default).
int PrintProfileDiff(FILE* f, const JxpProfile& a, const JxpProfile& b);
