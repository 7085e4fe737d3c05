// The installer's block read and written only inside the bytes its caller vouches for: a field
// that lies (or runs) past them reads as 0 or as an empty text, with a trace line, and the
// memory after the block, which is unreadable here, is never touched.
#include "guarded_bytes.h"
#include "installer/lmprofinst.h"
#include "test_support.h"

namespace {

enum class Op { U32, Put, Text, WideText };

std::string Outside(size_t off, size_t cb)
{
    return "SETUPDATA - field " + std::to_string(off) + " outside the block of " + std::to_string(cb) + " bytes\n";
}

std::string RunsPast(size_t off, size_t cb)
{
    return "SETUPDATA - text at " + std::to_string(off) + " runs past the block of " + std::to_string(cb) +
           " bytes\n";
}

class SetupData : public TracedTest {};

}  // namespace

TEST_F(SetupData, FieldsPastTheBlockAreRefusedWithATraceLine)
{
    using namespace setupdata;
    const DWORD VALUE = 0x12345678;
    struct {
        const char* pszWhat;
        Op op;
        size_t off;
        size_t cb;            // bytes of the block
        std::string stored;   // bytes stored at off, as far as the block holds them
        bool bOk;
        std::string expected; // the value or text read ("" for a refusal)
        std::string trace;    // the one line traced, "" for none
    } cases[] = {
        {"whole block", Op::U32, OFF_CODE_PAGE, BLOCK_SIZE, std::string("\x78\x56\x34\x12", 4), true, "305419896", ""},
        {"one byte short", Op::U32, OFF_CODE_PAGE, OFF_CODE_PAGE + 3, "", false, "0", Outside(OFF_CODE_PAGE, OFF_CODE_PAGE + 3)},
        {"empty block", Op::U32, OFF_OS_KIND, 0, "", false, "0", Outside(OFF_OS_KIND, 0)},
        {"write inside", Op::Put, OFF_TOP, OFF_TOP + 4, "", true, "", ""},
        {"write two bytes short", Op::Put, OFF_TOP, OFF_TOP + 2, "", false, "", Outside(OFF_TOP, OFF_TOP + 2)},
        {"text ends at the block", Op::Text, OFF_PRINTER_MODEL, OFF_PRINTER_MODEL + 11, std::string("LM Fixture\0", 11),
         true, "LM Fixture", ""},
        {"text cut by the block", Op::Text, OFF_PRINTER_MODEL, OFF_PRINTER_MODEL + 10, "LM Fixture", false, "",
         RunsPast(OFF_PRINTER_MODEL, OFF_PRINTER_MODEL + 10)},
        {"text after the block", Op::Text, OFF_PRINTER_NAME, 100, "", false, "", Outside(OFF_PRINTER_NAME, 100)},
        {"text filling its cell", Op::Text, OFF_TITLE, BLOCK_SIZE, std::string(TEXT_CELL, 'x'), false, "", ""},
        {"wide text inside", Op::WideText, OFF_SOURCE_FOLDER, OFF_SOURCE_FOLDER + 6, std::string("C\0:\0\0\0", 6),
         true, "C:", ""},
        {"wide text cut mid-unit", Op::WideText, OFF_SOURCE_FOLDER, OFF_SOURCE_FOLDER + 5,
         std::string("C\0:\0\\", 5), false, "", RunsPast(OFF_SOURCE_FOLDER, OFF_SOURCE_FOLDER + 5)},
        {"wide text after the block", Op::WideText, OFF_SOURCE_FOLDER, OFF_SOURCE_FOLDER + 1, "", false, "",
         Outside(OFF_SOURCE_FOLDER, OFF_SOURCE_FOLDER + 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        GuardedBytes bytes(c.cb);
        ASSERT_TRUE(bytes);
        ASSERT_TRUE(bytes.Put(c.off, c.stored.data(), c.stored.size()) || c.stored.empty());
        Block block(reinterpret_cast<SETUPDATA*>(bytes.Get()), c.cb);
        TraceCapture::Clear();
        bool bOk = false;
        std::string got;
        switch (c.op) {
        case Op::U32: {
            DWORD dw = 0xEEEEEEEE;
            bOk = block.ReadU32(c.off, &dw);
            got = std::to_string(dw);
            break;
        }
        case Op::Put:
            bOk = block.PutI32(c.off, LONG(VALUE));
            if (bOk) {
                EXPECT_EQ(VALUE, block.U32(c.off));
            }
            break;
        case Op::Text: {
            char sz[TEXT_CELL + 1] = "keep";
            bOk = block.CopyText(c.off, sz, sizeof(sz));
            got = sz;
            break;
        }
        case Op::WideText: {
            wchar_t wsz[TEXT_CELL] = L"keep";
            bOk = block.CopyWideText(c.off, wsz, TEXT_CELL);
            got = std::string(wsz, wsz + wcslen(wsz));
            break;
        }
        }
        EXPECT_EQ(c.bOk, bOk);
        EXPECT_EQ(c.expected, got);
        EXPECT_EQ(c.trace.empty() ? std::vector<std::string>() : std::vector<std::string>{c.trace},
                  TraceCapture::Lines());
    }
}

// A package built on a block that ends after the text fields reads those, and takes the fields
// past the end as missing (OS kind 0, language 0) rather than reading on.
TEST_F(SetupData, PackageOnAShortBlockReadsOnlyWhatTheBlockHolds)
{
    // Loaded for the test alone: a session test checks what its unloading does.
    HMODULE hDll = LoadLibraryA((ExeFolder() + "..\\LmProfInst.dll").c_str());
    ASSERT_NE(nullptr, hDll);
    {
        GuardedBytes bytes(setupdata::OFF_OS_KIND);
        ASSERT_TRUE(bytes);
        bytes.Put(setupdata::OFF_PRINTER_MODEL, "Model X", 8);
        LMPROFINST package(nullptr, hDll, reinterpret_cast<SETUPDATA*>(bytes.Get()), bytes.Size());
        EXPECT_TRUE(TraceCapture::Contains(Outside(setupdata::OFF_OS_KIND, setupdata::OFF_OS_KIND)))
            << TraceCapture::Dump();
        EXPECT_TRUE(TraceCapture::Contains(Outside(setupdata::OFF_LANGUAGE, setupdata::OFF_OS_KIND)));
        EXPECT_EQ(0, package.RunWizardPage(reinterpret_cast<SETUPDATA*>(bytes.Get()), bytes.Size()))
            << "no slot: the block's own answer, which lies outside it";
    }
    FreeLibrary(hDll);
}
