// The solving iterations. Each iteration runs a box, a column and a line
// phase; a phase scans its nine units and writes every reported single into
// the grid straight after the scan, so the next unit already sees it. A phase
// runs one pass, or ten when its count for the iteration is non-zero.
//
// The iterations are written once, over a trace that is told of every digit
// written: `resoudre` passes one that does nothing (the dialogue's solve, no
// cost), `resoudre_journal` one that keeps the journal of placements.
#include "solver/rapide.h"
#include "solver/solver.h"

namespace {

constexpr int32_t kIterations = 10;
constexpr int32_t kPasses = 10;

// The scan result shared by every scan call of a solve.
struct Balayage {
  DigitTable chiffre{};
  DigitTable xpos{};
  DigitTable ypos{};
  int32_t possible = 0;
};

struct SansTrace {
  void note(int32_t /*b*/, Phase /*p*/, int32_t /*d*/, int32_t /*i*/, int32_t /*j*/) {}
};

struct Trace {
  Journal& journal;
  void note(int32_t b, Phase p, int32_t d, int32_t i, int32_t j) {
    journal.placements[journal.n++] = Placement{static_cast<int8_t>(b), p, static_cast<int8_t>(d),
                                                static_cast<int8_t>(i), static_cast<int8_t>(j)};
  }
};

// Writes the singles of the last scan into the grid in increasing digit order
// (two digits naming one cell are both written and counted; the larger stays),
// then sets the phase flag from the scan's `possible`.
template <typename T>
void applique(Grid& grille, const Balayage& s, int32_t b, Phase p, int32_t& compte,
              int32_t& drapeau, T& trace) {
  drapeau = 0;
  for (int32_t d = 1; d <= 9; ++d) {
    if (s.chiffre[d] != 0) {
      grille(s.xpos[d], s.ypos[d]) = s.chiffre[d];
      ++compte;
      trace.note(b, p, s.chiffre[d], s.xpos[d], s.ypos[d]);
    }
  }
  if (s.possible != 0) {
    drapeau = 1;
  }
}

// One pass: the phase's nine units in order, each scan followed by its writes.
template <typename T>
void passe(Grid& grille, int32_t b, Phase p, Balayage& s, int32_t& compte, int32_t& drapeau,
           T& trace) {
  switch (p) {
    case Phase::carres:
      for (int32_t i0 = 1; i0 <= 7; i0 += 3) {
        for (int32_t j0 = 1; j0 <= 7; j0 += 3) {
          recherche(grille, i0, j0, s.chiffre, s.xpos, s.ypos, s.possible);
          applique(grille, s, b, p, compte, drapeau, trace);
        }
      }
      break;
    case Phase::colonnes: {
      int32_t j = 0;  // running line counter of rechercol
      for (int32_t i = 1; i <= 9; ++i) {
        rechercol(grille, i, j, s.chiffre, s.xpos, s.ypos, s.possible);
        applique(grille, s, b, p, compte, drapeau, trace);
      }
      break;
    }
    case Phase::lignes: {
      int32_t i = 0;  // running column counter of recherlign
      for (int32_t j = 1; j <= 9; ++j) {
        recherlign(grille, i, j, s.chiffre, s.xpos, s.ypos, s.possible);
        applique(grille, s, b, p, compte, drapeau, trace);
      }
      break;
    }
  }
}

// The first pass always runs; the others only once the phase has placed a
// digit in this iteration. A pass that places nothing leaves the grid as it
// found it, so each later pass would repeat it exactly (no placement, the same
// flag): the phase can stop there with the same outcome.
template <typename T>
void phase(Grid& grille, int32_t b, Phase p, Balayage& s, int32_t& compte, int32_t& drapeau,
           T& trace) {
  for (int32_t n = 1; n <= kPasses; ++n) {
    if (n == 1 || compte != 0) {
      const int32_t avant = compte;
      passe(grille, b, p, s, compte, drapeau, trace);
      if (compte == avant) {
        break;
      }
    }
  }
}

template <typename T>
void resout(Grid& grille, Resolution& etat, T& trace) {
  for (int32_t b = 1; b <= kIterations; ++b) {
    etat.ncarres[b] = 0;
    etat.nlignes[b] = 0;
    etat.ncolonnes[b] = 0;
  }
  etat.niter = 0;
  etat.nvides = 81.0F;
  etat.progres = 1;

  Balayage s;
  for (int32_t b = 1; b <= kIterations; ++b) {
    if (etat.nvides == 0.0F || etat.progres == 0) {
      continue;
    }
    etat.niter = b;
    phase(grille, b, Phase::carres, s, etat.ncarres[b], etat.posscarre, trace);
    phase(grille, b, Phase::colonnes, s, etat.ncolonnes[b], etat.posscol, trace);
    phase(grille, b, Phase::lignes, s, etat.nlignes[b], etat.posslign, trace);

    etat.nremplies = 0;
    for (const int32_t v : grille.cells) {
      if (v != 0) {
        ++etat.nremplies;
      }
    }
    if (etat.nlignes[b] == 0 && etat.ncolonnes[b] == 0 && etat.ncarres[b] == 0) {
      etat.progres = 0;
    }
    etat.nvides = static_cast<float>(81 - etat.nremplies);
  }
}

}  // namespace

void resoudre(Grid& grille, Resolution& etat) {
  SansTrace trace;
  resout(grille, etat, trace);
}

void resoudre_journal(Grid& grille, Resolution& etat, Journal& journal) {
  journal.n = 0;
  Trace trace{journal};
  resout(grille, etat, trace);
}
