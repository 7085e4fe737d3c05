// What an export writes and an import stores, byte for byte, against what the library has always
// left: the file, and the importing printer's index, values and profile list. The expected bytes
// are kept under tests/fixtures/golden, one file per Windows version of the run; a run with
// LMTEST_WRITE_GOLDEN=1 writes them instead (LMTEST_GOLDEN_DIR names another folder). The
// profile of a hundred values is kept as a digest of each part, which is small and still tells
// which part changed.
#include <cstdio>
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

std::string GoldenPath(const char* pszSuffix = ".bin")
{
    const char* pszDir = getenv("LMTEST_GOLDEN_DIR");
    return std::string(pszDir ? pszDir : LMTEST_GOLDEN_DIR) + "/stored_" + RunVersion() + pszSuffix;
}

// One line per part: its name, its size and a 64-bit FNV-1a hash of its bytes.
void AppendDigest(std::string& out, const std::string& name, const Bytes& bytes)
{
    unsigned long long h = 14695981039346656037ULL;
    for (BYTE b : bytes)
        h = (h ^ b) * 1099511628211ULL;
    char sz[64];
    snprintf(sz, sizeof(sz), " %u %016llx\n", unsigned(bytes.size()), h);
    out += name + sz;
}

// 98 values besides the DEVMODE and "_Setup": sizes from empty to 3 KB, some of them
// REG_DWORD, each of its own bytes.
std::vector<Value> HundredValues()
{
    std::vector<Value> values;
    for (int i = 0; i < 98; ++i) {
        char szName[32];
        snprintf(szName, sizeof(szName), "Value%02d", i);
        bool bDword = i % 7 == 3;
        Bytes data(bDword ? 4 : size_t(i * 37 % 3072));
        for (size_t n = 0; n < data.size(); ++n)
            data[n] = BYTE(i * 31 + n * 7);
        values.push_back({szName, bDword ? DWORD(REG_DWORD) : DWORD(REG_BINARY), data});
    }
    values.push_back({"_Setup", REG_BINARY, SetupBytes()});
    return values;
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

TEST_F(StoredBytes, AHundredValuesLeaveTheBytesTheyAlwaysLeft)
{
    TestPrinter& a = AddPrinter("A", FIXTURE_MODEL_A);
    TestPrinter& b = AddPrinter("B", FIXTURE_MODEL_B);
    a.Store("Hundred", 3, OfficeDevMode(a.DefaultDevMode()), HundredValues(), "a hundred values", 7, 9);
    // An unlisted pack lies under the number the import takes: the profile starts from an empty
    // pack, and what the old one left outside its index stays as it was.
    {
        auto session = b.Session();
        Bytes stale(600, 0xEE);
        session->SaveProfileRegValue("Stale", 1, "Stale", stale.data(), DWORD(stale.size()), REG_BINARY);
        session->SaveProfileRegValue("Stale", 1, "Value07", stale.data(), 100, REG_DWORD);
    }
    std::string path = m_work->Path("hundred.jxp");
    ASSERT_EQ(1, Export(a, "Hundred", path));
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, b.Name()));
    char cell[32] = "Hundred";
    EXPECT_EQ(1, Dll().ImportProfileFromJxp(path.c_str(), cell, 1, TRUE));
    Dll().CloseJxpApi(nullptr, b.Name());

    // Everything the importing printer keeps (values with their types, data files on Windows
    // 9x), the data files named without the printer's name, which the test chooses.
    std::string actual;
    AppendDigest(actual, "file", ReadBytes(path));
    for (const auto& part : b.State()) {
        std::string name = part.first;
        // A data file by its name alone: where the driver folder lies is the system's choice.
        size_t slash = name.rfind('\\');
        if (name.rfind("file:", 0) == 0 && slash != std::string::npos)
            name = "file:" + name.substr(slash + 1);
        size_t at = name.find(b.Name());
        if (at != std::string::npos)
            name.replace(at, strlen(b.Name()), "B");
        AppendDigest(actual, name, part.second);
    }
    Bytes actualBytes(actual.begin(), actual.end());

    if (getenv("LMTEST_WRITE_GOLDEN")) {
        WriteBytes(GoldenPath("_hundred.txt"), actualBytes);
        GTEST_SKIP() << "wrote " << GoldenPath("_hundred.txt");
    }
    Bytes expected = ReadBytes(GoldenPath("_hundred.txt"));
    ASSERT_FALSE(expected.empty()) << "no expected digests at " << GoldenPath("_hundred.txt");
    EXPECT_EQ(std::string(expected.begin(), expected.end()), actual);
}
