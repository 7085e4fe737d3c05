// Shared by the fuzz targets: a check that names the broken promise, and copies of outside bytes
// in allocations of their exact size.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

// A broken promise aborts with the place and what was seen, so libFuzzer keeps the input.
#define FUZZ_CHECK(cond, ...)                                                      \
    do {                                                                           \
        if (!(cond)) {                                                             \
            fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__, __LINE__, #cond); \
            fprintf(stderr, __VA_ARGS__);                                          \
            fputc('\n', stderr);                                                   \
            abort();                                                               \
        }                                                                          \
    } while (0)

// Bytes held in an allocation of exactly their length. A decoder that reads one byte past a
// section, a block or a record then trips AddressSanitizer, where the same read inside the
// larger fuzz input would go unnoticed.
class ExactCopy {
public:
    // A null source gives zeros.
    ExactCopy(const uint8_t* pSource, size_t cb) : m_p(new uint8_t[cb]), m_cb(cb)
    {
        if (cb && pSource)
            memcpy(m_p.get(), pSource, cb);
        else if (cb)
            memset(m_p.get(), 0, cb);
    }
    uint8_t* Data() { return m_p.get(); }
    const uint8_t* Data() const { return m_p.get(); }
    size_t Size() const { return m_cb; }

private:
    std::unique_ptr<uint8_t[]> m_p;
    size_t m_cb;
};

// Reads every byte of a view, so a view that points outside its allocation is reported where it
// is handed out rather than where some later caller happens to use it.
inline void TouchBytes(const uint8_t* p, size_t cb)
{
    volatile uint8_t bSink = 0;
    for (size_t i = 0; i < cb; ++i)
        bSink = bSink ^ p[i];
    (void)bSink;
}
