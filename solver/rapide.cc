// Provisional: the literal iterations with a journal. To be replaced by the
// bit-mask engine.
#include "solver/rapide.h"

namespace {

struct Balayage {
  DigitTable chiffre{};
  DigitTable xpos{};
  DigitTable ypos{};
  int32_t possible = 0;
};

void applique(Grid& grille, const Balayage& s, int32_t b, Phase p, int32_t& compte,
              int32_t& drapeau, Journal* journal) {
  drapeau = 0;
  for (int32_t d = 1; d <= 9; ++d) {
    if (s.chiffre[d] != 0) {
      grille(s.xpos[d], s.ypos[d]) = s.chiffre[d];
      ++compte;
      if (journal != nullptr) {
        journal->placements[journal->n++] =
            Placement{static_cast<int8_t>(b), p, static_cast<int8_t>(s.chiffre[d]),
                      static_cast<int8_t>(s.xpos[d]), static_cast<int8_t>(s.ypos[d])};
      }
    }
  }
  if (s.possible != 0) {
    drapeau = 1;
  }
}

void phase(Grid& grille, int32_t b, Phase p, Balayage& s, int32_t& compte, int32_t& drapeau,
           Journal* journal) {
  for (int32_t n = 1; n <= 10; ++n) {
    if (n != 1 && compte == 0) {
      continue;
    }
    const int32_t avant = compte;
    for (int32_t u = 1; u <= 9; ++u) {
      int32_t x = 0;
      int32_t y = 0;
      if (p == Phase::carres) {
        x = 1 + 3 * ((u - 1) / 3);
        y = 1 + 3 * ((u - 1) % 3);
        recherche(grille, x, y, s.chiffre, s.xpos, s.ypos, s.possible);
      } else if (p == Phase::colonnes) {
        x = u;
        rechercol(grille, x, y, s.chiffre, s.xpos, s.ypos, s.possible);
      } else {
        y = u;
        recherlign(grille, x, y, s.chiffre, s.xpos, s.ypos, s.possible);
      }
      applique(grille, s, b, p, compte, drapeau, journal);
    }
    if (compte == avant) {
      break;
    }
  }
}

}  // namespace

void resoudre_vite(Grid& grille, Resolution& etat, Journal* journal) {
  if (journal != nullptr) {
    journal->n = 0;
  }
  for (int32_t b = 1; b <= 10; ++b) {
    etat.ncarres[b] = 0;
    etat.nlignes[b] = 0;
    etat.ncolonnes[b] = 0;
  }
  etat.niter = 0;
  etat.nvides = 81.0F;
  etat.progres = 1;
  Balayage s;
  for (int32_t b = 1; b <= 10; ++b) {
    if (etat.nvides == 0.0F || etat.progres == 0) {
      continue;
    }
    etat.niter = b;
    phase(grille, b, Phase::carres, s, etat.ncarres[b], etat.posscarre, journal);
    phase(grille, b, Phase::colonnes, s, etat.ncolonnes[b], etat.posscol, journal);
    phase(grille, b, Phase::lignes, s, etat.nlignes[b], etat.posslign, journal);
    etat.nremplies = 0;
    for (const int32_t v : grille.cells) {
      etat.nremplies += v != 0 ? 1 : 0;
    }
    if (etat.nlignes[b] == 0 && etat.ncolonnes[b] == 0 && etat.ncarres[b] == 0) {
      etat.progres = 0;
    }
    etat.nvides = static_cast<float>(81 - etat.nremplies);
  }
}
