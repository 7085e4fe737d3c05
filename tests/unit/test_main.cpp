#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "test_support.h"

namespace {

// Child mode for the tests that check persistence across processes: exit code 0 when the
// printer's value has the type and the size given and the bytes of PatternByte().
int CheckPrinterData(const char* pszPrinter, const char* pszValue, DWORD dwType, DWORD cbData, DWORD dwSeed)
{
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<char*>(pszPrinter), &h, nullptr))
        return 2;
    DWORD dwGotType = 0, cbNeeded = 0;
    std::vector<BYTE> data(cbData + 16);
    DWORD dwErr = GetPrinterDataA(h, const_cast<char*>(pszValue), &dwGotType, data.data(), DWORD(data.size()), &cbNeeded);
    ClosePrinter(h);
    if (dwErr != ERROR_SUCCESS || dwGotType != dwType || cbNeeded != cbData)
        return 3;
    for (DWORD i = 0; i < cbData; ++i) {
        if (data[i] != PatternByte(i, dwSeed))
            return 4;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 7 && strcmp(argv[1], "--check-printer-data") == 0)
        return CheckPrinterData(argv[2], argv[3], strtoul(argv[4], nullptr, 10), strtoul(argv[5], nullptr, 10),
                                strtoul(argv[6], nullptr, 10));
    TraceCapture::Install();
    testing::InitGoogleTest(&argc, argv);
    printf("running as: %s\n", RunVersion().c_str());
    return RUN_ALL_TESTS();
}
