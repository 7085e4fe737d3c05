#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "gui_support.h"
#include "test_support.h"

int main(int argc, char** argv)
{
    TraceCapture::Install();
    testing::InitGoogleTest(&argc, argv);
    std::string why;
    int rc;
    if (!LoadWizardDll(&why)) {
        printf("gui: %s\n", why.c_str());
        rc = 1;
    } else {
        printf("user language %04x, code page %u\n", GetUserDefaultLangID(), GetACP());
        rc = RUN_ALL_TESTS();
    }
    fflush(stdout);
    // Under a virtual desktop the program is started by Wine's explorer, which does not pass
    // the exit code on: the harness reads it from this file.
    const char* pszResult = getenv("LMGUI_RESULT");
    if (pszResult && *pszResult) {
        FILE* f = fopen(pszResult, "w");
        if (f) {
            fprintf(f, "%d\n", rc);
            fclose(f);
        }
    }
    return rc;
}
