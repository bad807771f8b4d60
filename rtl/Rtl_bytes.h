// Little-endian fields in byte buffers: the byte order of every file format the program reads
// and writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rtl {

uint16_t GetLe16(const uint8_t* bytes);
uint32_t GetLe32(const uint8_t* bytes);
void PutLe16(uint8_t* bytes, uint16_t value);
void PutLe32(uint8_t* bytes, uint32_t value);
// Big-endian, for the digests whose standards define their words so.
uint32_t GetBe32(const uint8_t* bytes);
void PutBe32(uint8_t* bytes, uint32_t value);
// The same at the end of a growing buffer.
void AppendLe16(std::vector<uint8_t>& bytes, uint16_t value);
void AppendLe32(std::vector<uint8_t>& bytes, uint32_t value);

} // namespace rtl
