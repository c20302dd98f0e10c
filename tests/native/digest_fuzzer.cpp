// Differential fuzzer: each engine, on every path this processor runs, fed the
// input in chunk sizes that the input itself chooses (with HexDigest between
// chunks when it asks), must agree with zlib's CRC-32 and OpenSSL's MD5, SHA-1
// and SHA-256 of the whole message.

#include "hash/crc32.h"
#include "hash/engine_paths.h"
#include "hash/md5.h"
#include "hash/sha1.h"
#include "hash/sha256.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using namespace lumbrix;

struct Plan {
    std::uint32_t seed;
    std::uint32_t maxChunk;
    bool peek; // HexDigest after every chunk
};

// Feeds message to engine in pieces of 0 .. maxChunk (at least 1) bytes from a small
// generator, so that a finding replays exactly.
template <class Engine>
void Feed(Engine& engine, const std::vector<std::uint8_t>& message, const Plan& plan)
{
    std::uint32_t state = plan.seed | 1u;
    std::size_t done = 0;
    wchar_t hex[65];
    while (done < message.size()) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        std::size_t piece = state % (plan.maxChunk + 1);
        if (piece > message.size() - done) piece = message.size() - done;
        engine.Update(message.data() + done, static_cast<std::uint32_t>(piece));
        done += piece;
        if (plan.peek) engine.HexDigest(hex);
    }
}

void Reference(const EVP_MD* md, const std::vector<std::uint8_t>& message, std::uint8_t* out)
{
    unsigned int length = 0;
    if (!EVP_Digest(message.data(), message.size(), out, &length, md, nullptr)) std::abort();
}

[[noreturn]] void Mismatch(const char* engine, const char* path, std::size_t size)
{
    std::fprintf(stderr, "%s on path %s disagrees with the reference for %zu bytes\n", engine, path, size);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    Plan plan;
    plan.seed = input.ConsumeIntegral<std::uint32_t>();
    plan.maxChunk = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::uint32_t>(1, 80)
                                        : input.ConsumeIntegralInRange<std::uint32_t>(1, 9000);
    plan.peek = input.ConsumeBool();
    // Its own exact-size allocation, so that any read past the end is caught.
    const std::vector<std::uint8_t> message = input.ConsumeRemainingBytes<std::uint8_t>();

    const std::uint32_t crcExpected =
        static_cast<std::uint32_t>(crc32(0, message.data(), static_cast<uInt>(message.size())));
    std::uint8_t md5Expected[16], sha1Expected[20], sha256Expected[32];
    Reference(EVP_md5(), message, md5Expected);
    Reference(EVP_sha1(), message, sha1Expected);
    Reference(EVP_sha256(), message, sha256Expected);

    for (Crc32Path path : {Crc32Path::Table, Crc32Path::Clmul, Crc32Path::VpclmulAvx2, Crc32Path::VpclmulAvx512,
                            Crc32Path::Armv8}) {
        if (!UseCrc32Path(path)) continue;
        Crc32 crc;
        crc.Init();
        Feed(crc, message, plan);
        if (crc.Value() != crcExpected) Mismatch("CRC-32", PathName(path), message.size());
    }
    for (Sha1Path path :
         {Sha1Path::Portable, Sha1Path::Ssse3, Sha1Path::Avx2, Sha1Path::ShaExtensions, Sha1Path::Armv8}) {
        if (!UseSha1Path(path)) continue;
        Sha1 sha1;
        sha1.Init();
        Feed(sha1, message, plan);
        std::uint8_t digest[20];
        if (sha1.Result(digest) != shaSuccess || std::memcmp(digest, sha1Expected, 20) != 0)
            Mismatch("SHA-1", PathName(path), message.size());
    }
    for (Sha256Path path : {Sha256Path::Portable, Sha256Path::ShaExtensions, Sha256Path::Armv8}) {
        if (!UseSha256Path(path)) continue;
        Sha256 sha256;
        sha256.Init();
        Feed(sha256, message, plan);
        std::uint8_t digest[32];
        sha256.Digest(digest);
        if (std::memcmp(digest, sha256Expected, 32) != 0) Mismatch("SHA-256", PathName(path), message.size());
    }
    Md5 md5;
    md5.Init();
    Feed(md5, message, plan);
    std::uint8_t digest[16];
    md5.Digest(digest);
    if (std::memcmp(digest, md5Expected, 16) != 0) Mismatch("MD5", "portable", message.size());
    return 0;
}
