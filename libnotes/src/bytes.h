// Little-endian reading and writing of on-disk words.
#ifndef LIBNOTES_BYTES_H_
#define LIBNOTES_BYTES_H_

#include <cstdint>
#include <cstring>
#include <string>

namespace notes {

inline uint16_t LoadWord(const void* p) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  return uint16_t(b[0] | (b[1] << 8));
}

inline uint32_t LoadDword(const void* p) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) |
         (uint32_t(b[3]) << 24);
}

inline void StoreWord(void* p, uint16_t v) {
  uint8_t* b = static_cast<uint8_t*>(p);
  b[0] = uint8_t(v);
  b[1] = uint8_t(v >> 8);
}

inline void StoreDword(void* p, uint32_t v) {
  uint8_t* b = static_cast<uint8_t*>(p);
  b[0] = uint8_t(v);
  b[1] = uint8_t(v >> 8);
  b[2] = uint8_t(v >> 16);
  b[3] = uint8_t(v >> 24);
}

// Appends on-disk words to a byte string.
inline void PutWord(std::string* out, uint16_t v) {
  char b[2];
  StoreWord(b, v);
  out->append(b, 2);
}

inline void PutDword(std::string* out, uint32_t v) {
  char b[4];
  StoreDword(b, v);
  out->append(b, 4);
}

inline void PutDouble(std::string* out, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  PutDword(out, uint32_t(bits));
  PutDword(out, uint32_t(bits >> 32));
}

inline double LoadDouble(const void* p) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  uint64_t bits = uint64_t(LoadDword(b)) | (uint64_t(LoadDword(b + 4)) << 32);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

}  // namespace notes

#endif  // LIBNOTES_BYTES_H_
