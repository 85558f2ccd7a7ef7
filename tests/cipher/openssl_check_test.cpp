// A whole benchmark pass compared with OpenSSL's libcrypto encrypting the same buffer (zeros)
// with the same key in the same mode (ECB, no padding).
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "cipher/aes.h"
#include "cipher/cipher_run.h"

namespace {

std::vector<std::uint8_t> openssl_ecb(const std::vector<std::uint8_t>& plain) {
    cipher::KeyState key;
    EXPECT_TRUE(cipher::parse_key(cipher::kKeyText, key));
    std::uint8_t key_bytes[16];
    for (int i = 0; i < 16; ++i) key_bytes[i] = key.s[i % 4][i / 4];
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        &EVP_CIPHER_CTX_free);
    EXPECT_EQ(EVP_EncryptInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, key_bytes, nullptr), 1);
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    std::vector<std::uint8_t> out(plain.size());
    int len = 0;
    EXPECT_EQ(EVP_EncryptUpdate(ctx.get(), out.data(), &len, plain.data(),
                                static_cast<int>(plain.size())),
              1);
    EXPECT_EQ(static_cast<std::size_t>(len), plain.size());
    return out;
}

TEST(OpenSslCrossCheck, AWholePassMatchesLibcrypto) {
    const std::size_t bytes = 16'000'000;
    std::vector<std::uint8_t> ours;
    ASSERT_TRUE(cipher::aes_pass(
        bytes, {}, [&](const std::uint8_t* data, std::size_t n) { ours.assign(data, data + n); }));
    ASSERT_EQ(ours.size(), bytes);
    const auto theirs = openssl_ecb(std::vector<std::uint8_t>(bytes, 0));
    EXPECT_TRUE(ours == theirs);
}

}  // namespace
