// The printer-data calls every store operation goes through, with the session's own handle and
// with one opened for each call: what the store takes for a missing value and for a damaged one.
#include <algorithm>

#include "store_test_support.h"

namespace {

class PrinterData : public StoreTest {};

}  // namespace

TEST_F(PrinterData, ReadsExactlyWhatWasWrittenAndTellsMissingFromUnreadable)
{
    for (bool bOwnHandle : {true, false}) {
        SCOPED_TRACE(bOwnHandle ? "own handle" : "a handle per call");
        if (!bOwnHandle) {   // as for a user who may not administer the printer
            m_session->m_hPrinter.Reset();
        }
        Bytes data(40, bOwnHandle ? 0x5A : 0xA5), back(40);
        EXPECT_TRUE(m_session->SetRegValue("PrinterDriverData", "LmValue", data.data(), 40, REG_BINARY));
        EXPECT_EQ(data, Data("LmValue"));
        // The key name is only traced: any name reaches the same value.
        DWORD dwErr = ERROR_MARKER;
        EXPECT_EQ(40u, m_session->GetRegValueSize("Elsewhere", "LmValue", &dwErr));
        EXPECT_EQ(DWORD(ERROR_MORE_DATA), dwErr);
        EXPECT_EQ(40u, m_session->GetRegValue("Elsewhere", "LmValue", back.data(), 40));
        EXPECT_EQ(data, back);
        EXPECT_EQ(0u, m_session->GetRegValue("PrinterDriverData", "LmValue", back.data(), 39));
        EXPECT_EQ(0u, m_session->GetRegValueSize("PrinterDriverData", "LmMissing", &dwErr));
        EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), dwErr);
    }
}

// A read takes the value whole into a buffer of any size: a buffer too small (or none) is grown
// to the value's size, a larger one keeps its size; an empty value is there, a missing one not.
TEST_F(PrinterData, ReadGrowsTheBufferOnlyWhenItIsTooSmall)
{
    std::vector<BYTE> data(100);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = PatternByte(DWORD(i), 5);
    ASSERT_TRUE(m_session->SetRegValue("PrinterDriverData", "LmValue", data.data(), 100, REG_DWORD));
    ASSERT_TRUE(m_session->SetRegValue("PrinterDriverData", "LmEmpty", data.data(), 0, REG_BINARY));
    const struct {
        const char* pszValue;
        size_t cbBuffer;
        DWORD cbRead;
        DWORD dwError;
        size_t cbAfter;
    } cases[] = {
        {"LmValue", 200, 100, ERROR_SUCCESS, 200},       {"LmValue", 100, 100, ERROR_SUCCESS, 100},
        {"LmValue", 99, 100, ERROR_SUCCESS, 100},        {"LmValue", 0, 100, ERROR_SUCCESS, 100},
        {"LmEmpty", 16, 0, ERROR_SUCCESS, 16},           {"LmEmpty", 0, 0, ERROR_SUCCESS, 0},
        {"LmMissing", 16, 0, ERROR_FILE_NOT_FOUND, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pszValue << " into " << c.cbBuffer << " bytes");
        std::vector<BYTE> buffer(c.cbBuffer, 0xEE);
        DWORD dwType = ERROR_MARKER, dwErr = ERROR_MARKER;
        EXPECT_EQ(c.cbRead, m_session->ReadRegValue("PrinterDriverData", c.pszValue, &buffer, &dwType, &dwErr));
        EXPECT_EQ(c.dwError, dwErr);
        EXPECT_EQ(c.cbAfter, buffer.size());
        if (c.cbRead != 0) {
            EXPECT_TRUE(std::equal(data.begin(), data.end(), buffer.begin()));
            EXPECT_EQ(DWORD(REG_DWORD), dwType);
        }
    }
}
