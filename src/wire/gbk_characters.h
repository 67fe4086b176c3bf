#pragma once

#include <array>
#include <cstdint>

namespace brindle::wire {

// Every high byte paired with every byte that can follow it (0 standing for the end of the text),
// at (high byte − 0x80) × 0x100 + following byte: the character's UTF-8 in the first three bytes,
// and in the fourth its UTF-8 length (bits 0-1), whether it took the following byte too (bit 2)
// and whether it is invalid (bit 3). Decoding then takes one lookup and no branch per character;
// a decoder copies all four bytes and steps on by the length.
inline constexpr std::uint8_t kTakesTwoBytes = 4;
inline constexpr std::uint8_t kInvalidChar = 8;
using PackedChar = std::array<char, 4>;
using PackedCharacters = std::array<PackedChar, 0x80 * 0x100>;

// Built from iconv's GBK on first use; thread-safe.
const PackedCharacters& packed_gbk_characters();

}  // namespace brindle::wire
