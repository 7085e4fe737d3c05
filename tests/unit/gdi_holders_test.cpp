// The GDI holders the wizard page and the status box draw with: what a holder took is given
// back when it goes, a selection before the object it selected, so no object is left selected
// into a DC or undeleted. (The window DC holders need a screen: the GUI tests draw through them.)
#include <gtest/gtest.h>

#include <windows.h>

#include "core/holders.h"

TEST(GdiHolders, SelectionIsUndoneBeforeTheObjectIsDeleted)
{
    AutoMemoryDC memory(nullptr);
    ASSERT_TRUE(memory);
    HGDIOBJ hOriginalPen = GetCurrentObject(memory.Get(), OBJ_PEN);
    HPEN hPen;
    {
        AutoGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(1, 2, 3)));
        ASSERT_TRUE(pen);
        hPen = pen.Get();
        AutoSelect selected(memory.Get(), pen.Get());
        EXPECT_EQ(static_cast<HGDIOBJ>(hPen), GetCurrentObject(memory.Get(), OBJ_PEN));
    }
    EXPECT_EQ(hOriginalPen, GetCurrentObject(memory.Get(), OBJ_PEN));
    EXPECT_EQ(0u, GetObjectType(hPen)) << "the pen was not deleted";

    // An empty object selects nothing and restores nothing.
    {
        AutoGdiObject<HBRUSH> none;
        AutoSelect selected(memory.Get(), none.Get());
        EXPECT_EQ(GetStockObject(WHITE_BRUSH), GetCurrentObject(memory.Get(), OBJ_BRUSH));
    }
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), GetCurrentObject(memory.Get(), OBJ_BRUSH));
}

TEST(GdiHolders, DcsAndPalettesAreGivenBack)
{
    HDC hdcMemory;
    {
        AutoMemoryDC memory(nullptr);
        ASSERT_TRUE(memory);
        hdcMemory = memory.Get();
        EXPECT_EQ(DWORD(OBJ_MEMDC), GetObjectType(hdcMemory));

        // The saved state comes back, whatever was changed in between.
        SetBkMode(hdcMemory, OPAQUE);
        {
            AutoSavedDC saved(hdcMemory);
            SetBkMode(hdcMemory, TRANSPARENT);
        }
        EXPECT_EQ(OPAQUE, GetBkMode(hdcMemory));

        HGDIOBJ hDefault = GetCurrentObject(hdcMemory, OBJ_PAL);
        struct {
            LOGPALETTE head;
            PALETTEENTRY more[1];
        } pal = {{0x300, 2, {{0, 0, 0, 0}}}, {{255, 255, 255, 0}}};
        AutoGdiObject<HPALETTE> palette(CreatePalette(&pal.head));
        ASSERT_TRUE(palette);
        {
            AutoSelectPalette selected(hdcMemory, palette.Get());
            EXPECT_TRUE(selected);
            EXPECT_EQ(static_cast<HGDIOBJ>(palette.Get()), GetCurrentObject(hdcMemory, OBJ_PAL));
        }
        EXPECT_EQ(hDefault, GetCurrentObject(hdcMemory, OBJ_PAL));
    }
    EXPECT_EQ(0u, GetObjectType(hdcMemory)) << "the memory DC was not deleted";
}
