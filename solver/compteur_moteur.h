// The solution counter's engine, included once by each file that compiles it
// for an instruction set (compteur_portable.cc, compteur_avx2.cc,
// compteur_avx512.cc). Everything here is in an unnamed namespace on purpose:
// each inclusion gets its own copy with internal linkage, so the linker can
// never keep an AVX2 copy of a function for the portable path. For the same
// reason the engine calls no inline function of the standard library (whose
// copies the linker would merge): C arrays, compiler builtins and memcpy only.
//
// Representation. For each band b (lines 3b..3b+2) and digit d (0..8), one
// 27-bit word holds the cells of the band where d may still go: bit
// 9 * (line - 3b) + column. A placed cell keeps its digit's bit and loses
// every other digit's; `ouvertes` holds, per band, the cells not yet placed.
// A band's nine words sit side by side in a row of sixteen (the rest 0), so
// that the AVX2 and AVX-512 versions test or clear a cell in all nine with
// one or two vector operations ("which digits may go here", "remove this
// cell from every digit"), and so that a rule can run on the nine words at
// once as one vector (`Mots`: the compilers' vector extensions, one AVX-512
// register or four SSE2 ones; with AVX2, digits 0..7 in one register and
// digit 8 in a general register).
//
// Propagation, until nothing changes:
//   1. each word that changed goes through the band rule: in a band, digit d
//      occupies one mini-line (three cells of a line inside a box) per line
//      and per box, i.e. a permutation of three mini-lines out of nine. The
//      mini-lines that belong to no permutation the word still allows are
//      removed; no permutation left is a contradiction. This covers
//      box-line interactions both ways, and a line or box with one cell
//      left, which is then placed. One word goes through a table of 512
//      entries; a band with several changed words (a placement changes up to
//      eight) goes through the same rule computed on its nine words at once,
//      as bit operations on the vector (`passe_bande`);
//   2. naked singles: per band, the cells that one digit only may take
//      (the digits accumulated once and twice); a cell with none is a
//      contradiction;
//   3. for the digits whose words changed, the same rule turned a quarter
//      (the stack rule: one mini-column per column and per box of a stack),
//      then hidden singles in columns: the columns where one cell only is
//      left in the whole grid; a column with none is a contradiction. One
//      digit at a time through the table, or all nine at once on the three
//      band vectors (`piles_ensemble`).
// How many changed words make the vector forms pay was measured for each
// version (`kSeuilPasse`, `kSeuilPiles`).
// Placing d in cells of a band (all those a rule found at once) removes them
// from the other digits' words, their lines and boxes from d's word in the
// band, and their columns from d's words in the other bands. Each placement
// checks that d is still possible there, so two placements that clash are a
// contradiction too; the band rule's own placements skip the checks that the
// rule has just made.
//
// The givens are read a band and a value at a time (27 comparisons in one or
// a few vector operations, straight from the grid), and a band's nine digit
// words are checked and built from them as one vector: a repeated given is
// found before any search, a complete grid returns there, and each row is
// written whole, so that the first vector rule reads it without waiting for
// narrower stores.
//
// Search: on the cell with the fewest candidates (a cell with two, found by
// accumulating the digits three deep, when there is one; `chercher` says
// which of those), each candidate on a copy of the state (256 bytes, on the
// stack), the last on the state itself; the search stops at the second
// solution. Nothing is allocated; the recursion is at most 81 deep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__AVX2__)
#include <immintrin.h>
#endif

#include "solver/rangee_avx2.h"
#include "solver/solver.h"

// Rows travel as 64-byte vectors between inline functions of this unnamed
// namespace, which no other translation unit calls: the calling convention
// that g++ warns about for builds without AVX-512 never crosses a boundary.
// (g++ reports it at the end of the file, so the setting stays on for the
// rest of the including file, which only wraps `compter`.)
#pragma GCC diagnostic ignored "-Wpsabi"

// Called at each node of the search; nothing, unless the including file
// counts them (bench/counter_bench.cc does, on a copy of its own).
#ifndef COMPTEUR_NOEUD
#define COMPTEUR_NOEUD()
#endif

namespace {
namespace moteur {

constexpr uint32_t kBande = (1U << 27) - 1;
constexpr uint32_t kLigne = 0x1FF;

// For each set of a band's mini-lines (bit 3 * line + box), the cells of
// those that belong to a permutation (one mini-line per line and per box)
// within the set (mini-line k is cells 3k..3k+2); and each cell's peers in
// its band.
struct Tables {
  uint32_t permis[512];
  uint16_t permis9[512];  // the same as mini-lines: bit k for mini-line k
  uint32_t voisins[27];   // same line or box within the band, the cell excepted
};

constexpr Tables construire() {
  Tables t{};
  constexpr int kPermutations[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                       {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (uint32_t ensemble = 0; ensemble < 512; ++ensemble) {
    uint32_t gardees = 0;
    for (const auto& p : kPermutations) {
      const uint32_t m = 1U << p[0] | 1U << (3 + p[1]) | 1U << (6 + p[2]);
      if ((m & ensemble) == m) {
        gardees |= m;
      }
    }
    uint32_t cases = 0;
    for (int k = 0; k < 9; ++k) {
      if ((gardees >> k & 1U) != 0) {
        cases |= 7U << (3 * k);
      }
    }
    t.permis[ensemble] = cases;
    t.permis9[ensemble] = static_cast<uint16_t>(gardees);
  }
  for (int p = 0; p < 27; ++p) {
    uint32_t v = 0;
    for (int q = 0; q < 27; ++q) {
      if (q != p && (q / 9 == p / 9 || q % 9 / 3 == p % 9 / 3)) {
        v |= 1U << q;
      }
    }
    t.voisins[p] = v;
  }
  return t;
}

constexpr Tables kTables = construire();

// The mini-lines of a band word that hold a cell: bit 3 * line + box.
inline uint32_t mini_lignes(uint32_t w) {
  const uint32_t x = (w | w >> 1 | w >> 2) & 01111111111U;
#if defined(__BMI2__)
  return __builtin_ia32_pext_si(x, 01111111111U);
#else
  // Bits 3k moved to bit k: fold pairs, then quadruples, then the rest.
  uint32_t y = (x | x >> 2) & 0303030303U;  // k = 2j and 2j + 1 at bits 6j, 6j + 1
  y = (y | y >> 4) & 0x0F00F00FU;
  return (y & 0xF) | (y >> 8 & 0xF0) | (y >> 16 & 0x100);
#endif
}

// The fields of the three lines of a band word that hold exactly one cell.
inline uint32_t seules(uint32_t w) {
  const uint32_t f0 = w & kLigne;
  const uint32_t f1 = w >> 9 & kLigne;
  const uint32_t f2 = w >> 18;
  return ((f0 & (f0 - 1)) == 0 ? f0 : 0) | ((f1 & (f1 - 1)) == 0 ? f1 : 0) << 9 |
         ((f2 & (f2 - 1)) == 0 ? f2 : 0) << 18;
}

// A band's row of nine digit words, padded to sixteen for the vector loads
// (lanes 9..15 are always 0).
using Rangee = uint32_t[16];

#if defined(__AVX2__) && !defined(__AVX512F__)
// A row as vectors with AVX2 (solver/rangee_avx2.h): digits 0..7 in one
// register, digit 8 in a general register beside it.
using Mots = rangee_avx2::Mots;
using rangee_avx2::charger;
using rangee_avx2::non_nuls;
using rangee_avx2::ranger;
using rangee_avx2::si_nul;

constexpr Mots kNeuf = {{kBande, kBande, kBande, kBande, kBande, kBande, kBande, kBande}, kBande};
#else
// A row as one vector of sixteen lanes (g++ and clang++ vector extensions:
// one AVX-512 register, four SSE2 ones), lanes 9..15 0.
using Mots = uint32_t __attribute__((vector_size(64)));

inline Mots charger(const uint32_t* r) {
  Mots v;
  std::memcpy(&v, r, sizeof(v));
  return v;
}

inline void ranger(uint32_t* r, const Mots& v) { std::memcpy(r, &v, sizeof(v)); }

inline Mots si_nul(const Mots& f) { return reinterpret_cast<Mots>(f == 0); }

inline uint32_t non_nuls(const Mots& v) {
#if defined(__AVX512F__)
  __m512i x;
  std::memcpy(&x, &v, sizeof(x));
  return _mm512_test_epi32_mask(x, x) & 0x1FFU;
#else
  uint32_t k = 0;
  for (int d = 0; d < 9; ++d) {
    k |= static_cast<uint32_t>(v[d] != 0) << d;
  }
  return k;
#endif
}

constexpr Mots kNeuf = {kBande, kBande, kBande, kBande, kBande, kBande, kBande, kBande, kBande};
#endif

// The words of v that hold at most one bit, 0 for the others. With AVX-512,
// a test and a masked move: g++ makes a comparison, a blend and an AND of
// the vector form.
inline Mots seul_ou_rien(const Mots& v) {
#if defined(__AVX512F__)
  __m512i x;
  std::memcpy(&x, &v, sizeof(x));
  const Mots moins = v - 1;
  __m512i y;
  std::memcpy(&y, &moins, sizeof(y));
  const __m512i r = _mm512_maskz_mov_epi32(_mm512_testn_epi32_mask(x, y), x);
  Mots w;
  std::memcpy(&w, &r, sizeof(w));
  return w;
#else
  return v & si_nul(v & (v - 1));
#endif
}

// The digits (lanes 0..8) of row r whose word meets m, as bits; and the same
// while removing m from every word.
inline uint32_t rencontrent(const Rangee& r, uint32_t m) {
#if defined(__AVX512F__)
  return _mm512_test_epi32_mask(_mm512_loadu_si512(r), _mm512_set1_epi32(static_cast<int>(m)));
#elif defined(__AVX2__)
  const __m256i mm = _mm256_set1_epi32(static_cast<int>(m));
  const __m256i zero = _mm256_setzero_si256();
  const auto bas = static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(
      _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(r)), mm), zero))));
  return (~bas & 0xFFU) | static_cast<uint32_t>((r[8] & m) != 0) << 8;
#else
  uint32_t k = 0;
  for (int d = 0; d < 9; ++d) {
    k |= static_cast<uint32_t>((r[d] & m) != 0) << d;
  }
  return k;
#endif
}

inline uint32_t retirent(Rangee& r, uint32_t m) {
#if defined(__AVX512F__)
  const __m512i v = _mm512_loadu_si512(r);
  const __m512i mm = _mm512_set1_epi32(static_cast<int>(m));
  _mm512_storeu_si512(r, v & ~mm);  // (g++ 12 warns inside _mm512_andnot_si512)
  return _mm512_test_epi32_mask(v, mm);
#elif defined(__AVX2__)
  const __m256i mm = _mm256_set1_epi32(static_cast<int>(m));
  auto* p = reinterpret_cast<__m256i*>(r);
  const __m256i v = _mm256_loadu_si256(p);
  _mm256_storeu_si256(p, _mm256_andnot_si256(mm, v));
  const auto gardent = static_cast<uint32_t>(_mm256_movemask_ps(
      _mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_and_si256(v, mm), _mm256_setzero_si256()))));
  const uint32_t neuvieme = static_cast<uint32_t>((r[8] & m) != 0) << 8;
  r[8] &= ~m;
  return (~gardent & 0xFFU) | neuvieme;
#else
  uint32_t k = 0;
  for (int d = 0; d < 9; ++d) {
    k |= static_cast<uint32_t>((r[d] & m) != 0) << d;
    r[d] &= ~m;
  }
  return k;
#endif
}

struct Etat {
  alignas(64) Rangee cand[3];  // [band][digit]
  // Words changed (bit 16 * b + d) since the band rule, the naked singles and
  // the stack rule last looked at them. Kept apart: the compilers would
  // otherwise update two neighbours with one 16-byte operation after a rule
  // wrote one of them alone, and that load waits for the store to retire.
  uint64_t sales;
  uint32_t ouvertes[3];  // cells not yet placed, per band
  uint64_t nues;
  uint64_t ecart_;  // unused: keeps the two sets around it apart
  uint64_t colonnes;
};

// Words 16 * b + d of band b, of digit d.
constexpr uint64_t kMotsBande = kLigne;
constexpr uint64_t kMotsChiffre = 1U | 1U << 16 | uint64_t{1} << 32;
constexpr uint64_t kMots = kMotsBande * kMotsChiffre;

// From how many changed words of a band the band rule runs on the whole
// band at once, and from how many changed words the stack rule runs on every
// digit at once; measured for each version (the portable one, four SSE2
// operations a vector, gains nothing from the second).
#if defined(__AVX512F__)
constexpr int kSeuilPasse = 4;
constexpr int kSeuilPiles = 2;
#elif defined(__AVX2__)
constexpr int kSeuilPasse = 6;
constexpr int kSeuilPiles = 4;
#else
constexpr int kSeuilPasse = 8;
constexpr int kSeuilPiles = 28;  // never
#endif

// The other two bands of band b, in order, without a branch on b (its value
// changes from one placement to the next: a branch on it measured slower).
inline int autre1(int b) { return 1 >> b; }
inline int autre2(int b) { return 2 - (b >> 1); }

inline void change(Etat& e, uint64_t mots) {
  e.sales |= mots;
  e.nues |= mots;
  e.colonnes |= mots;
}

// Writes w, d's word in band b, where the open cells s are d's and their
// lines and boxes are free of d already: s leaves the open cells and the
// other digits' words, and its columns leave d's other bands. Without a
// branch, so that s may be empty (then only w is written).
inline void poser(Etat& e, int d, int b, uint32_t s, uint32_t w) {
  e.ouvertes[b] &= ~s;
  uint64_t mots = uint64_t{retirent(e.cand[b], s) | static_cast<uint32_t>(s != 0) << d} << (16 * b);
  e.cand[b][d] = w;
  const uint32_t colonnes = ((s | s >> 9 | s >> 18) & kLigne) * 01001001U;
  const int o1 = autre1(b);
  const int o2 = autre2(b);
  const uint32_t a1 = e.cand[o1][d];
  const uint32_t a2 = e.cand[o2][d];
  e.cand[o1][d] = a1 & ~colonnes;
  e.cand[o2][d] = a2 & ~colonnes;
  mots |= uint64_t{(a1 & colonnes) != 0} << (16 * o1 + d);
  mots |= uint64_t{(a2 & colonnes) != 0} << (16 * o2 + d);
  change(e, mots);
}

// Places digit d in the cells s of band b, all at once. False when d may
// not go into one of them, or when two of them share a line or box.
inline bool placer(Etat& e, int d, int b, uint32_t s) {
  if ((e.cand[b][d] & s) != s) {
    return false;
  }
  s &= e.ouvertes[b];  // cells placed already are placed with d
  if (s == 0) {
    return true;
  }
  uint32_t w = e.cand[b][d];
  for (uint32_t t = s; t != 0; t &= t - 1) {
    w &= ~kTables.voisins[__builtin_ctz(t)];
  }
  if ((w & s) != s) {
    return false;
  }
  poser(e, d, b, s, w);
  return true;
}

// The digits still possible in cell p of band b, as bits 0..8.
inline uint32_t chiffres(const Etat& e, int b, int p) { return rencontrent(e.cand[b], 1U << p); }

// The band rule on the nine words of band b at once, without the table: a
// mini-line is kept when the other two lines' mini-lines still hold one of
// the two ways to fill the other two boxes. Mini-line (l, x) is bit 9l + 3x
// of the mini-lines' word.
inline bool passe_bande(Etat& e, int b) {
  const Mots v = charger(e.cand[b]);
  const Mots x = (v | v >> 1 | v >> 2) & 01111111111U;
  const Mots a0 = x & 0111;
  const Mots a1 = x >> 9 & 0111;
  const Mots a2 = x >> 18;
  // Box x + 1 and box x + 2 of the same line, at x.
  const auto un = [](const Mots& a) { return (a >> 3 | a << 6) & 0111; };
  const auto deux = [](const Mots& a) { return (a >> 6 | a << 3) & 0111; };
  const Mots u0 = un(a0);
  const Mots u1 = un(a1);
  const Mots u2 = un(a2);
  const Mots t0 = deux(a0);
  const Mots t1 = deux(a1);
  const Mots t2 = deux(a2);
  const Mots k = (a0 & ((u1 & t2) | (t1 & u2))) | (a1 & ((u0 & t2) | (t0 & u2))) << 9 |
                 (a2 & ((u0 & t1) | (t0 & u1))) << 18;
  const Mots w = v & (k | k << 1 | k << 2);
  if (non_nuls(w) != 0x1FF) {
    return false;
  }
  ranger(e.cand[b], w);
  const uint64_t changes = uint64_t{non_nuls(v ^ w)} << (16 * b);
  e.nues |= changes;
  e.colonnes |= changes;
  const Mots f0 = w & kLigne;
  const Mots f1 = w >> 9 & kLigne;
  const Mots f2 = w >> 18;
  const Mots s =
      (seul_ou_rien(f0) | seul_ou_rien(f1) << 9 | seul_ou_rien(f2) << 18) & e.ouvertes[b];
  uint32_t chiffres_seuls = non_nuls(s);
  if (chiffres_seuls == 0) {
    return true;
  }
  alignas(64) uint32_t cases[16];
  ranger(cases, s);
  for (; chiffres_seuls != 0; chiffres_seuls &= chiffres_seuls - 1) {
    const int c = __builtin_ctz(chiffres_seuls);
    const uint32_t w_c = e.cand[b][c];
    if ((w_c & cases[c]) != cases[c]) {
      return false;  // another digit took one of the cells
    }
    poser(e, c, b, cases[c] & e.ouvertes[b], w_c);
  }
  return true;
}

// The band rule on every changed word.
inline bool regle_bande(Etat& e) {
  while (e.sales != 0) {
    const int k = __builtin_ctzll(e.sales);
    const int b = k >> 4;
    if (__builtin_popcountll(e.sales & kMotsBande << (16 * b)) >= kSeuilPasse) {
      e.sales &= ~(kMotsBande << (16 * b));
      if (!passe_bande(e, b)) {
        return false;
      }
      continue;
    }
    e.sales &= e.sales - 1;
    const int d = k & 15;
    const uint32_t avant = e.cand[b][d];
    const uint32_t w = avant & kTables.permis[mini_lignes(avant)];
    if (w == 0) {
      return false;
    }
    // After the rule, a line with one cell left has that cell's box to
    // itself: the cell is d's with nothing more to check in this band. The
    // placement writes w itself (and marks it changed): the row it reads
    // whole then waits for no store of w.
    const uint32_t s = seules(w) & e.ouvertes[b];
    if (s != 0) {
      poser(e, d, b, s, w);
      e.sales &= ~(uint64_t{1} << k);  // w is the rule's own word
    } else if (w != avant) {
      e.cand[b][d] = w;
      e.nues |= uint64_t{1} << k;
      e.colonnes |= uint64_t{1} << k;
    }
  }
  return true;
}

// Naked singles: the cells one digit only may take. A cell with none is a
// contradiction.
inline bool singles_nus(Etat& e) {
  const uint64_t nues = e.nues;
  e.nues = 0;
  for (int b = 0; b < 3; ++b) {
    if ((nues & kMotsBande << (16 * b)) == 0) {
      continue;
    }
    uint32_t une = 0;
    uint32_t deux = 0;
    for (int d = 0; d < 9; ++d) {
      deux |= une & e.cand[b][d];
      une |= e.cand[b][d];
    }
    if ((e.ouvertes[b] & ~une) != 0) {
      return false;
    }
    const uint32_t seuls = e.ouvertes[b] & ~deux;
    if (seuls == 0) {
      continue;
    }
    for (uint32_t k = rencontrent(e.cand[b], seuls); k != 0; k &= k - 1) {
      const int d = __builtin_ctz(k);
      if (!placer(e, d, b, seuls & e.cand[b][d])) {
        return false;
      }
    }
  }
  return true;
}

// The stack rule and hidden singles in columns, for each digit whose words
// changed. The stack rule is the band rule turned a quarter: in a stack,
// digit d occupies one mini-column (three cells of a column inside a box) per
// column and per box. A column where d has one cell left gets it; a column
// with none is a contradiction.
// The stack rule and hidden singles in columns for the nine digits at once,
// without the table: the band rule's computation turned a quarter, on the
// columns each band's words still have (column x of stack t is bit 3t + x).
inline bool piles_ensemble(Etat& e) {
  e.colonnes = 0;
  Mots v[3];
  Mots a[3];
  Mots u[3];
  Mots t[3];
  for (int b = 0; b < 3; ++b) {
    v[b] = charger(e.cand[b]);
    a[b] = (v[b] | v[b] >> 9 | v[b] >> 18) & kLigne;
    // Column x + 1 and column x + 2 of the same stack, at x.
    u[b] = (a[b] >> 1 & 0333) | (a[b] << 2 & 0444);
    t[b] = (a[b] >> 2 & 0111) | (a[b] << 1 & 0666);
  }
  Mots k[3];
  k[0] = a[0] & ((u[1] & t[2]) | (t[1] & u[2]));
  k[1] = a[1] & ((u[0] & t[2]) | (t[0] & u[2]));
  k[2] = a[2] & ((u[0] & t[1]) | (t[0] & u[1]));
  // A stack left without a way to place the digit.
  if (non_nuls(((k[0] | k[0] >> 1 | k[0] >> 2) & 0111) ^ 0111) != 0) {
    return false;
  }
  Mots une{};
  Mots deux{};
  uint64_t mots = 0;
  for (int b = 0; b < 3; ++b) {
    const Mots w = v[b] & (k[b] | k[b] << 9 | k[b] << 18);
    mots |= uint64_t{non_nuls(v[b] ^ w)} << (16 * b);
    ranger(e.cand[b], w);
    v[b] = w;
    for (unsigned l = 0; l < 27; l += 9) {
      const Mots f = w >> l & kLigne;
      deux |= une & f;
      une |= f;
    }
  }
  change(e, mots);
  if (non_nuls(une ^ kLigne) != 0) {
    return false;  // a column where the digit has no cell left
  }
  const Mots seul = une & ~deux;
  const Mots cases = seul | seul << 9 | seul << 18;
  for (int b = 0; b < 3; ++b) {
    alignas(64) uint32_t p[16];
    const Mots s = v[b] & cases & e.ouvertes[b];
    uint32_t chiffres_seuls = non_nuls(s);
    if (chiffres_seuls == 0) {
      continue;
    }
    ranger(p, s);
    for (; chiffres_seuls != 0; chiffres_seuls &= chiffres_seuls - 1) {
      const int x = __builtin_ctz(chiffres_seuls);
      if (!placer(e, x, b, p[x])) {
        return false;
      }
    }
  }
  return true;
}

inline bool regle_piles(Etat& e) {
  if (__builtin_popcountll(e.colonnes) >= kSeuilPiles) {
    return piles_ensemble(e);
  }
  for (int d = 0; d < 9; ++d) {
    if ((e.colonnes & kMotsChiffre << d) == 0) {
      continue;
    }
    e.colonnes &= ~(kMotsChiffre << d);
    uint32_t present[3];  // columns that hold a cell, per band
    for (int b = 0; b < 3; ++b) {
      const uint32_t w = e.cand[b][d];
      present[b] = (w | w >> 9 | w >> 18) & kLigne;
    }
    uint32_t garde = 0;  // bit 9 * b + x: mini-column of column x in band b kept
    for (int p = 0; p < 9; p += 3) {
      const uint32_t ensemble =
          (present[0] >> p & 7) | (present[1] >> p & 7) << 3 | (present[2] >> p & 7) << 6;
      const uint32_t g = kTables.permis9[ensemble];
      if (g == 0) {
        return false;
      }
      garde |= (g & 7) << p | (g >> 3 & 7) << (9 + p) | (g >> 6 & 7) << (18 + p);
    }
    uint32_t u = 0;
    uint32_t v = 0;
    for (int b = 0; b < 3; ++b) {
      const uint32_t avant = e.cand[b][d];
      const uint32_t w = avant & (garde >> (9 * b) & kLigne) * 01001001U;
      if (w != avant) {
        e.cand[b][d] = w;
        change(e, uint64_t{1} << (16 * b + d));
      }
      for (int l = 0; l < 27; l += 9) {
        const uint32_t f = w >> l & kLigne;
        v |= u & f;
        u |= f;
      }
    }
    const uint32_t seul = (u & ~v) * 01001001U;  // the column's cells in each line of a band
    for (int b = 0; b < 3; ++b) {
      if (!placer(e, d, b, e.cand[b][d] & seul & e.ouvertes[b])) {
        return false;
      }
    }
  }
  return true;
}

inline bool propager(Etat& e) {
  for (;;) {
    if (!regle_bande(e)) {
      return false;
    }
    if (e.nues != 0 && !singles_nus(e)) {
      return false;
    }
    if (e.sales != 0) {
      continue;
    }
    if (e.colonnes != 0 && !regle_piles(e)) {
      return false;
    }
    if (e.sales == 0) {
      return true;
    }
  }
}

// Counts the solutions below `e`, adding to n up to two.
inline void chercher(Etat& e, int32_t& n, int32_t* solution) {
  COMPTEUR_NOEUD();
  if (!propager(e)) {
    return;
  }
  if ((e.ouvertes[0] | e.ouvertes[1] | e.ouvertes[2]) == 0) {
    if (++n == 1) {
      // Every cell is placed: each word holds its digit's cells and no other.
#if defined(__AVX2__)
      // The digits' four bits as four words of cells each, then each cell's
      // bits gathered in its lane, sixteen cells at a time.
      using Cases = int32_t __attribute__((vector_size(64)));
      constexpr Cases kRang = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
      for (int b = 0; b < 3; ++b) {
        const Rangee& r = e.cand[b];
        const uint32_t plans[4] = {r[0] | r[2] | r[4] | r[6] | r[8], r[1] | r[2] | r[5] | r[6],
                                   r[3] | r[4] | r[5] | r[6], r[7] | r[8]};
        for (int moitie = 0; moitie < 32; moitie += 16) {
          Cases v{};
          for (int k = 0; k < 4; ++k) {
            v |= ((Cases{} + static_cast<int32_t>(plans[k] >> moitie)) >> kRang & 1) << k;
          }
          std::memcpy(solution + (std::ptrdiff_t{27} * b) + moitie, &v, sizeof(v));
        }
      }
#else
      for (int b = 0; b < 3; ++b) {
        for (int d = 0; d < 9; ++d) {
          for (uint32_t s = e.cand[b][d]; s != 0; s &= s - 1) {
            solution[27 * b + __builtin_ctz(s)] = d + 1;
          }
        }
      }
#endif
    }
    return;
  }
  // A cell with two candidates, or else one with the fewest. Among cells
  // with two, the one whose placement reaches furthest: its peers that may
  // hold one of its two digits, plus its peers with two candidates (each
  // branch takes one of them to a single or to one digit less), and three
  // times more besides those of them that hold one of its digits (one branch
  // leaves them a single); the other bands' cells of its column are counted
  // once each, not per digit.
  uint32_t paires[3];
  {
    // Bands 0 and 1 in one 64-bit word, band 2 in its own: written per band,
    // g++ packs the three into vector lanes and spends more on shuffles than
    // the count costs.
    uint64_t une = 0;
    uint64_t deux = 0;
    uint64_t trois = 0;
    uint32_t une2 = 0;
    uint32_t deux2 = 0;
    uint32_t trois2 = 0;
    for (int d = 0; d < 9; ++d) {
      const uint64_t x = e.cand[0][d] | uint64_t{e.cand[1][d]} << 32;
      trois |= deux & x;
      deux |= une & x;
      une |= x;
      const uint32_t y = e.cand[2][d];
      trois2 |= deux2 & y;
      deux2 |= une2 & y;
      une2 |= y;
    }
    paires[0] = e.ouvertes[0] & ~static_cast<uint32_t>(trois);
    paires[1] = e.ouvertes[1] & ~static_cast<uint32_t>(trois >> 32);
    paires[2] = e.ouvertes[2] & ~trois2;
  }
  int bande = -1;
  int cellule = -1;
  // The reach, then the cell (the first one on a tie): 7 bits of 32 * b + p.
  int meilleure = -1;
  // The band with fewest such cells is left out: the trees stay as small,
  // with fewer cells to weigh.
  int sautee = 0;
  for (int b = 1; b < 3; ++b) {
    if (__builtin_popcount(paires[b]) < __builtin_popcount(paires[sautee])) {
      sautee = b;
    }
  }
  for (int b = 0; b < 3; ++b) {
    if (b == sautee) {
      continue;
    }
    const int o1 = autre1(b);
    const int o2 = autre2(b);
    const Rangee& r = e.cand[b];
    const Rangee& r1 = e.cand[o1];
    const Rangee& r2 = e.cand[o2];
    for (uint32_t s = paires[b]; s != 0; s &= s - 1) {
      const int p = __builtin_ctz(s);
      const uint32_t colonne = 01001001U << (p % 9);
      const uint32_t v = kTables.voisins[p];
      const uint32_t c = chiffres(e, b, p);
      const int d1 = __builtin_ctz(c);
      const int d2 = __builtin_ctz(c & (c - 1));
      // The column's cells in the other bands that may hold one of the
      // digits, and those with two candidates; the peers with two
      // candidates that one of the branches leaves with one.
      const uint32_t ailleurs = (r1[d1] | r1[d2] | r2[d1] | r2[d2]) & colonne;
      const uint32_t paires_ailleurs = (paires[o1] | paires[o2]) & colonne;
      const uint32_t seules_ici = paires[b] & v & (r[d1] | r[d2]);
      const uint32_t seules_ailleurs =
          ((paires[o1] & (r1[d1] | r1[d2])) | (paires[o2] & (r2[d1] | r2[d2]))) & colonne;
      const int portee =
          __builtin_popcountll(uint64_t{r[d1] & v} | uint64_t{r[d2] & v} << 27) +
          __builtin_popcountll(uint64_t{paires[b] & v} | uint64_t{ailleurs} << 27) +
          __builtin_popcount(paires_ailleurs) +
          3 * __builtin_popcountll(uint64_t{seules_ici} | uint64_t{seules_ailleurs} << 27);
      const int cle = portee << 7 | (127 - (32 * b + p));
      meilleure = cle > meilleure ? cle : meilleure;
    }
  }
  if (meilleure >= 0) {
    bande = (127 - (meilleure & 127)) >> 5;
    cellule = (127 - (meilleure & 127)) & 31;
  }
  if (bande < 0) {
    int moins = 10;
    for (int b = 0; b < 3; ++b) {
      for (uint32_t s = e.ouvertes[b]; s != 0; s &= s - 1) {
        const int p = __builtin_ctz(s);
        const int k = __builtin_popcount(chiffres(e, b, p));
        if (k < moins) {
          moins = k;
          bande = b;
          cellule = p;
        }
      }
    }
  }
  for (uint32_t reste = chiffres(e, bande, cellule); reste != 0 && n < 2;) {
    const int d = __builtin_ctz(reste);
    reste &= reste - 1;
    if (reste == 0) {
      if (placer(e, d, bande, 1U << cellule)) {
        chercher(e, n, solution);
      }
    } else {
      Etat copie = e;
      if (placer(copie, d, bande, 1U << cellule)) {
        chercher(copie, n, solution);
      }
    }
  }
}

// The cells of a band, the 27 values from r, that hold each value 0..9, as
// bits: t[v] for v. Reads r[0..26] only.
inline void lire_bande(const int32_t* r, uint32_t (&t)[10]) {
#if defined(__AVX512F__)
  const __m512i bas = _mm512_loadu_si512(r);
  const __m512i haut = _mm512_maskz_loadu_epi32(0x7FF, r + 16);
  for (int v = 0; v < 10; ++v) {
    const __m512i x = _mm512_set1_epi32(v);
    const uint32_t h = _mm512_mask_cmpeq_epi32_mask(0x7FF, haut, x);  // cells 16..26
    t[v] = _mm512_cmpeq_epi32_mask(bas, x) | h << 16;
  }
#elif defined(__AVX2__)
  __m256i huit[4];
  rangee_avx2::charger_bande(r, huit);
  for (int v = 0; v < 10; ++v) {
    const __m256i x = _mm256_set1_epi32(v);
    uint32_t k = 0;
    for (int q = 0; q < 4; ++q) {
      k |= static_cast<uint32_t>(
               _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(huit[q], x))))
           << (8 * q);
    }
    t[v] = k & kBande;
  }
#else
  for (auto& k : t) {
    k = 0;
  }
  for (int p = 0; p < 27; ++p) {
    if (r[p] >= 0 && r[p] <= 9) {
      t[r[p]] |= 1U << p;
    }
  }
#endif
}

// Not 0 in the lanes of v that hold two cells or more of one line or one
// box of a band.
inline Mots doublons(const Mots& v) {
  const auto plusieurs = [](const Mots& f) { return f & (f - 1); };
  return plusieurs(v & kLigne) | plusieurs(v >> 9 & kLigne) | plusieurs(v >> 18) |
         plusieurs(v & 07007007U) | plusieurs(v & 070070070U) | plusieurs(v & 0700700700U);
}

// m in the lanes where f, a field of `largeur` bits, is not 0; 0 elsewhere
// (no comparison, which AVX2 would pay twice).
inline Mots si_present(const Mots& f, uint32_t largeur, uint32_t m) {
  // f + 2^largeur - 1 reaches bit `largeur` when f is not 0.
  return (0U - ((f + ((1U << largeur) - 1)) >> largeur)) & m;
}

// The contract of `compter_solutions`.
inline int32_t compter(const Grid& grille, Grid& solution) {
  static_assert(sizeof(grille.cells) == 81 * sizeof(int32_t));
  // The givens, a band at a time: bit p of lane d of donnees[b] for a cell
  // of band b holding digit d + 1 (a row of nine words), and the empty cells.
  alignas(64) Rangee donnees[3];
  uint32_t ouvertes[3];
  for (int b = 0; b < 3; ++b) {
    uint32_t t[10];
    lire_bande(reinterpret_cast<const int32_t*>(&grille.cells) + std::ptrdiff_t{27} * b, t);
    uint32_t toutes = 0;
    for (const uint32_t k : t) {
      toutes |= k;
    }
    if (toutes != kBande) {
      return 0;  // a cell that holds no digit is in no solution
    }
    ouvertes[b] = t[0];
    for (int d = 0; d < 16; ++d) {
      donnees[b][d] = d < 9 ? t[d + 1] : 0;
    }
  }
  // A digit's givens share no line, box or column: each band's row has at
  // most one cell per line and box, and no two bands share a column.
  Mots g[3];
  Mots colonnes[3];
  for (int b = 0; b < 3; ++b) {
    g[b] = charger(donnees[b]);
    colonnes[b] = (g[b] | g[b] >> 9 | g[b] >> 18) & kLigne;
  }
  const Mots repetes = doublons(g[0]) | doublons(g[1]) | doublons(g[2]) |
                       (colonnes[0] & colonnes[1]) | (colonnes[0] & colonnes[2]) |
                       (colonnes[1] & colonnes[2]);
  if (non_nuls(repetes) != 0) {
    return 0;  // repeated givens
  }
  if ((ouvertes[0] | ouvertes[1] | ouvertes[2]) == 0) {
    std::memcpy(&solution.cells, &grille.cells, sizeof(solution.cells));  // no digit repeats
    return 1;
  }
  // Each digit's words keep its givens and lose their lines, boxes and
  // columns and the other digits' givens; written as whole rows.
  const Mots autres = ~((colonnes[0] | colonnes[1] | colonnes[2]) * 01001001U);
  Etat e;
#if defined(__AVX2__) && !defined(__AVX512F__)
  std::memset(e.cand, 0, sizeof(e.cand));  // rows are written nine lanes at a time here
#endif
  for (int b = 0; b < 3; ++b) {
    const Mots& v = g[b];
    const Mots c = colonnes[b];
    const Mots couvre = si_present(v & kLigne, 9, kLigne) |
                        si_present(v >> 9 & kLigne, 9, kLigne << 9) |
                        si_present(v >> 18, 9, kLigne << 18) | si_present(c & 7, 3, 07007007U) |
                        si_present(c >> 3 & 7, 3, 070070070U) | si_present(c >> 6, 3, 0700700700U);
    ranger(e.cand[b], (ouvertes[b] & ~couvre & autres & kNeuf) | v);
    e.ouvertes[b] = ouvertes[b];
  }
  e.sales = e.nues = e.colonnes = e.ecart_ = 0;
  change(e, kMots);  // every word goes through every rule once
  int32_t n = 0;
  int32_t trouvee[96];  // a band's cells are written 32 at a time
  chercher(e, n, trouvee);
  if (n == 1) {
    std::memcpy(&solution.cells, trouvee, sizeof(solution.cells));
  }
  return n;
}

}  // namespace moteur
}  // namespace
