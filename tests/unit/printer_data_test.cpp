// The printer-data calls every store operation goes through, with the session's own handle and
// with one opened for each call: what the store takes for a missing value and for a damaged one.
#include "store_test_support.h"

namespace {

class PrinterData : public StoreTest {};

}  // namespace

TEST_F(PrinterData, ReadsExactlyWhatWasWrittenAndTellsMissingFromUnreadable)
{
    for (bool bOwnHandle : {true, false}) {
        SCOPED_TRACE(bOwnHandle ? "own handle" : "a handle per call");
        if (!bOwnHandle) {   // as for a user who may not administer the printer
            ClosePrinter(m_session->m_hPrinter);
            m_session->m_hPrinter = INVALID_HANDLE_VALUE;
            m_session->m_bOwnPrinter = false;
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
