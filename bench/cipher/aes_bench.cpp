// One benchmark pass (fresh 16,000,000-byte buffer, key loaded and expanded, ECB encryption in
// place, buffer released) beside OpenSSL's EVP AES-128-ECB doing the same, with OpenSSL's AES
// instructions masked so that both are software AES. OpenSSL reads OPENSSL_ia32cap when
// libcrypto loads, before main, so the program sets it and starts itself again.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "cipher/aes.h"
#include "cipher/cipher_run.h"

namespace {

constexpr std::size_t kPassBytes = 16'000'000;

// Clears the AES-NI (bit 57) and PCLMULQDQ (bit 33) capability bits: OpenSSL 3.0 then runs its
// SSSE3 vector-permute AES. Setting OPENSSL_ia32cap before the start overrides this; adding
// SSSE3 (bit 41), "~0x200020200000000", leaves OpenSSL its table AES.
constexpr const char* kMaskAesNi = "~0x200000200000000";

std::uint8_t g_key_bytes[16];

void openssl_ecb(EVP_CIPHER_CTX* ctx, std::uint8_t* data, std::size_t bytes) {
    EVP_EncryptInit_ex(ctx, EVP_aes_128_ecb(), nullptr, g_key_bytes, nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    int len = 0;
    EVP_EncryptUpdate(ctx, data, &len, data, static_cast<int>(bytes));
}

void BM_pass_lumetra(benchmark::State& state) {
    for (auto _ : state) {
        cipher::aes_pass(kPassBytes, {}, [](const std::uint8_t* d, std::size_t) {
            benchmark::DoNotOptimize(d[0]);
        });
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPassBytes));
}

// The same pass on the portable T-table kernel, as a processor without AVX-512 VBMI runs it.
void BM_pass_lumetra_plain(benchmark::State& state) {
    const app::ScopedIsaLimit plain(app::kIsaPlain);
    BM_pass_lumetra(state);
}

void BM_pass_openssl(benchmark::State& state) {
    for (auto _ : state) {
        auto* buffer = static_cast<std::uint8_t*>(std::calloc(kPassBytes, 1));
        EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
        openssl_ecb(ctx, buffer, kPassBytes);
        EVP_CIPHER_CTX_free(ctx);
        benchmark::DoNotOptimize(buffer[0]);
        std::free(buffer);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPassBytes));
}

// The ciphers alone, on one buffer kept between iterations.
void BM_encrypt_lumetra(benchmark::State& state) {
    std::vector<std::uint8_t> buffer(kPassBytes);
    cipher::KeyState key;
    cipher::parse_key(cipher::kKeyText, key);
    cipher::ExpandedKey expanded;
    cipher::expand_key(key, expanded);
    cipher::RoundWords words;
    cipher::make_round_words(expanded, words);
    for (auto _ : state) {
        cipher::encrypt_ecb(words, buffer.data(), kPassBytes / 16);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPassBytes));
}

void BM_encrypt_openssl(benchmark::State& state) {
    std::vector<std::uint8_t> buffer(kPassBytes);
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        &EVP_CIPHER_CTX_free);
    for (auto _ : state) {
        openssl_ecb(ctx.get(), buffer.data(), kPassBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPassBytes));
}

BENCHMARK(BM_pass_lumetra)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_pass_lumetra_plain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_pass_openssl)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_encrypt_lumetra)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_encrypt_openssl)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("OPENSSL_ia32cap") == nullptr) {
        // Start again with the mask in the environment; if that fails, say so and go on.
        setenv("OPENSSL_ia32cap", kMaskAesNi, 1);
        execv("/proc/self/exe", argv);
        std::fprintf(stderr, "warning: could not restart with OPENSSL_ia32cap set\n");
    }
    cipher::KeyState key;
    cipher::parse_key(cipher::kKeyText, key);
    for (int i = 0; i < 16; ++i) g_key_bytes[i] = key.s[i % 4][i / 4];
    benchmark::AddCustomContext("OPENSSL_ia32cap", std::getenv("OPENSSL_ia32cap"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
