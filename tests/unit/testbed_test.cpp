// Proof that the test bed is real: the spooler hands the fixture driver's private blocks through
// in both forms and both ways, as every test of the settings engine assumes.
#include <gtest/gtest.h>

#include "fixture_names.h"
#include "test_support.h"

TEST(TestBed, DocumentPropertiesCarryTheFixturePrivateBlocksBothWays)
{
    HANDLE h = nullptr;
    ASSERT_TRUE(OpenPrinterA(const_cast<char*>(FIXTURE_PRINTER_A1), &h, nullptr)) << GetLastError();
    wchar_t* pwszName = const_cast<wchar_t*>(FIXTURE_PRINTER_A1_W);
    LONG cb = DocumentPropertiesW(nullptr, h, pwszName, nullptr, nullptr, 0);
    ASSERT_GT(cb, LONG(sizeof(DEVMODEW)));
    Bytes dm(cb), in(cb), dmA(cb - 64);   // the ANSI form: 64 bytes less public part
    DEVMODEW* pdm = reinterpret_cast<DEVMODEW*>(dm.data());
    ASSERT_EQ(IDOK, DocumentPropertiesW(nullptr, h, pwszName, pdm, nullptr, DM_OUT_BUFFER));
    ASSERT_EQ(dm.size(), size_t(pdm->dmSize) + pdm->dmDriverExtra);
    EXPECT_EQ(0x4C6D5064u, GetU32(&dm[pdm->dmSize])) << "the main block's signature opens the private area";
    ASSERT_EQ(IDOK, DocumentPropertiesA(nullptr, h, const_cast<char*>(FIXTURE_PRINTER_A1),
                                        reinterpret_cast<DEVMODEA*>(dmA.data()), nullptr, DM_OUT_BUFFER));
    EXPECT_TRUE(std::equal(dm.begin() + pdm->dmSize, dm.end(), dmA.begin() + pdm->dmSize - 64));
    // Changed private bytes given in come back merged.
    in = dm;
    in[pdm->dmSize + 486] ^= 0x5A;
    in.back() ^= 0xA5;
    EXPECT_EQ(IDOK, DocumentPropertiesW(nullptr, h, pwszName, pdm, reinterpret_cast<DEVMODEW*>(in.data()),
                                        DM_OUT_BUFFER | DM_IN_BUFFER));
    EXPECT_TRUE(std::equal(in.begin() + pdm->dmSize, in.end(), dm.begin() + pdm->dmSize));
    ClosePrinter(h);
}
