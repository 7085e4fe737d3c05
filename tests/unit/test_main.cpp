#include <gtest/gtest.h>

#include <cstdio>

#include "test_support.h"

int main(int argc, char** argv)
{
    TraceCapture::Install();
    testing::InitGoogleTest(&argc, argv);
    printf("running as: %s\n", RunVersion().c_str());
    return RUN_ALL_TESTS();
}
