#include <gtest/gtest.h>

#include <cstdio>

#include "exchange_dll.h"
#include "test_support.h"

int main(int argc, char** argv)
{
    TraceCapture::Install();
    testing::InitGoogleTest(&argc, argv);
    printf("running as: %s\n", RunVersion().c_str());
    std::string why;
    if (!LoadExchangeDll(&why)) {
        printf("e2e: %s\n", why.c_str());
        return 1;
    }
    printf("library: %s\n", Dll().path.c_str());
    return RUN_ALL_TESTS();
}
