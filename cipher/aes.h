// AES-128 (FIPS-197): the benchmark's key text and its parsing, the key schedule, a plain
// state-by-state cipher (the reference), and the fast table-driven ECB encryption the
// benchmark times.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/isa.h"

namespace cipher {

// The key stored with the program, and its size in bits.
inline constexpr std::string_view kKeyText = "5F1E9C3A7B2D46E08A1C3F5D7B9E2046";
inline constexpr int kKeyBits = 128;

// The 4 x 4 key state: byte i of the key at row i mod 4, column i div 4.
struct KeyState {
    std::uint8_t s[4][4] = {};
};

// Round key k as 4 rows of 4 bytes: row a, column b at offset 4a + b.
struct ExpandedKey {
    std::uint8_t round[11][16] = {};
};

// Parses 32 hexadecimal digits (either case). A text that is too short or holds another
// character gives false (the bytes parsed so far are kept, the rest are 0).
bool parse_key(std::string_view text, KeyState& key);

// The AES-128 key schedule (Nk = 4, 44 words, 10 rounds).
void expand_key(const KeyState& key, ExpandedKey& expanded);

// Word i (0..43) of the schedule as FIPS-197 prints it: row 0 in the top byte.
std::uint32_t schedule_word(const ExpandedKey& expanded, int i);

// One block by the book: SubBytes, ShiftRows, MixColumns, AddRoundKey on a 4 x 4 state. The
// oracle of the fast cipher.
void encrypt_block_reference(const ExpandedKey& key, const std::uint8_t in[16],
                             std::uint8_t out[16]);

// The round keys as the fast cipher reads them: one little-endian word per column.
struct RoundWords {
    std::uint32_t w[44] = {};
};
void make_round_words(const ExpandedKey& key, RoundWords& words);

// Electronic codebook: every 16-byte block encrypted on its own, in place, by the kernel the
// process's decision picks (app/isa.h).
void encrypt_ecb(const RoundWords& key, std::uint8_t* data, std::size_t blocks);

// The ECB kernels, and the one `available` picks.
using EcbKernel = void (*)(const RoundWords& key, std::uint8_t* data, std::size_t blocks);
const app::IsaKernel<EcbKernel>& ecb_kernel_for(app::IsaFeatures available);

}  // namespace cipher
