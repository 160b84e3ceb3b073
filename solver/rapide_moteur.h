// The fast engine, included once by each file that compiles it for an
// instruction set (rapide_portable.cc, rapide_avx2.cc, rapide_avx512.cc).
// As in the counter's engine (solver/compteur_moteur.h), everything is in an
// unnamed namespace and calls no inline function of the standard library or
// of the rest of the program, so the linker never merges an AVX copy of a
// function into the portable path: C arrays, compiler builtins, vector
// extensions and memcpy.
//
// The engine runs the solving iterations of resoudre.cc: phases of passes of
// unit scans, each scan finding the digits with exactly one candidate cell in
// its unit and writing them in increasing digit order. A cell is a candidate
// of digit d when it holds 0 and no cell of its box, column or line holds d.
//
// Representation. For each band b (lines 3b..3b+2) and digit d, one 27-bit
// word holds the cells of the band that d is not ruled out of: bit
// 9 * (line - 3b) + column. `ouvertes` holds, per band, the cells holding 0.
// The candidates of d in a unit are then `cand[b][d] & unit & ouvertes[b]`;
// a band's nine words sit side by side in a row of sixteen (lanes 9..15 are
// 0), so the AVX2 and AVX-512 versions scan a unit for all nine digits with a
// few vector operations; the portable version loops.
//
// Writing d into an empty cell clears the cell from `ouvertes`, the cell's
// line and box peers from d's word of its band and its column from d's words
// of the two other bands: a handful of word operations. When two digits of
// one scan name the same cell, the second write replaces the first digit,
// which may thereby leave its units; the words are then rebuilt from the grid
// once the scan's writes are done (they depend on the grid alone).
//
// A unit whose candidates have not changed since its last scan would report
// what it reported then. That report placed nothing (a placement empties a
// cell of the unit), so the scan is skipped and its `possible` reused. The
// units that a placement changes are those of the cell written and of every
// peer that lost the digit.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__AVX2__)
#include <immintrin.h>
#endif

#include "solver/rapide_versions.h"

namespace {
namespace vite {

constexpr uint32_t kLigne = 0x1FF;                      // line 0 of a band word
constexpr uint32_t kColonne = 1U | 1U << 9 | 1U << 18;  // column 0
constexpr uint32_t kBoite = 7U * kColonne;              // the box of stack 0
constexpr uint32_t kBande = (1U << 27) - 1;
constexpr uint32_t kUnites = (1U << 27) - 1;
constexpr int32_t kIterations = 10;
constexpr int32_t kPasses = 10;

// The 27 units in visiting order: the boxes (0..8), box 3 * stack + band;
// the columns 0..8 (9..17); the lines 0..8 (18..26). Phase p scans the
// units 9p .. 9p + 8. Cells are numbered 9 * line + column; the cell of band
// b at bit p of its words is 27 * b + p.
struct Tables {
  uint32_t voisins[27];  // the cell and its line and box peers in the band
  uint32_t unites[81];   // the three units of each cell
};

constexpr Tables construire() {
  Tables t{};
  for (int p = 0; p < 27; ++p) {
    for (int q = 0; q < 27; ++q) {
      if (q / 9 == p / 9 || q % 9 / 3 == p % 9 / 3) {
        t.voisins[p] |= 1U << q;
      }
    }
  }
  for (int c = 0; c < 81; ++c) {
    const int ligne = c / 9;
    const int colonne = c % 9;
    t.unites[c] = 1U << (3 * (colonne / 3) + ligne / 3) | 1U << (9 + colonne) | 1U << (18 + ligne);
  }
  return t;
}

constexpr Tables kTables = construire();

// A band's nine digit words, padded to sixteen for the vector loads.
using Rangee = uint32_t[16];

// Of the words r[d] & m (d = 0..8): those not 0 (`une`, bits 0..8) and
// those with exactly one bit (`seuls`).
struct Vus {
  uint32_t une;
  uint32_t seuls;
};

#if defined(__AVX512F__)
// `Vus` of the words in lanes 0..8 of x.
inline Vus vus(__m512i x) {
  const uint32_t une = _mm512_test_epi32_mask(x, x);
  const uint32_t plus = _mm512_test_epi32_mask(x, _mm512_sub_epi32(x, _mm512_set1_epi32(1)));
  return Vus{une & kLigne, une & ~plus & kLigne};
}
#elif defined(__AVX2__)
// `Vus` of the words in lanes 0..7 of x and of x8, the ninth.
inline Vus vus(__m256i x, uint32_t x8) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i y = _mm256_and_si256(x, _mm256_sub_epi32(x, _mm256_set1_epi32(1)));
  const auto vides =
      static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(x, zero))));
  const auto un_au_plus =
      static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(y, zero))));
  const uint32_t une = (~vides & 0xFFU) | static_cast<uint32_t>(x8 != 0) << 8;
  const uint32_t seuls =
      (~vides & un_au_plus & 0xFFU) | static_cast<uint32_t>(x8 != 0 && (x8 & (x8 - 1)) == 0) << 8;
  return Vus{une, seuls};
}
#else
// `Vus` of the nine words mot(d).
template <typename Mot>
inline Vus vus(Mot mot) {
  uint32_t une = 0;
  uint32_t plus = 0;
  for (int d = 0; d < 9; ++d) {
    const uint32_t x = mot(d);
    une |= static_cast<uint32_t>(x != 0) << d;
    plus |= static_cast<uint32_t>((x & (x - 1)) != 0) << d;
  }
  return Vus{une, une & ~plus};
}
#endif

inline Vus voir(const Rangee& r, uint32_t m) {
#if defined(__AVX512F__)
  return vus(_mm512_and_si512(_mm512_load_si512(r), _mm512_set1_epi32(static_cast<int>(m))));
#elif defined(__AVX2__)
  return vus(_mm256_and_si256(_mm256_load_si256(reinterpret_cast<const __m256i*>(r)),
                              _mm256_set1_epi32(static_cast<int>(m))),
             r[8] & m);
#else
  return vus([&](int d) { return r[d] & m; });
#endif
}

// The candidates of digit d in a column whose cells in band o are m[o]:
// bit 9 * k + o + i for the cell of line 3 * o + k, i the column.
inline uint32_t colonne(const Rangee* cand, int d, const uint32_t* m) {
  return (cand[0][d] & m[0]) | (cand[1][d] & m[1]) << 1 | (cand[2][d] & m[2]) << 2;
}

// `voir` for a column, whose cells in band o are m[o].
inline Vus voir_colonne(const Rangee* cand, const uint32_t* m) {
#if defined(__AVX512F__)
  // Shifts by doubling: g++ 12 warns inside _mm512_slli_epi32.
  auto bande = [&](int o) {
    return _mm512_and_si512(_mm512_load_si512(cand[o]), _mm512_set1_epi32(static_cast<int>(m[o])));
  };
  const __m512i x1 = bande(1);
  const __m512i x2 = bande(2);
  const __m512i x2x2 = _mm512_add_epi32(x2, x2);
  return vus(_mm512_or_si512(
      bande(0), _mm512_or_si512(_mm512_add_epi32(x1, x1), _mm512_add_epi32(x2x2, x2x2))));
#elif defined(__AVX2__)
  auto bande = [&](int o) {
    return _mm256_and_si256(_mm256_load_si256(reinterpret_cast<const __m256i*>(cand[o])),
                            _mm256_set1_epi32(static_cast<int>(m[o])));
  };
  return vus(_mm256_or_si256(bande(0), _mm256_or_si256(_mm256_slli_epi32(bande(1), 1),
                                                       _mm256_slli_epi32(bande(2), 2))),
             colonne(cand, 8, m));
#else
  return vus([&](int d) { return colonne(cand, d, m); });
#endif
}

// Removes m from word d of row r. The vector versions rewrite the whole row
// with vector operations: the next scan loads it whole, and a load that
// follows a narrower store to the same bytes waits until the store is done.
inline void retire(Rangee& r, int d, uint32_t m) {
#if defined(__AVX512F__)
  const __m512i x = _mm512_load_si512(r);
  const __m512i efface =
      _mm512_maskz_set1_epi32(static_cast<__mmask16>(1U << d), static_cast<int>(m));
  _mm512_store_si512(r, x & ~efface);  // (g++ 12 warns inside _mm512_andnot_si512)
#elif defined(__AVX2__)
  auto* p = reinterpret_cast<__m256i*>(r);
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i efface = _mm256_and_si256(_mm256_cmpeq_epi32(lanes, _mm256_set1_epi32(d)),
                                          _mm256_set1_epi32(static_cast<int>(m)));
  _mm256_store_si256(p, _mm256_andnot_si256(efface, _mm256_load_si256(p)));
  r[8] &= ~(d == 8 ? m : 0U);
#else
  r[d] &= ~m;
#endif
}

// Bit k set for each group of bits 3k .. 3k + 2 of a that is not 0.
constexpr uint32_t trios(uint32_t a) {
  return static_cast<uint32_t>((a & 7U) != 0) | static_cast<uint32_t>((a & 070U) != 0) << 1 |
         static_cast<uint32_t>((a & 0700U) != 0) << 2;
}

// Bits 0, 1, 2 of s moved to bits 0, 3, 6.
constexpr uint32_t etale(uint32_t s) { return (s & 1U) | (s & 2U) << 2 | (s & 4U) << 4; }

// Sixteen lanes of 32 bits: the compiler maps the operations to AVX-512,
// AVX2 or SSE2 registers as the file's flags allow.
using Lanes = uint32_t __attribute__((vector_size(64)));

// Sets every lane of v to the union of its lanes.
inline void partout(Lanes& v) {
  v |= __builtin_shufflevector(v, v, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7);
  v |= __builtin_shufflevector(v, v, 4, 5, 6, 7, 0, 1, 2, 3, 12, 13, 14, 15, 8, 9, 10, 11);
  v |= __builtin_shufflevector(v, v, 2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13);
  v |= __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
}

// The union of the lanes.
inline uint32_t union_des(const Lanes& lanes) {
  Lanes v = lanes;
  partout(v);
  return v[0];
}

template <bool kJournal>
struct Moteur {
  alignas(64) Rangee cand[3];  // [band][digit]
  uint32_t ouvertes[3];        // cells holding 0, per band
  int32_t cases[96];           // the grid, line by line (a copy: see `resoudre_avec`), and 0s
  int32_t vides;               // cells holding 0
  uint32_t changees;           // units whose candidates changed since their last scan
  int32_t derniers[3];         // `possible` of each phase's last unit, as last scanned
  Placement* journal;
  int32_t notes;  // journal entries

  // The words from the grid as it stands: every digit is ruled out of the
  // line, box and column of each cell holding it. A line's nine cells are
  // read at once, a lane each; the digits each unit holds are then turned
  // into the units holding each digit, a lane each.
  void reconstruit() {
    const Lanes iota = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    const Lanes neuf = __builtin_convertvector(iota < 9U, Lanes);  // lanes 0..8
    Lanes colonnes{};  // lane i: the digits column i holds, bit d for digit d + 1
    Lanes lignes{};    // lane d: the lines holding digit d + 1
    Lanes boites{};    // lane d: the boxes holding it, bit 3 * stack + band
    vides = 0;
    for (int b = 0; b < 3; ++b) {
      Lanes bande{};  // lane i: the digits of column i in the band
      uint32_t ouv = 0;
      for (int k = 0; k < 3; ++k) {
        Lanes v;
        std::memcpy(&v, &cases[27 * b + 9 * k], sizeof(v));
        const Lanes t = v - 1U;
        const Lanes bits = __builtin_convertvector(t < 9U, Lanes) & neuf & (1U << (t & 15U));
        const Lanes zero = __builtin_convertvector(v == 0U, Lanes) & neuf & (0x10000U << iota);
        colonnes |= bits;
        bande |= bits;
        const uint32_t r = union_des(bits | zero);
        ouv |= (r >> 16) << (9 * k);
        lignes |= ((Lanes{} + (r & kLigne)) >> iota & 1U) << (3 * b + k);
      }
      for (int p = 0; p < 3; ++p) {
        const uint32_t boite = bande[3 * p] | bande[3 * p + 1] | bande[3 * p + 2];
        boites |= ((Lanes{} + boite) >> iota & 1U) << (3 * p + b);
      }
      ouvertes[b] = ouv;
      vides += __builtin_popcount(ouv);
    }
    Lanes hors_colonnes = neuf & kBande;
    for (int i = 0; i < 9; ++i) {
      hors_colonnes &= ~(((Lanes{} + colonnes[i]) >> iota & 1U) * (kColonne << i));
    }
    for (int b = 0; b < 3; ++b) {
      const Lanes l = lignes >> (3 * b);
      const Lanes dans_lignes = ((0U - (l & 1U)) & kLigne) | ((0U - (l >> 1 & 1U)) & kLigne << 9) |
                                ((0U - (l >> 2 & 1U)) & kLigne << 18);
      const Lanes dans_boites = (boites >> b & 0111U) * 7U * kColonne;
      const Lanes w = hors_colonnes & ~(dans_lignes | dans_boites);
      std::memcpy(cand[b], &w, sizeof(w));
    }
    changees = kUnites;
  }

  void note(int32_t b, Phase p, int d, int c) {
    if constexpr (kJournal) {
      Placement& e = journal[notes++];
      e.iteration = static_cast<int8_t>(b);
      e.phase = p;
      e.chiffre = static_cast<int8_t>(d + 1);
      e.i = static_cast<int8_t>(c % 9 + 1);
      e.j = static_cast<int8_t>(c / 9 + 1);
    }
  }

  // Digit d (lane d) into the empty cell at bit p of band b.
  void place(int d, int b, int p) {
    ouvertes[b] &= ~(1U << p);
    const uint32_t avant = cand[b][d];
    retire(cand[b], d, kTables.voisins[p]);
    // The peers in the band that lose d: their lines, columns and boxes.
    const uint32_t perdu = avant & kTables.voisins[p] & ouvertes[b];
    const uint32_t colonnes = (perdu | perdu >> 9 | perdu >> 18) & kLigne;
    const uint32_t lignes = static_cast<uint32_t>((perdu & kLigne) != 0) |
                            static_cast<uint32_t>((perdu & kLigne << 9) != 0) << 1 |
                            static_cast<uint32_t>((perdu & kLigne << 18) != 0) << 2;
    uint32_t u = kTables.unites[27 * b + p] | colonnes << 9 | lignes << (18 + 3 * b) |
                 etale(trios(colonnes)) << b;
    // The column's cells in the two other bands that lose d: their lines
    // and boxes.
    const int i = p % 9;
    const uint32_t col = kColonne << i;
    const int autres[2] = {b == 2 ? 0 : b + 1, b == 0 ? 2 : b - 1};
    for (const int o : autres) {
      const uint32_t w = cand[o][d];
      retire(cand[o], d, col);
      const uint32_t x = (w & ouvertes[o]) >> i & kColonne;
      u |= ((x | x >> 8 | x >> 16) & 7U) << (18 + 3 * o) | static_cast<uint32_t>(x != 0)
                                                               << (3 * (i / 3) + o);
    }
    changees |= u;
  }

  // Writes the singles s of a scan of phase P in increasing digit order;
  // `ou(d)` gives digit d's cell. The cells are all found before the first
  // write: the writes store whole rows, and a word loaded just after such a
  // store waits for it. Returns the number of digits written.
  template <int P, typename Ou>
  int32_t ecrit(uint32_t s, int32_t b, Ou ou) {
    int cellules[9];
    for (uint32_t t = s; t != 0; t &= t - 1) {
      const int d = __builtin_ctz(t);
      cellules[d] = ou(d);
    }
    int32_t places = 0;
    bool remplacee = false;
    for (; s != 0; s &= s - 1) {
      const int d = __builtin_ctz(s);
      const int c = cellules[d];
      const int32_t avant = cases[c];
      cases[c] = d + 1;
      ++places;
      note(b, static_cast<Phase>(P), d, c);
      if (avant == 0) {
        --vides;
        place(d, c / 27, c % 27);
      } else {
        remplacee = true;  // the digit replaced may have left its units
      }
    }
    if (remplacee) {
      reconstruit();
    }
    return places;
  }

  // Scans unit u of phase P and writes its singles; keeps the scan's
  // `possible` when u is the phase's last unit (the only one whose flag is
  // read) and returns the number of digits written.
  template <int P>
  int32_t balaye(int u, int32_t b) {
    changees &= ~(1U << u);
    if constexpr (P == 1) {
      const int i = u - 9;
      const uint32_t col = kColonne << i;
      const uint32_t m[3] = {col & ouvertes[0], col & ouvertes[1], col & ouvertes[2]};
      const Vus v = voir_colonne(cand, m);
      derniers[P] = u == 9 * P + 8 ? static_cast<int32_t>(v.une != 0) : derniers[P];
      if (v.seuls == 0) {
        return 0;
      }
      return ecrit<P>(v.seuls, b, [&](int d) {
        const int q = __builtin_ctz(colonne(cand, d, m)) - i;
        const int k = q / 9;
        return 9 * (3 * (q - 9 * k) + k) + i;
      });
    } else {
      // A box (3 * stack + band) or a line, within one band.
      const int bande = P == 0 ? u % 3 : (u - 18) / 3;
      const uint32_t unite = P == 0 ? kBoite << (3 * (u / 3)) : kLigne << (9 * ((u - 18) % 3));
      const uint32_t m = unite & ouvertes[bande];
      const Vus v = voir(cand[bande], m);
      derniers[P] = u == 9 * P + 8 ? static_cast<int32_t>(v.une != 0) : derniers[P];
      if (v.seuls == 0) {
        return 0;
      }
      return ecrit<P>(v.seuls, b,
                      [&](int d) { return 27 * bande + __builtin_ctz(cand[bande][d] & m); });
    }
  }

  // A phase: passes over its nine units until one places nothing, at most
  // ten. Once a pass places nothing the grid is as it was, and every later
  // pass would repeat it exactly. A pass scans only the units that changed,
  // in order; the phase flag is the `possible` of its last unit, scanned
  // now or before.
  template <int P>
  void phase(int32_t b, int32_t& compte, int32_t& drapeau) {
    constexpr uint32_t kPhase = kLigne << (9 * P);
    for (int32_t n = 1; n <= kPasses; ++n) {
      int32_t places = 0;
      uint32_t restantes = kPhase;  // the units of this pass not yet reached
      for (uint32_t a_voir = changees & restantes; a_voir != 0; a_voir = changees & restantes) {
        const int u = __builtin_ctz(a_voir);
        restantes &= ~((2U << u) - 1);
        places += balaye<P>(u, b);
      }
      drapeau = derniers[P];
      compte += places;
      if (places == 0) {
        break;
      }
    }
  }

  void resout(RapportVite& r) {
    std::memset(&r, 0, sizeof(r));
    derniers[0] = derniers[1] = derniers[2] = 0;
    reconstruit();
    for (int32_t b = 1; b <= kIterations; ++b) {
      // The first iteration always runs, even on a full grid.
      if (b > 1 && (vides == 0 || r.progres == 0)) {
        break;
      }
      r.niter = b;
      phase<0>(b, r.comptes[b][0], r.drapeaux[0]);
      phase<1>(b, r.comptes[b][1], r.drapeaux[1]);
      phase<2>(b, r.comptes[b][2], r.drapeaux[2]);
      r.progres = r.comptes[b][0] + r.comptes[b][1] + r.comptes[b][2] != 0 ? 1 : 0;
    }
    r.vides = vides;
    r.placements = notes;
  }
};

// The contract of the `vite_*` entry points (solver/rapide_versions.h). The
// engine works on its own copy of the grid: a store through a pointer to
// the caller's cells could, for all the compiler knows, change the engine's
// words, which it would then have to load again after every write.
template <bool kJournal>
inline void resoudre_avec(int32_t* cases, RapportVite& rapport, Placement* journal) {
  Moteur<kJournal> m;
  std::memcpy(m.cases, cases, 81 * sizeof(int32_t));
  std::memset(m.cases + 81, 0, sizeof(m.cases) - 81 * sizeof(int32_t));
  m.journal = journal;
  m.notes = 0;
  m.resout(rapport);
  std::memcpy(cases, m.cases, 81 * sizeof(int32_t));
}

inline void resoudre(int32_t* cases, RapportVite& rapport, Placement* journal) {
  if (journal != nullptr) {
    resoudre_avec<true>(cases, rapport, journal);
  } else {
    resoudre_avec<false>(cases, rapport, nullptr);
  }
}

}  // namespace vite
}  // namespace
