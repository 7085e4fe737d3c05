#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "codec/jxp_format.h"

// Only "JXP" marks a profile file, and a profile is found by its whole name.
TEST(JxpRecords, HeaderChecksOnlyTheThreeLettersAndNamesMatchExactly)
{
    uint8_t head[144];
    ASSERT_TRUE(JxpBuildFileHeader(head, 0x0201, 0x11, "Model"));
    head[3] = 7;
    EXPECT_EQ(JXP_HEADER_OK, JxpCheckFileHeader(head, sizeof(head)));
    EXPECT_EQ(JXP_HEADER_SHORT, JxpCheckFileHeader(head, 143));
    head[2] = 'Q';
    EXPECT_EQ(JXP_HEADER_NOT_JXP, JxpCheckFileHeader(head, sizeof(head)));

    uint8_t entry[700];
    ASSERT_EQ(JXP_ENTRY_FITS, JxpBuildEntryHeader(entry, "Photo", 1, 2, "", "Model"));
    EXPECT_TRUE(JxpEntryNameIs(entry, "Photo"));
    EXPECT_FALSE(JxpEntryNameIs(entry, "Photo2"));
    EXPECT_FALSE(JxpEntryNameIs(entry, "Phot"));
    memset(entry, 'P', 32);   // a name field without its terminator matches nothing
    EXPECT_FALSE(JxpEntryNameIs(entry, std::string(32, 'P').c_str()));
}
