// The entry points the libFuzzer targets call for every input, shared with the corpus replay
// test so CI checks the kept corpora without clang. Each returns 0.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

int profile_reader(const uint8_t* data, std::size_t size);
int md_deck(const uint8_t* data, std::size_t size);
int atom_deck(const uint8_t* data, std::size_t size);
int command_line(const uint8_t* data, std::size_t size);
int results_compare(const uint8_t* data, std::size_t size);
int scf_inputs(const uint8_t* data, std::size_t size);

}  // namespace fuzz
