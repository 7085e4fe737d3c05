#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codec/jxp_format.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes BufferRecord(uint32_t dwId, uint32_t cbClaimed, size_t cbPresent)
{
    Bytes b(8 + cbPresent, 0x5A);
    PutU32(&b[0], dwId);
    PutU32(&b[4], cbClaimed);
    return b;
}

}  // namespace

// Records are read from a section span: a cut or damaged record stops the reader where the
// record began, and nothing past the span is touched.
TEST(JxpRecords, CutOrDamagedRecordsStopTheReaderInPlace)
{
    Bytes buffers = BufferRecord(201, 3, 3);
    Bytes cut = BufferRecord(202, 0xFFFFFFF0, 4);   // claims more than the section holds
    buffers.insert(buffers.end(), cut.begin(), cut.end());
    ByteCursor c(buffers.data(), buffers.size());
    JxpBufferRecord rec;
    ASSERT_TRUE(JxpReadBufferRecord(c, &rec));
    EXPECT_EQ(201u, rec.dwId);
    EXPECT_EQ(3u, rec.cbData);
    const uint8_t* pBefore = c.p;
    EXPECT_FALSE(JxpReadBufferRecord(c, &rec));
    EXPECT_EQ(pBefore, c.p);

    uint32_t dwId, dwValue;
    uint8_t sevenBytes[7] = {};
    ByteCursor d(sevenBytes, sizeof(sevenBytes));
    EXPECT_FALSE(JxpReadDwordRecord(d, &dwId, &dwValue));

    Bytes value(268 + 2);
    ASSERT_TRUE(JxpBuildValueHeader(value.data(), "Name", 3, 2));
    ByteCursor v(value.data(), value.size());
    JxpValueRecord val;
    ASSERT_TRUE(JxpReadValueRecord(v, &val));
    EXPECT_STREQ("Name", val.szValueName);
    // A name filling its whole field has no terminator: damage, never a cut name.
    memset(value.data(), 'N', 260);
    ByteCursor unterminated(value.data(), value.size());
    EXPECT_FALSE(JxpReadValueRecord(unterminated, &val));
    // Data shorter than its record says.
    ASSERT_TRUE(JxpBuildValueHeader(value.data(), "Name", 3, 3));
    ByteCursor shortData(value.data(), value.size());
    EXPECT_FALSE(JxpReadValueRecord(shortData, &val));
    EXPECT_EQ(value.size(), shortData.Left());
}

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

// The walk over a file image in memory, as the listing and the fuzz target use it.
TEST(JxpRecords, ImageWalkStopsWhereTheImageEnds)
{
    uint8_t file[144 + 699] = {};
    ASSERT_TRUE(JxpBuildFileHeader(file, 1, 9, "M"));
    PutU16(file + 12, 1);
    JxpImage image{file, sizeof(file)};
    JxpWalk walk = JxpWalkStart(file);
    uint8_t entry[700];
    uint64_t qwData = 0;
    EXPECT_EQ(JXP_WALK_ENTRY_CUT, JxpWalkNext(JxpImageReader(&image), &walk, entry, &qwData));
    image.cb = 100;
    EXPECT_EQ(JXP_WALK_HEADER_CUT, JxpWalkNext(JxpImageReader(&image), &walk, entry, &qwData));
}
