#include "store_test_support.h"

namespace {

class PrinterData : public StoreTest {};

}  // namespace

// With the session's own handle, and with a handle opened for each call.
TEST_F(PrinterData, ReadsExactlyWhatWasWritten)
{
    for (bool bOwnHandle : {true, false}) {
        SCOPED_TRACE(bOwnHandle);
        if (!bOwnHandle) {
            m_session->m_hPrinter.Reset();
        }
        BYTE data[40], back[40] = {};
        memset(data, bOwnHandle ? 0x5A : 0xA5, sizeof(data));
        EXPECT_TRUE(m_session->SetRegValue("PrinterDriverData", "LmValue", data, sizeof(data), REG_BINARY));
        EXPECT_EQ(std::vector<BYTE>(data, data + 40), Data("LmValue"));
        // The key name is only traced: any name reaches the same value.
        DWORD dwErr = 0xdeadbeef;
        EXPECT_EQ(40u, m_session->GetRegValueSize("Elsewhere", "LmValue", &dwErr));
        EXPECT_EQ(DWORD(ERROR_MORE_DATA), dwErr);
        EXPECT_EQ(40u, m_session->GetRegValue("Elsewhere", "LmValue", back, 40));
        EXPECT_EQ(0, memcmp(back, data, 40));

        TraceCapture::Clear();
        EXPECT_EQ(0u, m_session->GetRegValue("PrinterDriverData", "LmValue", back, 39));
        // Missing, not unreadable, also when the printer was opened and closed for the call.
        EXPECT_EQ(0u, m_session->GetRegValueSize("PrinterDriverData", "LmMissing", &dwErr));
        EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), dwErr);
        EXPECT_EQ(0u, m_session->GetRegValue("PrinterDriverData", "LmMissing", back, 40));
        EXPECT_EQ((std::vector<std::string>{"LMPROFJXP::GetRegValue - PrinterDriverData, LmValue\n",
                                            "LMPROFJXP::GetRegValue - Error 234\n",
                                            "LMPROFJXP::GetRegValue - PrinterDriverData, LmMissing\n",
                                            "LMPROFJXP::GetRegValue - Error 2\n"}),
                  TraceCapture::Lines());
    }
}

TEST_F(PrinterData, WriteTheSpoolerRefusesIsReportedAsFailure)
{
    DWORD dwOld = 7, dwNew = 8;
    ASSERT_TRUE(m_session->SetRegValue("PrinterDriverData", "LmValue", reinterpret_cast<BYTE*>(&dwOld), 4, REG_DWORD));
    {
        PrinterDataAccess readOnly(m_name, KEY_READ);
        TraceCapture::Clear();
        SetLastError(ERROR_MARKER);
        EXPECT_FALSE(
            m_session->SetRegValue("PrinterDriverData", "LmValue", reinterpret_cast<BYTE*>(&dwNew), 4, REG_DWORD));
        EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());
        EXPECT_EQ((std::vector<std::string>{"LMPROFJXP::SetRegValue - PrinterDriverData, LmValue\n",
                                            "LMPROFJXP::SetRegValue - Error 5\n"}),
                  TraceCapture::Lines());
    }
    EXPECT_EQ(dwOld, U32At(Data("LmValue"), 0));
}
