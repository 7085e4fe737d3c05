// Fuzz target: the command line of the rundll32 entries. The input up to its first zero byte is
// the line; what follows a zero byte is a second line split by the same list afterwards, as a
// list reused for another line must hold nothing of the first.
#include <string>
#include <vector>

#include "codec/command_line.h"
#include "fuzz_support.h"

namespace {

// The splitting rules without any limit: blanks separate arguments; a double or a single
// quote opens a group that the same quote closes, and the closing quote ends the argument,
// even an empty one; the other quote inside a group is an ordinary character.
std::vector<std::string> SplitUnbounded(const char* pszLine)
{
    std::vector<std::string> args;
    std::string current;
    char cQuote = 0;
    for (const char* p = pszLine; *p; ++p) {
        char c = *p;
        if (cQuote) {
            if (c == cQuote) {
                args.push_back(current);
                current.clear();
                cQuote = 0;
            } else {
                current += c;
            }
        } else if (c == ' ') {
            if (!current.empty()) {
                args.push_back(current);
                current.clear();
            }
        } else if (c == '"' || c == '\'') {
            cQuote = c;
        } else {
            current += c;
        }
    }
    if (!current.empty())
        args.push_back(current);
    return args;
}

void CheckSplit(CmdLineArgs& args, const char* pszLine)
{
    int n = args.Split(pszLine);
    FUZZ_CHECK(n >= -1 && n <= int(CmdLineArgs::MAX_ARGS), "Split returned %d", n);
    FUZZ_CHECK(args.Count() == (n < 0 ? 0 : n), "Split returned %d, Count says %d", n, args.Count());
    for (int i = 0; i < args.Count(); ++i)
        FUZZ_CHECK(memchr(args.Arg(i), 0, CmdLineArgs::ARG_CHARS) != nullptr, "argument %d has no terminator in its cell",
                   i);
    FUZZ_CHECK(args.Arg(-1)[0] == '\0' && args.Arg(args.Count())[0] == '\0', "a missing argument is not empty");

    // The line fits the list exactly when the unbounded split gives at most 32 arguments of
    // at most 259 characters; then both give the same arguments, else nothing is kept.
    std::vector<std::string> expected = SplitUnbounded(pszLine);
    bool bFits = expected.size() <= CmdLineArgs::MAX_ARGS;
    for (const std::string& s : expected)
        bFits = bFits && s.size() < CmdLineArgs::ARG_CHARS;
    if (!bFits) {
        FUZZ_CHECK(n == -1, "%zu arguments (or one too long) accepted as %d", expected.size(), n);
        return;
    }
    FUZZ_CHECK(n == int(expected.size()), "%d arguments, expected %zu", n, expected.size());
    for (int i = 0; i < n; ++i)
        FUZZ_CHECK(expected[i] == args.Arg(i), "argument %d is \"%s\", expected \"%s\"", i, args.Arg(i),
                   expected[i].c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb)
{
    std::string input(reinterpret_cast<const char*>(pData), cb);
    const char* pszFirst = input.c_str();
    size_t nFirst = strlen(pszFirst);
    const char* pszSecond = nFirst < cb ? pszFirst + nFirst + 1 : "";

    // The list is large (32 cells of 260): held on the heap as the entries hold it.
    std::unique_ptr<CmdLineArgs> args(new CmdLineArgs);
    CheckSplit(*args, pszFirst);
    CheckSplit(*args, pszSecond);
    return 0;
}
