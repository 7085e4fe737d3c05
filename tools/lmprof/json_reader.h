// A reader of JSON text (RFC 8259) for `lmprof pack`: the document the user edited, read whole
// into a tree. Strings keep their characters (not bytes), so the profile file's code page decides
// later which bytes they become. Numbers keep the text they were written with, so a value too
// large for its field is refused instead of rounded.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct JsonValue {
    enum Kind { NUL, BOOLEAN, NUMBER, STRING, ARRAY, OBJECT };
    Kind kind = NUL;
    bool bTrue = false;
    std::string number;              // as written: "-20", "3.5e2"
    std::vector<uint32_t> chars;     // a string's characters
    std::vector<JsonValue> items;    // an array's items
    std::vector<std::pair<std::string, JsonValue>> members;   // an object's members, keys in UTF-8

    const JsonValue* Member(const std::string& key) const;
};

// Parses one JSON text (surrounding white space allowed). False with the place and the reason:
// "line 3, column 17: expected ',' or '}'". Objects with a key twice are refused: which of the
// two a reader takes is not settled, and an edit could silently go to the one not used.
bool ParseJson(const char* pText, size_t cb, JsonValue* pOut, std::string* pWhy);

// The integer a number holds when it is written without fraction or exponent and lies in
// [llMin, llMax].
bool JsonInteger(const JsonValue& value, long long llMin, long long llMax, long long* pOut);

// The value of a hexadecimal digit in either case, or -1.
int HexDigit(uint32_t c);

// The characters in UTF-8, for messages and keys.
std::string Utf8Of(const std::vector<uint32_t>& chars);
