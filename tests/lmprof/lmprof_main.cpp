#include <gtest/gtest.h>

#include <cstdio>

#include "exchange_dll.h"
#include "test_support.h"

// The tests set up printers through the static library and the DLL, as the end-to-end tests
// do; the tool itself runs as a separate process.
int main(int argc, char** argv)
{
    TraceCapture::Install();
    testing::InitGoogleTest(&argc, argv);
    std::string why;
    if (!LoadExchangeDll(&why)) {
        printf("lmprof_test: %s\n", why.c_str());
        return 1;
    }
    return RUN_ALL_TESTS();
}
