// One libFuzzer target: LUMETRA_FUZZ_ENTRY names the entry point it drives.
#include "fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    return fuzz::LUMETRA_FUZZ_ENTRY(data, size);
}
