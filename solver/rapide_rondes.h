// The fast engine's shortcut in its AVX2 and AVX-512 versions
// (rapide_avx2.cc, rapide_avx512.cc), under the rules of
// solver/rapide_moteur.h (unnamed namespace, no inline function of the
// standard library). Its state is six rows of nine digit words (`Rangs`):
// with AVX-512 each row is one register of sixteen lanes; with AVX2, sixteen
// lanes would take two registers each and spill, so a row is the eight words
// of digits 1..8 in one register and digit 9's word in a general register.
// The SSE2 (portable) version scans. With AVX-512 the same rounds also solve
// the puzzles of a known complete grid (`Parmi`, further down), more cheaply.
//
// A phase run by rounds: every unit of the phase is scanned at once, on one
// and the same grid, and all the singles found are written together; the
// phase ends with the first round that finds none. The scans of the
// iterations see the grid change after every unit instead, yet on most grids
// both end the same way, and a check at the end tells when they must:
//
// Let J be the grid a phase ends with by rounds. Suppose that J repeats no
// digit in a unit, and that no unit of J lacks a digit with no cell left for
// it ("dead": the digit is not in the unit and every empty cell of the unit
// sees it). Then the scans, unit after unit, end the phase on J too, after no
// more passes than the rounds that placed:
//  - Every digit d a scan writes into a cell c is in J at c. Say the grid
//    scanned, S, holds only digits of J (true at the start). In J, the
//    candidates of d in the unit are among those in S, that is c alone. If
//    J had d elsewhere in the unit, at c', then c' is empty in S and sees a
//    d of S, which J has too: J would repeat d. If J has no d in the unit,
//    c is its only candidate there (the unit is not dead), and J, which has
//    no single left, would have one.
//  - Every digit a round writes is written by the scans no later than the
//    pass of the same number: by the point above, the grid a scan sees holds
//    all the grid before the round held and no digit against it, so the
//    round's single is still the only candidate or already written.
// The phase's digits are then those of J, counted once each, and the flag of
// its last unit is taken on J. Since the iterations stop a phase after ten
// passes, a phase needing ten rounds that place starts again and runs pass
// by pass, each pass found exactly on the same words (`passe`): that needs
// no condition but one digit to a cell.
//
// Both conditions only get worse as digits are written: a repeat stays, and
// a dead unit stays dead (a digit can only go to a candidate); two digits
// written into one cell stay a repeat of the cell. So checking the grid the
// last phase ends with covers every phase before it. When the check fails
// (grids with no solution, and repeated givens), or a cell holds something
// other than 0..9, the solve is left to the scans (solver/rapide_moteur.h)
// from the start. Keeping a journal, which needs the order of the writes,
// is left to them too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "solver/rangee_avx2.h"
#include "solver/rapide_moteur.h"

// Without AVX2 (a tool reading this file with other flags) only the scans
// are here.
#if defined(__AVX2__)

namespace {
namespace rondes {

using vite::kBande;
using vite::kColonne;
using vite::kLigne;

constexpr uint32_t kPiles = 0111;  // the first column of each stack, in a line

#if defined(__AVX512F__)
// A band's nine digit words: lanes 0..8 of one AVX-512 register (9..15 0).
using Rangs = vite::Lanes;
using vite::partout;
using vite::union_des;

constexpr Rangs kIota = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

// All bits set in the lanes where `oui` is not 0.
inline Rangs si(Rangs oui) { return __builtin_convertvector(oui != 0U, Rangs); }

// Whether every lane is 0.
inline bool nul(Rangs v) {
  const auto x = reinterpret_cast<__m512i>(v);
  return _mm512_test_epi32_mask(x, x) == 0;
}

// The lanes where v & m is 0 (`sans`), or not (`avec`).
inline __mmask16 sans(Rangs v, uint32_t m) {
  return _mm512_testn_epi32_mask(reinterpret_cast<__m512i>(v),
                                 _mm512_set1_epi32(static_cast<int>(m)));
}
inline __mmask16 avec(Rangs v, uint32_t m) {
  return _mm512_test_epi32_mask(reinterpret_cast<__m512i>(v),
                                _mm512_set1_epi32(static_cast<int>(m)));
}

// Whether a lane of v meets m.
inline bool touche(Rangs v, uint32_t m) { return avec(v, m) != 0; }

// All bits set in the nine digits' lanes.
inline Rangs neuf() { return si((Rangs{} + 0x1FFU) >> kIota & 1U); }

// Adds to faute the bits that two lanes or more of v hold.
inline void en_double(Rangs v, Rangs& faute) {
  Rangs w = __builtin_shufflevector(v, v, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7);
  faute |= v & w;
  v |= w;
  w = __builtin_shufflevector(v, v, 4, 5, 6, 7, 0, 1, 2, 3, 12, 13, 14, 15, 8, 9, 10, 11);
  faute |= v & w;
  v |= w;
  w = __builtin_shufflevector(v, v, 2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13);
  faute |= v & w;
  v |= w;
  w = __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
  faute |= v & w;
}

// The union of the lanes, in u and in every lane.
inline Rangs union_partout(Rangs r, uint32_t& u) {
  partout(r);
  u = r[0];
  return r;
}

// Lane d: the value d + 1.
constexpr Rangs kValeurs = kIota + 1U;

// m in the lanes of v that meet m, 0 in the others; and the lanes of v that
// hold at most one bit, 0 in the others. Each is a test and a masked move:
// written as `si(v & m) & m` and `v & ~si(v & (v - 1))`, g++ makes a
// comparison, a blend and an AND of them.
inline Rangs garde(Rangs v, uint32_t m) {
  const __m512i x = _mm512_set1_epi32(static_cast<int>(m));
  return reinterpret_cast<Rangs>(
      _mm512_maskz_mov_epi32(_mm512_test_epi32_mask(reinterpret_cast<__m512i>(v), x), x));
}
inline Rangs seul_ou_rien(Rangs v) {
  const auto x = reinterpret_cast<__m512i>(v);
  const auto moins = reinterpret_cast<__m512i>(v - 1U);
  return reinterpret_cast<Rangs>(_mm512_maskz_mov_epi32(_mm512_testn_epi32_mask(x, moins), x));
}

#else
// A band's nine digit words with AVX2 (solver/rangee_avx2.h): the rounds'
// state and a round's values fit in the sixteen vector registers.
using Rangs = rangee_avx2::Mots;
using rangee_avx2::Huit;
using rangee_avx2::nul;
using rangee_avx2::ranger;
using rangee_avx2::si;
using rangee_avx2::union_des;

inline bool touche(Rangs v, uint32_t m) { return !nul(v & m); }

inline Rangs neuf() { return {Huit{} + ~0U, ~0U}; }

inline Rangs union_partout(Rangs r, uint32_t& u) {
  u = union_des(r);
  return {Huit{} + u, u};
}

inline void en_double(Rangs r, Rangs& faute) {
  Huit v = r.v;
  Huit w = __builtin_shufflevector(v, v, 4, 5, 6, 7, 0, 1, 2, 3);
  faute.v |= v & w;
  v |= w;
  w = __builtin_shufflevector(v, v, 2, 3, 0, 1, 6, 7, 4, 5);
  faute.v |= v & w;
  v |= w;
  w = __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6);
  faute.v |= v & w;
  v |= w;
  faute.x |= v[0] & r.x;  // digit 8 with one of the others
}

constexpr Rangs kValeurs = {{1, 2, 3, 4, 5, 6, 7, 8}, 9};

inline Rangs garde(Rangs v, uint32_t m) { return si(v & m) & m; }
inline Rangs seul_ou_rien(Rangs v) { return v & ~si(v & (v - 1U)); }

// The 27 values of a band's cells as four words of bits (bit q of
// valeurs[k]: bit k of cell q's value); not 0 when a value is outside 0..9.
inline uint32_t lit_bande(const int32_t* bande, uint32_t (&valeurs)[4]) {
  __m256i huit[4];
  rangee_avx2::charger_bande(bande, huit);
  const __m256i neuf = _mm256_set1_epi32(9);
  uint32_t hors = 0;
  for (int k = 0; k < 4; ++k) {
    valeurs[k] = 0;
  }
  for (int q = 0; q < 4; ++q) {
    // Unsigned: a negative value is above 9 too.
    const __m256i dedans = _mm256_cmpeq_epi32(_mm256_max_epu32(huit[q], neuf), neuf);
    hors |= (~static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(dedans))) & 0xFFU)
            << (8 * q);
    for (int k = 0; k < 4; ++k) {
      const __m256i haut = _mm256_slli_epi32(huit[q], 31 - k);  // bit k as the sign
      valeurs[k] |= static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(haut))) << (8 * q);
    }
  }
  return hors;
}
#endif

// The cells of the band words holding bits 0..8 of c, as columns: each
// bit i set in all three lines.
inline Rangs colonnes(Rangs c) { return c | c << 9 | c << 18; }

// The whole lines of band words that hold a bit of x.
inline Rangs lignes_de(Rangs x) {
  return garde(x, kLigne) | garde(x, kLigne << 9) | garde(x, kLigne << 18);
}

// Bit 3s (s = stack) for each stack of the nine bits of x with at least one
// bit set; `plus`: with at least two.
inline Rangs piles(Rangs x) { return (x | x >> 1 | x >> 2) & kPiles; }
inline Rangs piles_plus(Rangs x) {
  const Rangs x1 = x >> 1;
  const Rangs x2 = x >> 2;
  return ((x & x1) | (x & x2) | (x1 & x2)) & kPiles;
}

// The three lines of band words, nine bits each.
struct Lignes {
  Rangs l0, l1, l2;
  explicit Lignes(Rangs w) : l0(w & kLigne), l1(w >> 9 & kLigne), l2(w >> 18) {}
  Rangs impair() const { return l0 ^ l1 ^ l2; }                // columns with one or three
  Rangs deux() const { return (l0 & l1) | (l2 & (l0 | l1)); }  // with two or three
  Rangs une() const { return l0 | l1 | l2; }
};

struct Moteur {
  Rangs cand[3];   // [band], lane d: the empty cells where digit d + 1 may go
  Rangs poses[3];  // [band], lane d: the cells holding d + 1
  uint32_t ouvertes[3];
  int32_t vides;
  uint32_t serie;   // rounds that placed so far
  uint32_t vue[3];  // `serie` when each phase last ended

  // Reads the grid; false when a cell holds something other than 0..9.
  bool charge(const int32_t* cases) {
    serie = 0;
    vue[0] = vue[1] = vue[2] = ~0U;
    uint32_t hors = 0;
    for (int b = 0; b < 3; ++b) {
      // Bit q of valeurs[k]: bit k of the value of the band's cell q.
      uint32_t valeurs[4];
#if defined(__AVX512F__)
      const int32_t* bande = cases + std::ptrdiff_t{27} * b;
      const __m512i bas = _mm512_loadu_si512(bande);
      const __m512i haut = _mm512_maskz_loadu_epi32(0x7FF, bande + 16);
      const __m512i plafond = _mm512_set1_epi32(9);
      hors |= static_cast<uint32_t>(_mm512_cmpgt_epu32_mask(bas, plafond)) |
              _mm512_cmpgt_epu32_mask(haut, plafond);
      for (int k = 0; k < 4; ++k) {
        const __m512i bit = _mm512_set1_epi32(1 << k);
        valeurs[k] = static_cast<uint32_t>(_mm512_test_epi32_mask(bas, bit)) |
                     static_cast<uint32_t>(_mm512_test_epi32_mask(haut, bit)) << 16;
      }
#else
      hors |= lit_bande(cases + std::ptrdiff_t{27} * b, valeurs);
#endif
      // Lane d: the cells whose value has the bits of d + 1, each of them.
      Rangs p = neuf() & kBande;
      for (int k = 0; k < 4; ++k) {
        const Rangs un = si(kValeurs >> k & 1U);
        p &= (un & valeurs[k]) | (~un & ~valeurs[k]);
      }
      poses[b] = p & neuf();
      cand[b] = neuf() & kBande;
      ouvertes[b] = kBande;
    }
    vides = 81;
    const Rangs p[3] = {poses[0], poses[1], poses[2]};
    ecrit(p);
    return hors == 0;
  }

  // Writes the digits p (per band, lane d: the cells of d + 1), ruling each
  // out of its line, box and column.
  void ecrit(const Rangs* p) {
    Rangs c[3];
    for (int b = 0; b < 3; ++b) {
      c[b] = Lignes(p[b]).une();
    }
    const Rangs hors_colonnes = ~colonnes(c[0] | c[1] | c[2]);
    for (int b = 0; b < 3; ++b) {
      uint32_t u;
      const Rangs remplies = union_partout(p[b], u);
      const Rangs lignes = lignes_de(p[b]);
      const Rangs boites = colonnes(piles(c[b]) * 7U);
      cand[b] &= hors_colonnes & ~(remplies | lignes | boites);
      poses[b] |= p[b];
      ouvertes[b] &= ~u;
      vides -= __builtin_popcount(u);
    }
  }

  // The singles of every unit of phase P among the candidates c, per band.
  template <int P>
  static void seuls(const Rangs* c, Rangs* s) {
    if constexpr (P == 0) {
      for (int b = 0; b < 3; ++b) {
        const Lignes l(c[b]);
        const Rangs x = l.impair();
        const Rangs un = piles(x) & ~(piles_plus(x) | piles(l.deux()));
        s[b] = c[b] & colonnes(un * 7U);
      }
    } else if constexpr (P == 1) {
      const Lignes l0(c[0]);
      const Lignes l1(c[1]);
      const Lignes l2(c[2]);
      const Rangs x0 = l0.impair();
      const Rangs x1 = l1.impair();
      const Rangs x2 = l2.impair();
      const Rangs deux = (x0 & x1) | (x2 & (x0 | x1)) | l0.deux() | l1.deux() | l2.deux();
      const Rangs un = colonnes((x0 ^ x1 ^ x2) & ~deux);
      for (int b = 0; b < 3; ++b) {
        s[b] = c[b] & un;
      }
    } else {
      for (int b = 0; b < 3; ++b) {
        Rangs r{};
        for (int k = 0; k < 3; ++k) {
          r |= seul_ou_rien(c[b] & kLigne << (9 * k));
        }
        s[b] = r;
      }
    }
  }

  // The candidates (per band) that the writes w, made by a pass of phase P,
  // take from each unit of the phase before its scan: those of the units
  // scanned before it in the pass (boxes stack by stack, each stack band by
  // band; columns and lines in order).
  template <int P>
  static void otes_avant(const Rangs* w, Rangs* otes) {
    if constexpr (P == 0) {
      // A box loses the lines of the boxes before it in its band and the
      // columns of those before it in its stack.
      Rangs colonnes_avant{};
      for (int b = 0; b < 3; ++b) {
        otes[b] = (lignes_de(w[b] & vite::kBoite) & vite::kBoite << 3) |
                  (lignes_de(w[b] & (vite::kBoite | vite::kBoite << 3)) & vite::kBoite << 6) |
                  colonnes(colonnes_avant);
        colonnes_avant |= Lignes(w[b]).une();
      }
    } else if constexpr (P == 1) {
      // A column loses, in each line, what the columns before it wrote there,
      // and, in each band, the boxes they wrote in its stack.
      constexpr uint32_t kDes1 = 0776U * kColonne;  // cells of columns 1..8
      constexpr uint32_t kDes2 = 0774U * kColonne;
      constexpr uint32_t kDes4 = 0760U * kColonne;
      constexpr uint32_t kDes8 = 0400U * kColonne;
      for (int b = 0; b < 3; ++b) {
        Rangs y = w[b];
        y |= y << 1 & kDes1;
        y |= y << 2 & kDes2;
        y |= y << 4 & kDes4;
        y |= y << 8 & kDes8;  // bit i of a line: a write at column i or before
        const Rangs q = Lignes(w[b]).une();
        const Rangs pile = (q << 1 & 0666U) | (q << 2 & 0444U);
        otes[b] = (y << 1 & kDes1) | colonnes(pile);
      }
    } else {
      // A line loses the columns of the lines before it, and in its band the
      // boxes they wrote in.
      Rangs colonnes_avant{};
      for (int b = 0; b < 3; ++b) {
        const Lignes l(w[b]);
        otes[b] =
            colonnes(colonnes_avant) | (piles(l.l0) * 7U) << 9 | (piles(l.l0 | l.l1) * 7U) << 18;
        colonnes_avant |= l.une();
      }
    }
  }

  // The flag of phase P's last unit (box 9, column 9 or line 9) among the
  // candidates `c`.
  template <int P>
  static int32_t drapeau_de(const Rangs* c) {
    if constexpr (P == 1) {
      return touche(c[0] | c[1] | c[2], kColonne << 8) ? 1 : 0;
    } else {
      constexpr uint32_t kDerniere = P == 0 ? vite::kBoite << 6 : kLigne << 18;
      return touche(c[2], kDerniere) ? 1 : 0;
    }
  }

  // One pass of the scans of phase P, exactly: writes what it writes and sets
  // the flag. Returns whether it wrote anything. The writes are found by
  // going over all the units at once again and again, each unit seeing the
  // grid less what the last go had the units before it write: the first
  // unit's writes are right at once, the second's from the next go, and so
  // on, and a go that gives what the one before gave has them all right.
  template <int P>
  bool passe(int32_t& drapeau) {
    Rangs w[3];
    seuls<P>(cand, w);
    Rangs c[3] = {cand[0], cand[1], cand[2]};
    if (!nul(w[0] | w[1] | w[2])) {
      for (int go = 0; go < 9; ++go) {
        Rangs otes[3];
        otes_avant<P>(w, otes);
        for (int b = 0; b < 3; ++b) {
          c[b] = cand[b] & ~otes[b];
        }
        Rangs v[3];
        seuls<P>(c, v);
        const bool pareil = nul((v[0] ^ w[0]) | (v[1] ^ w[1]) | (v[2] ^ w[2]));
        w[0] = v[0];
        w[1] = v[1];
        w[2] = v[2];
        if (pareil) {
          break;
        }
      }
    }
    drapeau = drapeau_de<P>(c);
    if (nul(w[0] | w[1] | w[2])) {
      return false;
    }
    ecrit(w);
    return true;
  }

  // Phase P of an iteration: its count and flag as the scans give them.
  template <int P>
  void phase(int32_t& compte, int32_t& drapeau) {
    if (vue[P] == serie) {
      return;  // nothing written since it last ended: it finds nothing, its flag stays
    }
    const Rangs cand0[3] = {cand[0], cand[1], cand[2]};
    const Rangs poses0[3] = {poses[0], poses[1], poses[2]};
    const uint32_t ouvertes0[3] = {ouvertes[0], ouvertes[1], ouvertes[2]};
    const int32_t avant = vides;
    for (int rondes = 0;; ++rondes) {
      Rangs s[3];
      seuls<P>(cand, s);
      if (nul(s[0] | s[1] | s[2])) {
        break;
      }
      if (rondes == 9) {
        // Ten rounds place: the scans may stop at their tenth pass. Back to
        // the start, pass by pass.
        for (int b = 0; b < 3; ++b) {
          cand[b] = cand0[b];
          poses[b] = poses0[b];
          ouvertes[b] = ouvertes0[b];
        }
        vides = avant;
        bool fin = false;
        for (int n = 0; n < vite::kPasses && !fin; ++n) {
          fin = !passe<P>(drapeau);
        }
        compte = avant - vides;
        ++serie;
        vue[P] = fin ? serie : vue[P];
        return;
      }
      ecrit(s);
      ++serie;
    }
    vue[P] = serie;
    compte = avant - vides;
    drapeau = drapeau_de<P>(cand);
  }

  // Whether the grid repeats no digit in a unit and has no dead unit.
  bool sain() const {
    Rangs faute{};
    Rangs c[3];
    Rangs pres[3];  // columns with a digit or a candidate, per band
    for (int b = 0; b < 3; ++b) {
      const Lignes l(poses[b]);
      c[b] = l.une();
      // Repeats in a line, a column of the band, a box; a cell holding two.
      faute |= (l.l0 & (l.l0 - 1U)) | (l.l1 & (l.l1 - 1U)) | (l.l2 & (l.l2 - 1U)) | l.deux() |
               piles_plus(l.impair());
      en_double(poses[b], faute);
      // Dead lines and boxes.
      const Lignes z(poses[b] | cand[b]);
      pres[b] = z.une();
      const Rangs mort = ~(si(z.l0) & si(z.l1) & si(z.l2) & si(pres[b] & 7U) & si(pres[b] & 070U) &
                           si(pres[b] & 0700U));
      faute |= mort & neuf();
    }
    faute |= (c[0] & c[1]) | (c[2] & (c[0] | c[1]));             // repeats in a column
    faute |= neuf() & ((pres[0] | pres[1] | pres[2]) ^ kLigne);  // dead columns
    return union_des(faute) == 0;
  }

  // The grid's cells, line by line, from `poses`.
  void rend(int32_t* cases) const {
    for (int b = 0; b < 3; ++b) {
      int32_t* bande = cases + std::ptrdiff_t{27} * b;
#if defined(__AVX512F__)
      uint32_t mots[16];
      std::memcpy(mots, &poses[b], sizeof(mots));
      __m512i bas = _mm512_setzero_si512();
      __m512i haut = _mm512_setzero_si512();
      for (int d = 0; d < 9; ++d) {
        const __m512i chiffre = _mm512_set1_epi32(d + 1);
        bas = _mm512_mask_mov_epi32(bas, static_cast<__mmask16>(mots[d]), chiffre);
        haut = _mm512_mask_mov_epi32(haut, static_cast<__mmask16>(mots[d] >> 16), chiffre);
      }
      _mm512_storeu_si512(bande, bas);
      _mm512_mask_storeu_epi32(bande + 16, 0x7FF, haut);
#else
      // The values' four bits as four words of cells, then each cell's bits
      // gathered in its lane, eight cells at a time (the last three alone).
      uint32_t mots[9];
      ranger(mots, poses[b]);
      const uint32_t plans[4] = {mots[0] | mots[2] | mots[4] | mots[6] | mots[8],
                                 mots[1] | mots[2] | mots[5] | mots[6],
                                 mots[3] | mots[4] | mots[5] | mots[6], mots[7] | mots[8]};
      const __m256i rang = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
      const __m256i un = _mm256_set1_epi32(1);
      for (int q = 0; q < 4; ++q) {
        __m256i v = _mm256_setzero_si256();
        for (int k = 0; k < 4; ++k) {
          const __m256i plan = _mm256_set1_epi32(static_cast<int>(plans[k] >> (8 * q)));
          v = _mm256_or_si256(
              v, _mm256_slli_epi32(_mm256_and_si256(_mm256_srlv_epi32(plan, rang), un), k));
        }
        if (q < 3) {
          std::memcpy(bande + std::ptrdiff_t{8} * q, &v, sizeof(v));
        } else {
          _mm256_maskstore_epi32(bande + 24, _mm256_setr_epi32(-1, -1, -1, 0, 0, 0, 0, 0), v);
        }
      }
#endif
    }
  }
};

#if defined(__AVX512F__)
// Three units u[0..2] of a band, each in the lanes k[0..2] say, together.
inline Rangs choisies(const __mmask16* k, const uint32_t* u) {
  __m512i x = _mm512_maskz_mov_epi32(k[0], _mm512_set1_epi32(static_cast<int>(u[0])));
  x = _mm512_mask_or_epi32(x, k[1], x, _mm512_set1_epi32(static_cast<int>(u[1])));
  x = _mm512_mask_or_epi32(x, k[2], x, _mm512_set1_epi32(static_cast<int>(u[2])));
  return reinterpret_cast<Rangs>(x);
}

// The boxes and the lines of a band word.
constexpr uint32_t kBoites[3] = {vite::kBoite, vite::kBoite << 3, vite::kBoite << 6};
constexpr uint32_t kLignes[3] = {kLigne, kLigne << 9, kLigne << 18};

// Of the units u[0..2], those where v has a bit (`avec`) or none (`sans`),
// lane by lane.
inline Rangs unites_avec(Rangs v, const uint32_t* u) {
  const __mmask16 k[3] = {avec(v, u[0]), avec(v, u[1]), avec(v, u[2])};
  return choisies(k, u);
}
inline Rangs unites_sans(Rangs v, const uint32_t* u) {
  const __mmask16 k[3] = {sans(v, u[0]), sans(v, u[1]), sans(v, u[2])};
  return choisies(k, u);
}

// Puzzles drawn from a known complete grid S (`resoudre_parmi`): the givens
// are S's digits at some cells, the others empty. Then every single the
// scans or the rounds find is S's digit: S's cell of digit d in a unit is a
// candidate of d as long as it is empty (the digits placed are S's, and S
// repeats none), so a digit with one candidate cell in a unit has it there.
// Hence the grid never repeats a digit nor has a dead unit, and the rounds
// give what the scans give without the check at the end. It also makes a
// single cheaper to find: d is a single of a unit exactly when d still has
// S's cell there as a candidate and no other ("false") candidate, the
// candidates of d outside S's cells of d; an empty unit of false candidates
// is a test of nothing but "none", where the scans need "exactly one". The
// engine keeps no digits, only the candidates and the empty cells.
struct Parmi {
  Rangs cand[3];      // as in `Moteur`
  Rangs sol[3];       // [band], lane d: S's cells of digit d + 1
  Rangs ouvertes[3];  // [band], every lane: the empty cells
  uint32_t serie;
  uint32_t vue[3];

  // Writes the digits p (per band, lane d: cells of d + 1), as
  // `Moteur::ecrit` does. When they are singles that phase P (0 to 2) found,
  // their units of the phase's kind are left as they are: a digit is single
  // in a unit when it has no candidate there but S's cell, which the write
  // fills, so the unit has none left to take away.
  template <int P>
  void ecrit(const Rangs* p) {
    Rangs hors_colonnes = Rangs{} + ~0U;
    if constexpr (P != 1) {
      hors_colonnes = ~colonnes(Lignes(p[0] | p[1] | p[2]).une());
    }
    for (int b = 0; b < 3; ++b) {
      Rangs remplies = p[b];
      partout(remplies);
      Rangs otees = remplies;
      if constexpr (P != 2) {
        otees |= unites_avec(p[b], kLignes);
      }
      if constexpr (P != 0) {
        otees |= unites_avec(p[b], kBoites);
      }
      cand[b] &= hors_colonnes & ~otees;
      ouvertes[b] &= ~remplies;
    }
  }

  // The cells holding 0: counted when a phase ends.
  int32_t vides() const {
    return __builtin_popcount(ouvertes[0][0]) + __builtin_popcount(ouvertes[1][0]) +
           __builtin_popcount(ouvertes[2][0]);
  }

  // The grid of S's digits at the cells `donnees` (per band, 27 bits).
  void charge(const uint32_t* mots, const uint32_t* donnees) {
    serie = 0;
    vue[0] = vue[1] = vue[2] = ~0U;
    Rangs p[3];
    for (int b = 0; b < 3; ++b) {
      std::memcpy(&sol[b], mots + std::ptrdiff_t{16} * b, sizeof(Rangs));
      p[b] = sol[b] & (donnees[b] & kBande);
      cand[b] = ((Rangs{} + 0x1FFU) >> kIota & 1U) * kBande;
      ouvertes[b] = Rangs{} + kBande;
    }
    ecrit<3>(p);  // givens: every unit
  }

  // `Moteur::seuls` among the candidates c, by their false candidates.
  template <int P>
  void seuls(const Rangs* c, Rangs* s) const {
    Rangs faux[3];
    for (int b = 0; b < 3; ++b) {
      faux[b] = c[b] & ~sol[b];
    }
    if constexpr (P == 0) {
      for (int b = 0; b < 3; ++b) {
        s[b] = c[b] & sol[b] & unites_sans(faux[b], kBoites);
      }
    } else if constexpr (P == 1) {
      // A column's cells in the three bands sit at the same bits.
      const Rangs libres = colonnes(~Lignes(faux[0] | faux[1] | faux[2]).une() & kLigne);
      for (int b = 0; b < 3; ++b) {
        s[b] = c[b] & sol[b] & libres;
      }
    } else {
      for (int b = 0; b < 3; ++b) {
        s[b] = c[b] & sol[b] & unites_sans(faux[b], kLignes);
      }
    }
  }

  // `Moteur::passe`, leaving in c the candidates the pass's units saw
  // (the flag is taken on them once the phase ends).
  template <int P>
  bool passe(Rangs* c) {
    Rangs w[3];
    seuls<P>(cand, w);
    c[0] = cand[0];
    c[1] = cand[1];
    c[2] = cand[2];
    if (nul(w[0] | w[1] | w[2])) {
      return false;
    }
    // Singles come only from false candidates taken away: the units' writes
    // are right once their false candidates taken away are those the writes
    // were found on (none at first).
    Rangs avant[3] = {};
    for (int go = 0; go < 9; ++go) {
      Rangs otes[3];
      Moteur::otes_avant<P>(w, otes);
      Rangs perdus[3];
      for (int b = 0; b < 3; ++b) {
        c[b] = cand[b] & ~otes[b];
        perdus[b] = cand[b] & otes[b] & ~sol[b];
      }
      if (nul((perdus[0] ^ avant[0]) | (perdus[1] ^ avant[1]) | (perdus[2] ^ avant[2]))) {
        break;
      }
      avant[0] = perdus[0];
      avant[1] = perdus[1];
      avant[2] = perdus[2];
      seuls<P>(c, w);
    }
    ecrit<P>(w);
    return true;
  }

  // Phase P, as `Moteur::phase`: rounds, and when ten of them place, back
  // to the start and pass by pass.
  template <int P>
  void phase(int32_t& compte, int32_t& drapeau) {
    if (vue[P] == serie) {
      return;
    }
    const Rangs cand0[3] = {cand[0], cand[1], cand[2]};
    const Rangs ouvertes0[3] = {ouvertes[0], ouvertes[1], ouvertes[2]};
    const int32_t avant = vides();
    for (int rondes = 0;; ++rondes) {
      Rangs s[3];
      seuls<P>(cand, s);
      if (nul(s[0] | s[1] | s[2])) {
        break;
      }
      if (rondes == 9) {
        par_passes<P>(cand0, ouvertes0, avant, compte, drapeau);
        return;
      }
      ecrit<P>(s);
      ++serie;
    }
    vue[P] = serie;
    compte = avant - vides();
    drapeau = Moteur::drapeau_de<P>(cand);
  }

  // The phase again from the candidates and empty cells it started with,
  // pass by pass. Out of line: the rounds keep their registers.
  template <int P>
  __attribute__((noinline)) void par_passes(const Rangs* cand0, const Rangs* ouvertes0,
                                            int32_t avant, int32_t& compte, int32_t& drapeau) {
    for (int b = 0; b < 3; ++b) {
      cand[b] = cand0[b];
      ouvertes[b] = ouvertes0[b];
    }
    bool fin = false;
    Rangs c[3];
    for (int n = 0; n < vite::kPasses && !fin; ++n) {
      fin = !passe<P>(c);
    }
    drapeau = Moteur::drapeau_de<P>(c);
    compte = avant - vides();
    ++serie;
    vue[P] = fin ? serie : vue[P];
  }
};

// The solve of the puzzle of S (`mots`, as `Parmi::sol`) with the givens
// `donnees`, reported as `resoudre_parmi` does (solver/rapide.h).
inline void parmi(const uint32_t* mots, const uint32_t* donnees, BilanVite& bilan) {
  Parmi m;
  m.charge(mots, donnees);
  int32_t comptes[3] = {0, 0, 0};
  BilanVite& r = bilan;
  r.niter = 0;
  r.progres = 1;
  r.drapeaux[0] = r.drapeaux[1] = r.drapeaux[2] = 0;
  for (int32_t b = 1; b <= vite::kIterations; ++b) {
    if (b > 1 && (m.vides() == 0 || r.progres == 0)) {
      break;
    }
    r.niter = b;
    comptes[0] = comptes[1] = comptes[2] = 0;
    m.phase<0>(comptes[0], r.drapeaux[0]);
    m.phase<1>(comptes[1], r.drapeaux[1]);
    m.phase<2>(comptes[2], r.drapeaux[2]);
    r.progres = comptes[0] + comptes[1] + comptes[2] != 0 ? 1 : 0;
  }
  for (int p = 0; p < 3; ++p) {
    r.derniers[p] = comptes[p];
    r.remplies[p] = ~m.ouvertes[p][0] & kBande;
  }
  r.vides = m.vides();
}

#endif  // __AVX512F__

// The solve by rounds of the grid `cases`; false, leaving `cases` and
// `rapport` to be written again, when the scans must do it.
inline bool essaie(int32_t* cases, RapportVite& rapport) {
  Moteur m;
  if (!m.charge(cases)) {
    return false;
  }
  RapportVite& r = rapport;
  std::memset(&r, 0, sizeof(r));
  for (int32_t b = 1; b <= vite::kIterations; ++b) {
    if (b > 1 && (m.vides == 0 || r.progres == 0)) {
      break;
    }
    r.niter = b;
    m.phase<0>(r.comptes[b][0], r.drapeaux[0]);
    m.phase<1>(r.comptes[b][1], r.drapeaux[1]);
    m.phase<2>(r.comptes[b][2], r.drapeaux[2]);
    r.progres = r.comptes[b][0] + r.comptes[b][1] + r.comptes[b][2] != 0 ? 1 : 0;
  }
  if (!m.sain()) {
    return false;
  }
  r.vides = m.vides;
  r.placements = 0;
  m.rend(cases);
  return true;
}

// The contract of the `vite_*` entry points (solver/rapide_versions.h):
// rounds when they give what the scans give, the scans otherwise, and always
// for a journal, which needs the order of the writes.
inline void resoudre(int32_t* cases, RapportVite& rapport, Placement* journal) {
  if (journal != nullptr || !essaie(cases, rapport)) {
    vite::resoudre(cases, rapport, journal);
  }
}

}  // namespace rondes
}  // namespace

#endif  // __AVX2__
