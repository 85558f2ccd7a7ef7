/* AES peer: OpenSSL's AES-128 ECB through EVP, as the cipher benchmark's whole pass does it:
 * 100 passes, each allocating a zeroed 16,000,000-byte buffer, setting up the key and encrypting
 * the buffer in place, then releasing it. Prints MiB/s of the 1.6e9 bytes. Which AES OpenSSL runs
 * is chosen with OPENSSL_ia32cap (AES-NI masked: its vector-permute AES; SSSE3 masked as well: its
 * table AES).
 *
 *   aes_peer */
#include <openssl/evp.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + 1e-9 * (double)ts.tv_nsec;
}

int main(void) {
    static const unsigned char key[16] = {0x5F, 0x1E, 0x9C, 0x3A, 0x7B, 0x2D, 0x46, 0xE0,
                                          0x8A, 0x1C, 0x3F, 0x5D, 0x7B, 0x9E, 0x20, 0x46};
    const int bytes = 16000000;
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    if (!ctx) return 2;
    const double t0 = now();
    for (int pass = 0; pass < 100; ++pass) {
        unsigned char* buffer = calloc((size_t)bytes, 1); /* zeroed, as the benchmark's */
        if (!buffer) return 2;
        int out = 0;
        if (EVP_EncryptInit_ex(ctx, EVP_aes_128_ecb(), NULL, key, NULL) != 1 ||
            EVP_CIPHER_CTX_set_padding(ctx, 0) != 1 ||
            EVP_EncryptUpdate(ctx, buffer, &out, buffer, bytes) != 1 || out != bytes)
            return 1;
        free(buffer);
    }
    const double t = now() - t0;
    printf("%.2f\n", 1.6e9 / t / 1048576.0);
    EVP_CIPHER_CTX_free(ctx);
    return 0;
}
