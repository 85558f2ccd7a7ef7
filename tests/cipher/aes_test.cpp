// AES-128 against the FIPS-197 examples (appendix A.1 key schedule, appendix B and C.1
// ciphers), the fast table cipher against the reference one, and bad key texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "cipher/aes.h"

namespace {

std::vector<std::uint8_t> hex_bytes(const std::string& hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

cipher::ExpandedKey expanded_from(const std::string& hex) {
    cipher::KeyState key;
    EXPECT_TRUE(cipher::parse_key(hex, key));
    cipher::ExpandedKey expanded;
    cipher::expand_key(key, expanded);
    return expanded;
}

// Both ciphers on one block.
void expect_vector(const std::string& key_hex, const std::string& plain_hex,
                   const std::string& cipher_hex) {
    const cipher::ExpandedKey key = expanded_from(key_hex);
    const auto plain = hex_bytes(plain_hex);
    const auto want = hex_bytes(cipher_hex);
    std::uint8_t out[16];
    cipher::encrypt_block_reference(key, plain.data(), out);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 16), want) << "reference, key " << key_hex;
    cipher::RoundWords words;
    cipher::make_round_words(key, words);
    std::vector<std::uint8_t> block = plain;
    cipher::encrypt_ecb(words, block.data(), 1);
    EXPECT_EQ(block, want) << "fast, key " << key_hex;
}

TEST(AesVectors, Fips197AppendixBAndC1) {
    expect_vector("2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734",
                  "3925841d02dc09fbdc118597196a0b32");
    expect_vector("000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
                  "69c4e0d86a7b0430d8cdb78070b4c55a");
}

TEST(AesVectors, Fips197AppendixA1KeySchedule) {
    const std::uint32_t want[44] = {
        0x2b7e1516, 0x28aed2a6, 0xabf71588, 0x09cf4f3c, 0xa0fafe17, 0x88542cb1, 0x23a33939,
        0x2a6c7605, 0xf2c295f2, 0x7a96b943, 0x5935807a, 0x7359f67f, 0x3d80477d, 0x4716fe3e,
        0x1e237e44, 0x6d7a883b, 0xef44a541, 0xa8525b7f, 0xb671253b, 0xdb0bad00, 0xd4d1c6f8,
        0x7c839d87, 0xcaf2b8bc, 0x11f915bc, 0x6d88a37a, 0x110b3efd, 0xdbf98641, 0xca0093fd,
        0x4e54f70e, 0x5f5fc9f3, 0x84a64fb2, 0x4ea6dc4f, 0xead27321, 0xb58dbad2, 0x312bf560,
        0x7f8d292f, 0xac7766f3, 0x19fadc21, 0x28d12941, 0x575c006e, 0xd014f9a8, 0xc9ee2589,
        0xe13f0cc8, 0xb6630ca6};
    const cipher::ExpandedKey key = expanded_from("2b7e151628aed2a6abf7158809cf4f3c");
    for (int i = 0; i < 44; ++i) EXPECT_EQ(cipher::schedule_word(key, i), want[i]) << "w" << i;
    // Round keys are stored by rows: round 1, row 0 holds the top bytes of w4..w7.
    EXPECT_EQ(key.round[1][0], 0xa0);
    EXPECT_EQ(key.round[1][1], 0x88);
    EXPECT_EQ(key.round[1][4], 0xfa);
}

TEST(AesVectors, FastCiphersMatchReferenceOnEveryBlockOfABuffer) {
    const cipher::ExpandedKey key = expanded_from(std::string(cipher::kKeyText));
    cipher::RoundWords words;
    cipher::make_round_words(key, words);
    std::mt19937 gen(42);
    // The plain kernel and the one this processor picks; odd counts take the tails after the
    // groups of blocks.
    for (app::IsaFeatures isa : {app::kIsaPlain, app::processor_isa()}) {
        const auto& kernel = cipher::ecb_kernel_for(isa);
        for (std::size_t blocks : {1u, 2u, 3u, 5u, 16u, 64u, 101u}) {
            std::vector<std::uint8_t> data(16 * blocks);
            for (auto& b : data) b = static_cast<std::uint8_t>(gen());
            std::vector<std::uint8_t> want(data.size());
            for (std::size_t i = 0; i < blocks; ++i)
                cipher::encrypt_block_reference(key, &data[16 * i], &want[16 * i]);
            kernel.fn(words, data.data(), blocks);
            EXPECT_EQ(data, want) << kernel.name << ", " << blocks << " blocks";
        }
    }
}

TEST(KeyText, ShortOrNonHexTextIsRefused) {
    cipher::KeyState key;
    EXPECT_FALSE(cipher::parse_key("5F1E", key));
    EXPECT_EQ(key.s[0][0], 0x5f);  // what was read is kept, the rest is zero
    EXPECT_EQ(key.s[0][1], 0x00);
    EXPECT_FALSE(cipher::parse_key("5F1E9C3A7B2D46E08A1C3F5D7B9E204G", key));
    EXPECT_FALSE(cipher::parse_key("", key));
}

}  // namespace
