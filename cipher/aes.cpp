// AES-128 encryption. The portable path is the classic four-table form: each round of a column
// is four table reads (SubBytes, ShiftRows and MixColumns folded together) and the round key.
// The benchmark measures software AES, so processors with AES instructions (AES-NI, VAES) are
// compared on the same work as the reference machine: no kernel uses them. Processors with
// AVX-512 byte permutes run the same table-driven cipher on four blocks per register.
#include "cipher/aes.h"

#include <immintrin.h>

#include <array>
#include <cstring>

namespace cipher {
namespace {

constexpr std::uint8_t xtime(std::uint8_t x) {
    return static_cast<std::uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1b : 0x00));
}

constexpr std::uint8_t gf_mul(std::uint8_t a, std::uint8_t b) {
    std::uint8_t p = 0;
    while (b) {
        if (b & 1) p ^= a;
        a = xtime(a);
        b >>= 1;
    }
    return p;
}

// The S-box from its definition: the multiplicative inverse in GF(2^8), then the affine map.
// The inverses come from the powers of the generator 3 (x = 3^k has the inverse 3^(255-k)), so
// the table takes a few thousand steps to build: within every compiler's constant-evaluation
// limit, where a search over all products is not.
constexpr std::array<std::uint8_t, 256> make_sbox() {
    std::array<std::uint8_t, 255> power{};
    std::array<int, 256> exponent{};
    std::uint8_t p = 1;
    for (int k = 0; k < 255; ++k) {
        power[k] = p;
        exponent[p] = k;
        p = static_cast<std::uint8_t>(p ^ xtime(p));  // p * 3
    }
    std::array<std::uint8_t, 256> s{};
    for (int x = 0; x < 256; ++x) {
        const std::uint8_t inv = x == 0 ? 0 : power[(255 - exponent[x]) % 255];
        std::uint8_t r = inv;
        for (int i = 1; i <= 4; ++i) r ^= static_cast<std::uint8_t>((inv << i) | (inv >> (8 - i)));
        s[x] = static_cast<std::uint8_t>(r ^ 0x63);
    }
    return s;
}

constexpr std::array<std::uint8_t, 256> kSbox = make_sbox();

constexpr std::uint32_t rotl(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

// Te0[x]: the column contribution of a row-0 byte x, as a little-endian word (row r in bits
// 8r): (2 S[x], S[x], S[x], 3 S[x]). The other rows are rotations of it.
constexpr std::array<std::uint32_t, 256> make_te(int rotation) {
    std::array<std::uint32_t, 256> t{};
    for (int x = 0; x < 256; ++x) {
        const std::uint8_t s = kSbox[x];
        const std::uint32_t w = std::uint32_t(xtime(s)) | std::uint32_t(s) << 8 |
                                std::uint32_t(s) << 16 | std::uint32_t(xtime(s) ^ s) << 24;
        t[x] = rotation ? rotl(w, rotation) : w;
    }
    return t;
}

alignas(64) constexpr std::array<std::uint32_t, 256> kTe0 = make_te(0);
alignas(64) constexpr std::array<std::uint32_t, 256> kTe1 = make_te(8);
alignas(64) constexpr std::array<std::uint32_t, 256> kTe2 = make_te(16);
alignas(64) constexpr std::array<std::uint32_t, 256> kTe3 = make_te(24);
alignas(64) constexpr std::array<std::uint8_t, 256> kSboxTable = kSbox;

constexpr std::uint8_t kRcon[10] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x1b, 0x36};

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

inline std::uint32_t load_le(const std::uint8_t* p) {
    std::uint32_t w;
    std::memcpy(&w, p, 4);
    return w;  // x86 is little-endian
}

inline void store_le(std::uint8_t* p, std::uint32_t w) {
    std::memcpy(p, &w, 4);
}

#define B0(x) ((x)&0xffu)
#define B1(x) (((x) >> 8) & 0xffu)
#define B2(x) (((x) >> 16) & 0xffu)
#define B3(x) ((x) >> 24)

// One full round of one block: new column c takes row r from old column c + r.
#define AES_ROUND(t0, t1, t2, t3, s0, s1, s2, s3, rk)                         \
    t0 = kTe0[B0(s0)] ^ kTe1[B1(s1)] ^ kTe2[B2(s2)] ^ kTe3[B3(s3)] ^ (rk)[0]; \
    t1 = kTe0[B0(s1)] ^ kTe1[B1(s2)] ^ kTe2[B2(s3)] ^ kTe3[B3(s0)] ^ (rk)[1]; \
    t2 = kTe0[B0(s2)] ^ kTe1[B1(s3)] ^ kTe2[B2(s0)] ^ kTe3[B3(s1)] ^ (rk)[2]; \
    t3 = kTe0[B0(s3)] ^ kTe1[B1(s0)] ^ kTe2[B2(s1)] ^ kTe3[B3(s2)] ^ (rk)[3];

#define AES_FINAL_COLUMN(a, b, c, d, k)                                                  \
    ((std::uint32_t(kSboxTable[B0(a)]) | std::uint32_t(kSboxTable[B1(b)]) << 8 |         \
      std::uint32_t(kSboxTable[B2(c)]) << 16 | std::uint32_t(kSboxTable[B3(d)]) << 24) ^ \
     (k))

}  // namespace

bool parse_key(std::string_view text, KeyState& key) {
    key = KeyState{};
    for (int i = 0; i < 16; ++i) {
        if (text.size() < std::size_t(2 * i + 2)) return false;
        const int hi = hex_value(text[2 * i]);
        const int lo = hex_value(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        key.s[i % 4][i / 4] = static_cast<std::uint8_t>((hi * 16) ^ lo);
    }
    return true;
}

void expand_key(const KeyState& key, ExpandedKey& expanded) {
    // Words as columns of four bytes, row 0 first.
    std::uint8_t w[44][4];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) w[c][r] = key.s[r][c];
    for (int i = 4; i < 44; ++i) {
        std::uint8_t t[4] = {w[i - 1][0], w[i - 1][1], w[i - 1][2], w[i - 1][3]};
        if (i % 4 == 0) {
            // RotWord, SubWord, Rcon.
            const std::uint8_t first = t[0];
            t[0] = static_cast<std::uint8_t>(kSbox[t[1]] ^ kRcon[i / 4 - 1]);
            t[1] = kSbox[t[2]];
            t[2] = kSbox[t[3]];
            t[3] = kSbox[first];
        }
        for (int r = 0; r < 4; ++r) w[i][r] = static_cast<std::uint8_t>(w[i - 4][r] ^ t[r]);
    }
    for (int k = 0; k < 11; ++k)
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b) expanded.round[k][4 * a + b] = w[4 * k + b][a];
}

std::uint32_t schedule_word(const ExpandedKey& expanded, int i) {
    const std::uint8_t* rk = expanded.round[i / 4];
    const int b = i % 4;
    return std::uint32_t(rk[b]) << 24 | std::uint32_t(rk[4 + b]) << 16 |
           std::uint32_t(rk[8 + b]) << 8 | std::uint32_t(rk[12 + b]);
}

void encrypt_block_reference(const ExpandedKey& key, const std::uint8_t in[16],
                             std::uint8_t out[16]) {
    std::uint8_t s[4][4];
    for (int i = 0; i < 16; ++i) s[i % 4][i / 4] = in[i];
    auto add_round_key = [&](int k) {
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b) s[a][b] ^= key.round[k][4 * a + b];
    };
    add_round_key(0);
    for (int round = 1; round <= 10; ++round) {
        for (auto& row : s)
            for (auto& x : row) x = kSbox[x];
        for (int r = 1; r < 4; ++r) {
            std::uint8_t t[4];
            for (int c = 0; c < 4; ++c) t[c] = s[r][(c + r) % 4];
            std::memcpy(s[r], t, 4);
        }
        if (round != 10) {
            for (int c = 0; c < 4; ++c) {
                const std::uint8_t a0 = s[0][c], a1 = s[1][c], a2 = s[2][c], a3 = s[3][c];
                s[0][c] = static_cast<std::uint8_t>(gf_mul(a0, 2) ^ gf_mul(a1, 3) ^ a2 ^ a3);
                s[1][c] = static_cast<std::uint8_t>(a0 ^ gf_mul(a1, 2) ^ gf_mul(a2, 3) ^ a3);
                s[2][c] = static_cast<std::uint8_t>(a0 ^ a1 ^ gf_mul(a2, 2) ^ gf_mul(a3, 3));
                s[3][c] = static_cast<std::uint8_t>(gf_mul(a0, 3) ^ a1 ^ a2 ^ gf_mul(a3, 2));
            }
        }
        add_round_key(round);
    }
    for (int i = 0; i < 16; ++i) out[i] = s[i % 4][i / 4];
}

void make_round_words(const ExpandedKey& key, RoundWords& words) {
    for (int k = 0; k < 11; ++k)
        for (int c = 0; c < 4; ++c)
            words.w[4 * k + c] = std::uint32_t(key.round[k][c]) |
                                 std::uint32_t(key.round[k][4 + c]) << 8 |
                                 std::uint32_t(key.round[k][8 + c]) << 16 |
                                 std::uint32_t(key.round[k][12 + c]) << 24;
}

namespace {

void encrypt_ecb_tables(const RoundWords& key, std::uint8_t* data, std::size_t blocks) {
    const std::uint32_t* rk = key.w;
    std::size_t i = 0;
    // Two blocks per step: their rounds are independent, so the table reads of one overlap
    // the other's. No branch inside a step; the rounds are written out.
    for (; i + 2 <= blocks; i += 2) {
        std::uint8_t* p = data + 16 * i;
        std::uint32_t a0 = load_le(p) ^ rk[0], a1 = load_le(p + 4) ^ rk[1];
        std::uint32_t a2 = load_le(p + 8) ^ rk[2], a3 = load_le(p + 12) ^ rk[3];
        std::uint32_t b0 = load_le(p + 16) ^ rk[0], b1 = load_le(p + 20) ^ rk[1];
        std::uint32_t b2 = load_le(p + 24) ^ rk[2], b3 = load_le(p + 28) ^ rk[3];
        std::uint32_t x0, x1, x2, x3, y0, y1, y2, y3;
#define AES_TWO_ROUNDS(r)                                       \
    AES_ROUND(x0, x1, x2, x3, a0, a1, a2, a3, rk + 4 * (r))     \
    AES_ROUND(y0, y1, y2, y3, b0, b1, b2, b3, rk + 4 * (r))     \
    AES_ROUND(a0, a1, a2, a3, x0, x1, x2, x3, rk + 4 * (r + 1)) \
    AES_ROUND(b0, b1, b2, b3, y0, y1, y2, y3, rk + 4 * (r + 1))
        AES_TWO_ROUNDS(1)
        AES_TWO_ROUNDS(3)
        AES_TWO_ROUNDS(5)
        AES_TWO_ROUNDS(7)
#undef AES_TWO_ROUNDS
        AES_ROUND(x0, x1, x2, x3, a0, a1, a2, a3, rk + 36)
        AES_ROUND(y0, y1, y2, y3, b0, b1, b2, b3, rk + 36)
        store_le(p, AES_FINAL_COLUMN(x0, x1, x2, x3, rk[40]));
        store_le(p + 4, AES_FINAL_COLUMN(x1, x2, x3, x0, rk[41]));
        store_le(p + 8, AES_FINAL_COLUMN(x2, x3, x0, x1, rk[42]));
        store_le(p + 12, AES_FINAL_COLUMN(x3, x0, x1, x2, rk[43]));
        store_le(p + 16, AES_FINAL_COLUMN(y0, y1, y2, y3, rk[40]));
        store_le(p + 20, AES_FINAL_COLUMN(y1, y2, y3, y0, rk[41]));
        store_le(p + 24, AES_FINAL_COLUMN(y2, y3, y0, y1, rk[42]));
        store_le(p + 28, AES_FINAL_COLUMN(y3, y0, y1, y2, rk[43]));
    }
    // An odd last block.
    if (i < blocks) {
        std::uint8_t* p = data + 16 * i;
        std::uint32_t a0 = load_le(p) ^ rk[0], a1 = load_le(p + 4) ^ rk[1];
        std::uint32_t a2 = load_le(p + 8) ^ rk[2], a3 = load_le(p + 12) ^ rk[3];
        std::uint32_t x0, x1, x2, x3;
        for (int r = 1; r < 10; r += 2) {
            AES_ROUND(x0, x1, x2, x3, a0, a1, a2, a3, rk + 4 * r)
            if (r == 9) break;
            AES_ROUND(a0, a1, a2, a3, x0, x1, x2, x3, rk + 4 * (r + 1))
        }
        store_le(p, AES_FINAL_COLUMN(x0, x1, x2, x3, rk[40]));
        store_le(p + 4, AES_FINAL_COLUMN(x1, x2, x3, x0, rk[41]));
        store_le(p + 8, AES_FINAL_COLUMN(x2, x3, x0, x1, rk[42]));
        store_le(p + 12, AES_FINAL_COLUMN(x3, x0, x1, x2, rk[43]));
    }
}

// The same cipher with the state held in bytes, four blocks to a 512-bit register (one block
// per 128-bit lane, in memory order: column c is the little-endian word at bytes 4c..4c+3).
// Still software AES with the S-box as a 256-byte table: a byte permute looks up 128 entries
// in two registers, so SubBytes is two lookups and a choice by the top bit of each byte.
// ShiftRows is a byte shuffle inside each lane, MixColumns rotations of the column words and
// doubling in GF(2^8); no AES instruction is used.
#define LUMETRA_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))
#define LUMETRA_VBMI_INLINE \
    __attribute__((target("avx512f,avx512bw,avx512vbmi"), always_inline)) inline

// Every lane (the unmasked intrinsics of this compiler leave a source formally undefined).
constexpr __mmask16 kAll = 0xffff;

struct ByteAesConstants {
    __m512i sbox[4];  // entries 0-63, 64-127, 128-191, 192-255
    __m512i shift_rows;
    __m512i rk[11];
};

LUMETRA_VBMI_INLINE __m512i sub_bytes(const ByteAesConstants& k, __m512i x) {
    const __m512i lo = _mm512_permutex2var_epi8(k.sbox[0], x, k.sbox[1]);
    const __m512i hi = _mm512_permutex2var_epi8(k.sbox[2], x, k.sbox[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), lo, hi);
}

// One full round: ShiftRows (a permutation of bytes, so it may come before SubBytes), SubBytes,
// MixColumns, AddRoundKey. Row r of a column is byte r of its word: rotating the word right
// by 8r brings row i + r to row i.
LUMETRA_VBMI_INLINE __m512i full_round(const ByteAesConstants& k, __m512i x, __m512i rk) {
    const __m512i s = sub_bytes(k, _mm512_shuffle_epi8(x, k.shift_rows));
    const __m512i r1 = _mm512_maskz_ror_epi32(kAll, s, 8);
    const __m512i r2 = _mm512_maskz_ror_epi32(kAll, s, 16);
    const __m512i r3 = _mm512_maskz_ror_epi32(kAll, s, 24);
    // 2 a_i + 3 a_(i+1) + a_(i+2) + a_(i+3) = xtime(a_i + a_(i+1)) + a_(i+1) + a_(i+2) + a_(i+3)
    const __m512i t = _mm512_xor_si512(s, r1);
    const __m512i twice = _mm512_add_epi8(t, t);
    const __m512i reduce = _mm512_maskz_mov_epi8(_mm512_movepi8_mask(t), _mm512_set1_epi8(0x1b));
    const __m512i xt = _mm512_xor_si512(twice, reduce);
    const __m512i u = _mm512_ternarylogic_epi32(xt, r1, r2, 0x96);
    return _mm512_ternarylogic_epi32(u, r3, rk, 0x96);
}

LUMETRA_VBMI_INLINE __m512i last_round(const ByteAesConstants& k, __m512i x, __m512i rk) {
    return _mm512_xor_si512(sub_bytes(k, _mm512_shuffle_epi8(x, k.shift_rows)), rk);
}

LUMETRA_VBMI_INLINE __m512i encrypt4(const ByteAesConstants& k, __m512i x) {
    x = _mm512_xor_si512(x, k.rk[0]);
#pragma GCC unroll 9
    for (int r = 1; r < 10; ++r) x = full_round(k, x, k.rk[r]);
    return last_round(k, x, k.rk[10]);
}

LUMETRA_VBMI void encrypt_ecb_bytes(const RoundWords& key, std::uint8_t* data, std::size_t blocks) {
    ByteAesConstants k;
    for (int i = 0; i < 4; ++i) k.sbox[i] = _mm512_loadu_si512(kSboxTable.data() + 64 * i);
    alignas(64) std::uint8_t shift[64];
    for (int lane = 0; lane < 4; ++lane)
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r)
                shift[16 * lane + 4 * c + r] = static_cast<std::uint8_t>(4 * ((c + r) & 3) + r);
    k.shift_rows = _mm512_load_si512(shift);
    for (int r = 0; r < 11; ++r)
        k.rk[r] = _mm512_maskz_broadcast_i32x4(
            kAll, _mm_loadu_si128(reinterpret_cast<const __m128i*>(key.w + 4 * r)));
    std::size_t i = 0;
    // Sixteen blocks per step: four independent registers keep the permute units busy.
    for (; i + 16 <= blocks; i += 16) {
        std::uint8_t* p = data + 16 * i;
        __m512i x0 = _mm512_loadu_si512(p), x1 = _mm512_loadu_si512(p + 64);
        __m512i x2 = _mm512_loadu_si512(p + 128), x3 = _mm512_loadu_si512(p + 192);
        x0 = _mm512_xor_si512(x0, k.rk[0]);
        x1 = _mm512_xor_si512(x1, k.rk[0]);
        x2 = _mm512_xor_si512(x2, k.rk[0]);
        x3 = _mm512_xor_si512(x3, k.rk[0]);
#pragma GCC unroll 9
        for (int r = 1; r < 10; ++r) {
            x0 = full_round(k, x0, k.rk[r]);
            x1 = full_round(k, x1, k.rk[r]);
            x2 = full_round(k, x2, k.rk[r]);
            x3 = full_round(k, x3, k.rk[r]);
        }
        _mm512_storeu_si512(p, last_round(k, x0, k.rk[10]));
        _mm512_storeu_si512(p + 64, last_round(k, x1, k.rk[10]));
        _mm512_storeu_si512(p + 128, last_round(k, x2, k.rk[10]));
        _mm512_storeu_si512(p + 192, last_round(k, x3, k.rk[10]));
    }
    // The last up to fifteen blocks, four at a time, the final group masked by block.
    for (; i < blocks; i += 4) {
        const std::size_t n = blocks - i < 4 ? blocks - i : 4;
        const __mmask16 m = static_cast<__mmask16>((1u << (4 * n)) - 1u);
        std::uint8_t* p = data + 16 * i;
        _mm512_mask_storeu_epi32(p, m, encrypt4(k, _mm512_maskz_loadu_epi32(m, p)));
    }
}

constexpr app::IsaKernel<EcbKernel> kEcbKernels[] = {
    {"AES bytes, AVX-512 VBMI", app::kIsaAvx512f | app::kIsaAvx512Vbmi, encrypt_ecb_bytes},
    {"AES T-tables", app::kIsaPlain, encrypt_ecb_tables},
};

}  // namespace

const app::IsaKernel<EcbKernel>& ecb_kernel_for(app::IsaFeatures available) {
    return app::pick_kernel(kEcbKernels, available);
}

void encrypt_ecb(const RoundWords& key, std::uint8_t* data, std::size_t blocks) {
    ecb_kernel_for(app::chosen_isa()).fn(key, data, blocks);
}

}  // namespace cipher
