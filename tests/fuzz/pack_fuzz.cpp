// `lmprof pack` fed any text: it refuses with a reason and builds nothing, or it builds a file
// that `check` passes and whose `show --json` packs back to the very same bytes.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "jxp_document.h"
#include "jxp_pack.h"
#include "report.h"

namespace {

std::string ShowJson(const JxpDocument& doc)
{
    char* p = nullptr;
    size_t cb = 0;
    FILE* f = open_memstream(&p, &cb);
    FUZZ_CHECK(f != nullptr, "no memory stream");
    PrintDocumentJson(f, "fuzz.jxp", doc);
    fclose(f);
    std::string s(p, cb);
    free(p);
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb)
{
    // The text in an allocation of its own length: a read past the end of the JSON trips ASan.
    ExactCopy text(pData, cb);
    std::vector<uint8_t> file;
    std::string why;
    if (!PackJxpJson(reinterpret_cast<const char*>(text.Data()), text.Size(), &file, &why)) {
        FUZZ_CHECK(file.empty(), "a refusal left %zu bytes", file.size());
        FUZZ_CHECK(!why.empty(), "a refusal without a reason");
        return 0;
    }
    JxpDocument doc = DecodeJxp(file.data(), file.size());
    FUZZ_CHECK(!doc.bDamaged, "pack built a file check refuses: %s at offset %llu", doc.damage.c_str(),
               (unsigned long long)doc.qwDamageOffset);

    std::string json = ShowJson(doc);
    std::vector<uint8_t> again;
    FUZZ_CHECK(PackJxpJson(json.data(), json.size(), &again, &why), "show --json of a packed file is refused: %s",
               why.c_str());
    FUZZ_CHECK(again == file, "show --json then pack gave %zu bytes for a file of %zu", again.size(), file.size());
    return 0;
}
