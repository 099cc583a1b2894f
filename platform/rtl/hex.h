#pragma once
// Bytes as hexadecimal text and back, as the platform's BinToHex/HexToBin.
#include <cstddef>

#include "platform/rtl/types.h"

namespace rtl {

// Writes 2 * size upper-case hexadecimal digits to `text` (no terminator).
void BinToHex(const void* buffer, Char* text, int size);
void BinToHex(const void* buffer, char* text, int size);

// Reads pairs of hexadecimal digits (either case) from `text` into `buffer`,
// at most `bufSize` bytes and never past `textLength` characters; stops at
// the first pair holding a character that is not a digit. Returns the number
// of bytes written.
int HexToBin(const Char* text, std::size_t textLength, void* buffer, int bufSize);
int HexToBin(const char* text, std::size_t textLength, void* buffer, int bufSize);

}  // namespace rtl
