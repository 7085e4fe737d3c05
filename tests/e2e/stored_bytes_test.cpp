// What an export writes and an import stores, byte for byte, against what the library has always
// left: the file, and the importing printer's index, values and profile list. The expected bytes
// are kept under tests/fixtures/golden, one file per Windows version of the run; a run with
// LMTEST_WRITE_GOLDEN=1 writes them instead (LMTEST_GOLDEN_DIR names another folder).
#include <cstdlib>
#include <cstring>

#include "e2e_support.h"

namespace {

class StoredBytes : public E2ETest {};

// name, its length, then the bytes with theirs: a difference shows which part it lies in.
void Append(Bytes& out, const std::string& name, const Bytes& bytes)
{
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
    BYTE size[4];
    PutU32(size, DWORD(bytes.size()));
    out.insert(out.end(), size, size + 4);
    out.insert(out.end(), bytes.begin(), bytes.end());
}

std::string GoldenPath()
{
    const char* pszDir = getenv("LMTEST_GOLDEN_DIR");
    return std::string(pszDir ? pszDir : LMTEST_GOLDEN_DIR) + "/stored_" + RunVersion() + ".bin";
}

}  // namespace

TEST_F(StoredBytes, ExportAndImportLeaveTheBytesTheyAlwaysLeft)
{
    TestPrinter& a = AddPrinter("A", FIXTURE_MODEL_A);
    TestPrinter& b = AddPrinter("B", FIXTURE_MODEL_B);
    std::vector<Value> values = OfficeValues();
    values.push_back({"LmEmpty", REG_BINARY, Bytes()});
    a.Store("Office", 1, OfficeDevMode(a.DefaultDevMode()), values, OFFICE_DESCRIPTION, OFFICE_PARAM1, OFFICE_PARAM2);
    std::string path = m_work->Path("office.jxp");
    ASSERT_EQ(1, Export(a, "Office", path));
    EXPECT_EQ(1, Import(b, path, "Office", TRUE));

    Bytes actual;
    Append(actual, "file", ReadBytes(path));
    Append(actual, "JXP_0001", b.Data("JXP_0001"));
    for (const auto& value : b.Values(1))
        Append(actual, value.first, value.second);
    Append(actual, "JxProfileData", b.Data("JxProfileData"));
    Append(actual, "JxProfileCount", b.Data("JxProfileCount"));

    if (getenv("LMTEST_WRITE_GOLDEN")) {
        WriteBytes(GoldenPath(), actual);
        GTEST_SKIP() << "wrote " << GoldenPath();
    }
    Bytes expected = ReadBytes(GoldenPath());
    ASSERT_FALSE(expected.empty()) << "no expected bytes at " << GoldenPath();
    size_t n = 0;
    while (n < expected.size() && n < actual.size() && expected[n] == actual[n])
        ++n;
    EXPECT_TRUE(expected == actual) << "first difference at byte " << n << " of " << expected.size() << " (now "
                                    << actual.size() << ")";
}
