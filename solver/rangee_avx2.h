// Nine 32-bit words (a band's nine digit words, in both engines) for the AVX2
// versions: words 0..7 in the lanes of one 256-bit register, word 8 in a
// general register beside it. As sixteen lanes of a 512-bit vector, which
// AVX2 splits into two registers, the second holding word 8 alone, every
// operation would cost two and the engines' rows would not fit in the
// sixteen vector registers; this way the two halves run on different units.
// Under the engines' rules (solver/compteur_moteur.h): unnamed namespace, no
// inline function of the standard library.
#pragma once

#if defined(__AVX2__) && !defined(__AVX512F__)

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {
namespace rangee_avx2 {

using Huit = uint32_t __attribute__((vector_size(32)));

struct Mots {
  Huit v;      // words 0..7
  uint32_t x;  // word 8

  friend Mots operator|(Mots a, Mots b) { return {a.v | b.v, a.x | b.x}; }
  friend Mots operator&(Mots a, Mots b) { return {a.v & b.v, a.x & b.x}; }
  friend Mots operator^(Mots a, Mots b) { return {a.v ^ b.v, a.x ^ b.x}; }
  friend Mots operator|(Mots a, uint32_t m) { return {a.v | m, a.x | m}; }
  friend Mots operator&(Mots a, uint32_t m) { return {a.v & m, a.x & m}; }
  friend Mots operator&(uint32_t m, Mots a) { return a & m; }
  friend Mots operator^(Mots a, uint32_t m) { return {a.v ^ m, a.x ^ m}; }
  friend Mots operator+(Mots a, uint32_t m) { return {a.v + m, a.x + m}; }
  friend Mots operator-(Mots a, uint32_t m) { return {a.v - m, a.x - m}; }
  friend Mots operator-(uint32_t m, Mots a) { return {m - a.v, m - a.x}; }
  friend Mots operator*(Mots a, uint32_t m) { return {a.v * m, a.x * m}; }
  friend Mots operator<<(Mots a, int k) { return {a.v << k, a.x << k}; }
  friend Mots operator>>(Mots a, int k) { return {a.v >> k, a.x >> k}; }
  Mots operator~() const { return {~v, ~x}; }
  Mots& operator|=(Mots b) { return *this = *this | b; }
  Mots& operator&=(Mots b) { return *this = *this & b; }
};

// The nine words from memory, and back (words 9.. are neither read nor
// written).
inline Mots charger(const uint32_t* r) {
  Mots m;
  std::memcpy(&m.v, r, sizeof(m.v));
  m.x = r[8];
  return m;
}
inline void ranger(uint32_t* r, Mots m) {
  std::memcpy(r, &m.v, sizeof(m.v));
  r[8] = m.x;
}

// A band's 27 cells (r[0..26], nothing read past them) in four registers
// of eight lanes: cells 0..7, 8..15, 16..23, and 24..26 followed by 0s.
inline void charger_bande(const int32_t* r, __m256i (&huit)[4]) {
  for (int q = 0; q < 3; ++q) {
    std::memcpy(&huit[q], r + std::ptrdiff_t{8} * q, sizeof(huit[q]));
  }
  huit[3] = _mm256_maskload_epi32(r + 24, _mm256_setr_epi32(-1, -1, -1, 0, 0, 0, 0, 0));
}

// Every bit set in the words that are not 0 (`si`), or that are (`si_nul`);
// none elsewhere.
inline Mots si(Mots m) { return {__builtin_convertvector(m.v != 0U, Huit), m.x != 0 ? ~0U : 0U}; }
inline Mots si_nul(Mots m) {
  return {__builtin_convertvector(m.v == 0U, Huit), m.x == 0 ? ~0U : 0U};
}

// Whether every word is 0.
inline bool nul(Mots m) {
  const auto v = reinterpret_cast<__m256i>(m.v);
  return _mm256_testz_si256(v, v) != 0 && m.x == 0;
}

// The words that are not 0, as bits 0..8.
inline uint32_t non_nuls(Mots m) {
  const auto v = reinterpret_cast<__m256i>(m.v);
  const auto nuls = static_cast<uint32_t>(
      _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(v, _mm256_setzero_si256()))));
  return (~nuls & 0xFFU) | static_cast<uint32_t>(m.x != 0) << 8;
}

// The union of the nine words.
inline uint32_t union_des(Mots m) {
  Huit v = m.v | __builtin_shufflevector(m.v, m.v, 4, 5, 6, 7, 0, 1, 2, 3);
  v |= __builtin_shufflevector(v, v, 2, 3, 0, 1, 6, 7, 4, 5);
  v |= __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6);
  return v[0] | m.x;
}

}  // namespace rangee_avx2
}  // namespace

#endif
