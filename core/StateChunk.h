// A growable byte buffer for plug-in state, program and bank chunks. Values are appended and
// read in the machine's native (little-endian) layout: 32-bit integers as 4 bytes, 64-bit floats
// as 8 IEEE 754 bytes, booleans as one byte. Reads take a byte position and return the position
// after the value, or -1 when the value does not fit before the end; -1 in gives -1 out, so a
// chain of reads can be checked once at its end.
//
// Not thread-safe; the core fills and reads chunks under its parameter lock.
#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

#if defined(__BYTE_ORDER__)
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "stored state is little-endian");
#endif

class StateChunk {
 public:
  static constexpr int32_t kChunkMarker = 0x70666674;  // bytes 74 66 66 70
  static constexpr int32_t kChunkVersion = 0x10000;
  static constexpr int kGrowStep = 4096;

  StateChunk() = default;

  // Appends size bytes; returns the new size. When the buffer cannot grow nothing is written
  // and the old size is returned.
  int PutBytes(const void* data, int size) noexcept;
  // Copies size bytes at pos into out; returns pos + size, or -1 (out untouched) when pos is
  // negative or fewer than size bytes remain.
  int GetBytes(void* out, int size, int pos) const noexcept;

  template <class T>
  int Put(const T& value) noexcept {
    static_assert(std::is_trivially_copyable<T>::value, "only plain values are stored");
    return PutBytes(&value, static_cast<int>(sizeof(T)));
  }
  template <class T>
  int Get(T* value, int pos) const noexcept {
    static_assert(std::is_trivially_copyable<T>::value, "only plain values are stored");
    return GetBytes(value, static_cast<int>(sizeof(T)), pos);
  }

  // Appends a 32-bit length and the text's bytes without terminator (null counts as empty).
  int PutText(const char* text) noexcept;
  // Reads a text written by PutText into out[outSize] (cut to fit, ending early at a NUL byte).
  // A length that runs past the end gives the empty text and a position past the end, which the
  // next read reports as failed. Returns -1 when the length itself is missing or negative.
  int GetText(char* out, int outSize, int pos) const noexcept;

  // Empties the chunk and appends the marker and the current chunk version.
  void WriteChunkHeader() noexcept;
  // With the marker at *pos: returns the version and moves *pos past the header, or returns 0
  // and sets *pos to -1 when the version is cut off. Without the marker: 0, *pos unchanged.
  int ReadChunkHeader(int* pos) const noexcept;

  void Clear() noexcept { mBytes.clear(); }
  int Size() const noexcept { return static_cast<int>(mBytes.size()); }
  const uint8_t* Data() const noexcept { return mBytes.data(); }

 private:
  std::vector<uint8_t> mBytes;
};
