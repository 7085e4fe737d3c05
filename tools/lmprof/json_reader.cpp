#include "json_reader.h"

#include <cstring>

namespace {

// Deeper than any profile document, shallow enough that a hostile one cannot exhaust the stack.
constexpr int MAX_DEPTH = 64;

class Parser {
public:
    Parser(const char* p, size_t cb) : m_p(p), m_cb(cb) {}

    bool Document(JsonValue* pOut, std::string* pWhy)
    {
        bool bOk = Value(pOut, 0) && (Blank(), m_i == m_cb || Error("text after the JSON value"));
        if (!bOk)
            *pWhy = Where() + m_why;
        return bOk;
    }

private:
    bool Error(const char* pszWhat)
    {
        if (m_why.empty())
            m_why = pszWhat;
        return false;
    }

    std::string Where() const
    {
        size_t nLine = 1, nColumn = 1;
        for (size_t i = 0; i < m_i && i < m_cb; ++i) {
            if (m_p[i] == '\n') {
                ++nLine;
                nColumn = 1;
            } else {
                ++nColumn;
            }
        }
        return "line " + std::to_string(nLine) + ", column " + std::to_string(nColumn) + ": ";
    }

    void Blank()
    {
        while (m_i < m_cb && (m_p[m_i] == ' ' || m_p[m_i] == '\t' || m_p[m_i] == '\n' || m_p[m_i] == '\r'))
            ++m_i;
    }

    bool Eat(char c)
    {
        Blank();
        if (m_i < m_cb && m_p[m_i] == c) {
            ++m_i;
            return true;
        }
        return false;
    }

    bool Word(const char* pszWord)
    {
        size_t n = strlen(pszWord);
        if (m_cb - m_i < n || memcmp(m_p + m_i, pszWord, n) != 0)
            return false;
        m_i += n;
        return true;
    }

    bool Value(JsonValue* pOut, int nDepth)
    {
        Blank();
        if (m_i >= m_cb)
            return Error("a value is missing");
        char c = m_p[m_i];
        if (c == '{' || c == '[') {
            if (nDepth >= MAX_DEPTH)
                return Error("nested too deeply");
            return c == '{' ? Object(pOut, nDepth) : Array(pOut, nDepth);
        }
        if (c == '"') {
            pOut->kind = JsonValue::STRING;
            return String(&pOut->chars);
        }
        if (Word("true") || Word("false")) {
            pOut->kind = JsonValue::BOOLEAN;
            pOut->bTrue = c == 't';
            return true;
        }
        if (Word("null")) {
            pOut->kind = JsonValue::NUL;
            return true;
        }
        if (c == '-' || (c >= '0' && c <= '9')) {
            pOut->kind = JsonValue::NUMBER;
            return Number(&pOut->number);
        }
        return Error("not a JSON value");
    }

    bool Object(JsonValue* pOut, int nDepth)
    {
        pOut->kind = JsonValue::OBJECT;
        ++m_i;
        if (Eat('}'))
            return true;
        do {
            Blank();
            std::vector<uint32_t> key;
            if (m_i >= m_cb || m_p[m_i] != '"')
                return Error("expected a key in double quotes");
            if (!String(&key))
                return false;
            std::string name = Utf8Of(key);
            if (pOut->Member(name))
                return Error("a key given twice in one object");
            if (!Eat(':'))
                return Error("expected ':'");
            pOut->members.emplace_back(name, JsonValue());
            if (!Value(&pOut->members.back().second, nDepth + 1))
                return false;
        } while (Eat(','));
        return Eat('}') || Error("expected ',' or '}'");
    }

    bool Array(JsonValue* pOut, int nDepth)
    {
        pOut->kind = JsonValue::ARRAY;
        ++m_i;
        if (Eat(']'))
            return true;
        do {
            pOut->items.emplace_back();
            if (!Value(&pOut->items.back(), nDepth + 1))
                return false;
        } while (Eat(','));
        return Eat(']') || Error("expected ',' or ']'");
    }

    bool Digits()
    {
        size_t nStart = m_i;
        while (m_i < m_cb && m_p[m_i] >= '0' && m_p[m_i] <= '9')
            ++m_i;
        return m_i > nStart;
    }

    bool Number(std::string* pOut)
    {
        size_t nStart = m_i;
        if (m_p[m_i] == '-')
            ++m_i;
        if (m_i < m_cb && m_p[m_i] == '0')
            ++m_i;
        else if (!Digits())
            return Error("a number needs digits");
        if (m_i < m_cb && m_p[m_i] == '.') {
            ++m_i;
            if (!Digits())
                return Error("a number needs digits after its point");
        }
        if (m_i < m_cb && (m_p[m_i] == 'e' || m_p[m_i] == 'E')) {
            ++m_i;
            if (m_i < m_cb && (m_p[m_i] == '+' || m_p[m_i] == '-'))
                ++m_i;
            if (!Digits())
                return Error("a number needs digits in its exponent");
        }
        pOut->assign(m_p + nStart, m_i - nStart);
        return true;
    }

    // Four hexadecimal digits of a \u escape.
    bool Hex4(uint32_t* pOut)
    {
        if (m_cb - m_i < 4)
            return Error("\\u needs four hexadecimal digits");
        uint32_t v = 0;
        for (int k = 0; k < 4; ++k) {
            int d = HexDigit(uint8_t(m_p[m_i++]));
            if (d < 0)
                return Error("\\u needs four hexadecimal digits");
            v = v * 16 + uint32_t(d);
        }
        *pOut = v;
        return true;
    }

    // One character written as UTF-8; overlong forms, surrogates and values past U+10FFFF are
    // no characters.
    bool Utf8(uint32_t* pOut)
    {
        uint8_t b = uint8_t(m_p[m_i]);
        int nMore = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xC2 && b <= 0xDF ? 1 : -1;
        if (nMore < 0 || m_cb - m_i <= size_t(nMore))
            return Error("text that is not UTF-8");
        uint32_t c = b & (0x3F >> nMore);
        for (int k = 1; k <= nMore; ++k) {
            uint8_t t = uint8_t(m_p[m_i + size_t(k)]);
            if ((t & 0xC0) != 0x80)
                return Error("text that is not UTF-8");
            c = (c << 6) | (t & 0x3F);
        }
        static const uint32_t MIN[4] = {0, 0x80, 0x800, 0x10000};
        if (c < MIN[nMore] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return Error("text that is not UTF-8");
        m_i += size_t(nMore) + 1;
        *pOut = c;
        return true;
    }

    bool String(std::vector<uint32_t>* pOut)
    {
        ++m_i;   // the opening quote
        for (;;) {
            if (m_i >= m_cb)
                return Error("a string without its closing quote");
            uint8_t b = uint8_t(m_p[m_i]);
            if (b == '"') {
                ++m_i;
                return true;
            }
            if (b < 0x20)
                return Error("a control character inside a string (write it as \\u00XX)");
            if (b >= 0x80) {
                uint32_t c;
                if (!Utf8(&c))
                    return false;
                pOut->push_back(c);
                continue;
            }
            ++m_i;
            if (b != '\\') {
                pOut->push_back(b);
                continue;
            }
            if (m_i >= m_cb)
                return Error("a string without its closing quote");
            char e = m_p[m_i++];
            const char* pszFrom = "\"\\/bfnrt";
            const char* pszTo = "\"\\/\b\f\n\r\t";
            const char* pFound = e ? strchr(pszFrom, e) : nullptr;
            if (pFound) {
                pOut->push_back(uint8_t(pszTo[pFound - pszFrom]));
                continue;
            }
            if (e != 'u')
                return Error("an unknown escape in a string");
            uint32_t c;
            if (!Hex4(&c))
                return false;
            if (c >= 0xDC00 && c <= 0xDFFF)
                return Error("a low surrogate without its high one");
            if (c >= 0xD800 && c <= 0xDBFF) {
                uint32_t low;
                if (!Word("\\u") || !Hex4(&low) || low < 0xDC00 || low > 0xDFFF)
                    return Error("a high surrogate without its low one");
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            }
            pOut->push_back(c);
        }
    }

    const char* m_p;
    size_t m_cb;
    size_t m_i = 0;
    std::string m_why;
};

}  // namespace

const JsonValue* JsonValue::Member(const std::string& key) const
{
    for (const auto& m : members) {
        if (m.first == key)
            return &m.second;
    }
    return nullptr;
}

bool ParseJson(const char* pText, size_t cb, JsonValue* pOut, std::string* pWhy)
{
    *pOut = JsonValue();
    return Parser(pText, cb).Document(pOut, pWhy);
}

bool JsonInteger(const JsonValue& value, long long llMin, long long llMax, long long* pOut)
{
    if (value.kind != JsonValue::NUMBER)
        return false;
    const std::string& s = value.number;
    size_t i = s[0] == '-' ? 1 : 0;
    // Nineteen digits always fit a long long; every field here is narrower.
    if (s.size() - i > 18)
        return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
    }
    if (s[0] == '-')
        v = -v;
    if (v < llMin || v > llMax)
        return false;
    *pOut = v;
    return true;
}

int HexDigit(uint32_t c)
{
    return c >= '0' && c <= '9' ? int(c - '0') : c >= 'a' && c <= 'f' ? int(c - 'a' + 10)
                                               : c >= 'A' && c <= 'F' ? int(c - 'A' + 10) : -1;
}

std::string Utf8Of(const std::vector<uint32_t>& chars)
{
    std::string s;
    for (uint32_t c : chars) {
        if (c < 0x80) {
            s += char(c);
        } else if (c < 0x800) {
            s += char(0xC0 | (c >> 6));
            s += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            s += char(0xE0 | (c >> 12));
            s += char(0x80 | ((c >> 6) & 0x3F));
            s += char(0x80 | (c & 0x3F));
        } else {
            s += char(0xF0 | (c >> 18));
            s += char(0x80 | ((c >> 12) & 0x3F));
            s += char(0x80 | ((c >> 6) & 0x3F));
            s += char(0x80 | (c & 0x3F));
        }
    }
    return s;
}
