#include "core/StateChunk.h"

#include <climits>
#include <cstring>
#include <new>

int StateChunk::PutBytes(const void* data, int size) noexcept {
  if (size <= 0 || !data) return Size();
  const size_t needed = mBytes.size() + static_cast<size_t>(size);
  if (needed > static_cast<size_t>(INT_MAX)) return Size();
  try {
    if (needed > mBytes.capacity()) {
      // Grow ahead of need, in whole steps, so a state written value by value reallocates rarely.
      const size_t steps = (needed + kGrowStep - 1) / kGrowStep;
      mBytes.reserve(steps * kGrowStep);
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    mBytes.insert(mBytes.end(), bytes, bytes + size);
  } catch (const std::bad_alloc&) {
    return Size();
  }
  return Size();
}

int StateChunk::GetBytes(void* out, int size, int pos) const noexcept {
  if (pos < 0 || size < 0 || !out) return -1;
  if (pos > Size() || size > Size() - pos) return -1;
  if (size > 0) std::memcpy(out, mBytes.data() + pos, static_cast<size_t>(size));
  return pos + size;
}

int StateChunk::PutText(const char* text) noexcept {
  const size_t length = text ? std::strlen(text) : 0;
  if (length > static_cast<size_t>(INT_MAX - 4)) return Size();
  const int32_t n = static_cast<int32_t>(length);
  const int before = Size();
  if (Put(n) == before) return before;
  if (n > 0 && PutBytes(text, n) == before + 4) {
    mBytes.resize(static_cast<size_t>(before));  // all or nothing
    return before;
  }
  return Size();
}

int StateChunk::GetText(char* out, int outSize, int pos) const noexcept {
  int32_t length = 0;
  const int textPos = Get(&length, pos);
  if (textPos < 0 || length < 0) return -1;
  if (out && outSize > 0) {
    int n = 0;
    if (length > 0 && length <= Size() - textPos) {
      const char* text = reinterpret_cast<const char*>(mBytes.data() + textPos);
      while (n < length && n + 1 < outSize && text[n] != '\0') {
        out[n] = text[n];
        ++n;
      }
    }
    out[n] = '\0';
  }
  const long long next = static_cast<long long>(textPos) + length;
  return next > INT_MAX ? -1 : static_cast<int>(next);
}

void StateChunk::WriteChunkHeader() noexcept {
  Clear();
  Put(kChunkMarker);
  Put(kChunkVersion);
}

int StateChunk::ReadChunkHeader(int* pos) const noexcept {
  if (!pos) return 0;
  int32_t marker = 0;
  const int versionPos = Get(&marker, *pos);
  if (versionPos < 0 || marker != kChunkMarker) return 0;
  int32_t version = 0;
  const int next = Get(&version, versionPos);
  if (next < 0) {
    *pos = -1;
    return 0;
  }
  *pos = next;
  return version;
}
