// Throughput of the digest engines on every path against zlib's CRC-32 and
// OpenSSL's MD5, SHA-1 and SHA-256, single thread, 64 KiB chunks in memory.
// Timed in thread CPU time; the contenders take turns, round after round, and
// each keeps its best round, so that load from other processes hurts all alike.
//
//   bench_digests [all|sha1|sha256] [rounds]
// "sha1" and "sha256" measure only that digest: for runs with OpenSSL's SHA
// extensions (or more) masked through OPENSSL_ia32cap, to compare our paths
// for other processors.

#include "hash/crc32.h"
#include "hash/engine_paths.h"
#include "hash/md5.h"
#include "hash/sha1.h"
#include "hash/sha256.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <time.h>
#include <vector>

namespace {

using namespace lumbrix;

constexpr std::size_t kChunk = 65536;

struct Contender {
    std::string engine, path;
    bool reference;
    std::function<void(const std::uint8_t*, std::size_t)> update;
    double best = 0; // MB/s
};

// The thread's own CPU time, so that time spent descheduled does not count.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double TimeOnce(Contender& c, const std::vector<std::uint8_t>& chunk, int chunks)
{
    const double start = ThreadSeconds();
    for (int i = 0; i < chunks; ++i) c.update(chunk.data(), chunk.size());
    const double seconds = ThreadSeconds() - start;
    return double(chunks) * double(chunk.size()) / seconds / 1e6;
}

class OpenSslDigest {
public:
    explicit OpenSslDigest(const EVP_MD* md) : context_(EVP_MD_CTX_new())
    {
        if (!context_ || !EVP_DigestInit_ex(context_, md, nullptr)) std::abort();
    }
    ~OpenSslDigest() { EVP_MD_CTX_free(context_); }
    OpenSslDigest(const OpenSslDigest&) = delete;
    OpenSslDigest& operator=(const OpenSslDigest&) = delete;
    void Update(const std::uint8_t* p, std::size_t n) { EVP_DigestUpdate(context_, p, n); }

private:
    EVP_MD_CTX* context_;
};

} // namespace

int main(int argc, char** argv)
{
    const std::string only = argc > 1 && std::strcmp(argv[1], "all") != 0 ? argv[1] : "";
    const bool wantSha1 = only.empty() || only == "sha1";
    const bool wantSha256 = only.empty() || only == "sha256";
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 60;
    const char* mask = std::getenv("OPENSSL_ia32cap");

    std::vector<std::uint8_t> chunk(kChunk);
    std::mt19937 random(1);
    for (auto& b : chunk) b = static_cast<std::uint8_t>(random());

    Crc32 crc32;
    Md5 md5;
    Sha1 sha1;
    Sha256 sha256;
    crc32.Init();
    md5.Init();
    sha1.Init();
    sha256.Init();
    uLong zlibCrc = 0;
    OpenSslDigest opensslMd5(EVP_md5()), opensslSha1(EVP_sha1()), opensslSha256(EVP_sha256());
    const std::string openssl = mask ? std::string("OpenSSL ia32cap=") + mask : "OpenSSL";

    std::vector<Contender> contenders;
    if (only.empty()) {
        contenders.push_back(
            {"CRC-32", "zlib", true, [&](const std::uint8_t* p, std::size_t n) { zlibCrc = crc32_z(zlibCrc, p, n); }});
        for (Crc32Path path : {Crc32Path::Table, Crc32Path::Clmul, Crc32Path::VpclmulAvx2, Crc32Path::VpclmulAvx512,
                               Crc32Path::Armv8})
            if (CanRun(path))
                contenders.push_back({"CRC-32", PathName(path), false, [&, path](const std::uint8_t* p, std::size_t n) {
                                          UseCrc32Path(path);
                                          crc32.Update(p, static_cast<std::uint32_t>(n));
                                      }});
        contenders.push_back(
            {"MD5", "OpenSSL", true, [&](const std::uint8_t* p, std::size_t n) { opensslMd5.Update(p, n); }});
        contenders.push_back({"MD5", "portable", false, [&](const std::uint8_t* p, std::size_t n) {
                                  md5.Update(p, static_cast<std::uint32_t>(n));
                              }});
    }
    if (wantSha1) {
        contenders.push_back(
            {"SHA-1", openssl, true, [&](const std::uint8_t* p, std::size_t n) { opensslSha1.Update(p, n); }});
        for (Sha1Path path : {Sha1Path::Portable, Sha1Path::Ssse3, Sha1Path::Avx2, Sha1Path::ShaExtensions, Sha1Path::Armv8})
            if (CanRun(path))
                contenders.push_back({"SHA-1", PathName(path), false, [&, path](const std::uint8_t* p, std::size_t n) {
                                          UseSha1Path(path);
                                          sha1.Update(p, static_cast<std::uint32_t>(n));
                                      }});
    }
    if (wantSha256) {
        contenders.push_back(
            {"SHA-256", openssl, true, [&](const std::uint8_t* p, std::size_t n) { opensslSha256.Update(p, n); }});
        for (Sha256Path path : {Sha256Path::Portable, Sha256Path::ShaExtensions, Sha256Path::Armv8})
            if (CanRun(path))
                contenders.push_back({"SHA-256", PathName(path), false,
                                      [&, path](const std::uint8_t* p, std::size_t n) {
                                          UseSha256Path(path);
                                          sha256.Update(p, static_cast<std::uint32_t>(n));
                                      }});
    }
    if (contenders.empty()) {
        std::fprintf(stderr, "usage: bench_digests [all|sha1|sha256] [rounds]\n");
        return 2;
    }

    // Short timings (about 20 ms each), many rounds: on a shared machine the
    // best round is one that no other process disturbed.
    std::vector<int> chunks;
    for (Contender& c : contenders) {
        const double rate = TimeOnce(c, chunk, 64);
        chunks.push_back(std::max(8, int(rate * 1e6 * 0.02 / kChunk)));
    }
    for (int round = 0; round < rounds; ++round)
        for (std::size_t i = 0; i < contenders.size(); ++i)
            contenders[i].best = std::max(contenders[i].best, TimeOnce(contenders[i], chunk, chunks[i]));

    std::printf("%-7s %-36s %10s %10s\n", "engine", "implementation", "MB/s", "ratio");
    const Contender* reference = nullptr;
    for (const Contender& c : contenders) {
        if (c.reference) reference = &c;
        if (c.reference)
            std::printf("%-7s %-36s %10.0f %10s\n", c.engine.c_str(), c.path.c_str(), c.best, "1.00");
        else
            std::printf("%-7s %-36s %10.0f %10.2f\n", c.engine.c_str(), ("ours: " + c.path).c_str(), c.best,
                        c.best / reference->best);
    }
    std::printf("(best of %d rounds; chosen paths here: CRC-32 %s, SHA-1 %s, SHA-256 %s)\n", rounds,
                PathName(BestCrc32Path()), PathName(BestSha1Path()), PathName(BestSha256Path()));
    volatile std::uint32_t sink = crc32.Value() ^ static_cast<std::uint32_t>(zlibCrc);
    (void)sink;
    return 0;
}
