// The printer-data calls every store operation goes through.
#include <algorithm>

#include "store_test_support.h"

namespace {

class PrinterData : public StoreTest {};

}  // namespace

// A value is read whole, through the session's own handle or one opened for the call (as for a
// user who may not administer the printer): the sized calls into a buffer that holds it, the
// growing read into a buffer of any size (one too small, or none, is grown to the value's size,
// a larger one keeps its size). An empty value is there, a missing one not.
TEST_F(PrinterData, ReadsExactlyWhatWasWrittenAndTellsEmptyFromMissing)
{
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
    for (bool bOwnHandle : {true, false}) {
        SCOPED_TRACE(bOwnHandle ? "own handle" : "a handle per call");
        if (!bOwnHandle)
            m_session->m_hPrinter.Reset();
        Bytes data(100), back(100);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = PatternByte(DWORD(i), bOwnHandle ? 5 : 6);
        ASSERT_TRUE(m_session->SetRegValue("PrinterDriverData", "LmValue", data.data(), 100, REG_DWORD));
        ASSERT_TRUE(m_session->SetRegValue("PrinterDriverData", "LmEmpty", data.data(), 0, REG_BINARY));
        EXPECT_EQ(data, Data("LmValue"));
        // The key name is only traced: any name reaches the same value.
        DWORD dwErr = ERROR_MARKER;
        EXPECT_EQ(100u, m_session->GetRegValueSize("Elsewhere", "LmValue", &dwErr));
        EXPECT_EQ(DWORD(ERROR_MORE_DATA), dwErr);
        EXPECT_EQ(100u, m_session->GetRegValue("Elsewhere", "LmValue", back.data(), 100));
        EXPECT_EQ(data, back);
        EXPECT_EQ(0u, m_session->GetRegValue("PrinterDriverData", "LmValue", back.data(), 99));
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.pszValue << " into " << c.cbBuffer << " bytes");
            std::vector<BYTE> buffer(c.cbBuffer, 0xEE);
            DWORD dwType = ERROR_MARKER;
            dwErr = ERROR_MARKER;
            EXPECT_EQ(c.cbRead, m_session->ReadRegValue("PrinterDriverData", c.pszValue, &buffer, &dwType, &dwErr));
            EXPECT_EQ(c.dwError, dwErr);
            EXPECT_EQ(c.cbAfter, buffer.size());
            if (c.cbRead != 0) {
                EXPECT_TRUE(std::equal(data.begin(), data.end(), buffer.begin()));
                EXPECT_EQ(DWORD(REG_DWORD), dwType);
            }
        }
    }
}
