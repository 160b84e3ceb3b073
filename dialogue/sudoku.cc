// The main program: entry, then solve, verdict, iteration report and menu,
// until the user chooses to finish. Every solve starts from a fresh copy of
// the entry grid.
#include "console/console.h"
#include "dialogue/dialogue.h"

namespace {

constexpr const char* kIteration =
    "(' iteration:',I2,' on a trouve ',I2,'  carres, ',I2,' lignes et ',I2,' colonnes')";

}  // namespace

void sudoku() {
  Grid grille{};
  Grid saisie{};
  Resolution etat;
  Saisies saisies;
  int32_t choix = 0;

  entree(saisie, saisies);
  grille = saisie;

  int32_t encore = 1;
  while (encore == 1) {
    resoudre(grille, etat);

    if (81 - etat.nremplies == 0) {
      console::write_free_form("le sudoku est trouve");
      tableau(grille);
    } else {
      console::write_free_form("pas de solution");
      if (etat.posslign == 1 || etat.posscarre == 1 || etat.posscol == 1) {
        console::write_free_form("trop de possibilite");
      } else {
        console::write_free_form("pas de possibilites");
      }
    }

    for (int32_t e = 1; e <= etat.niter; ++e) {
      console::write_formatted(kIteration,
                               {e, etat.ncarres[e], etat.nlignes[e], etat.ncolonnes[e]});
    }

    console::write_free_form("tapez 1 pour finir, 2 pour rajouter ou modifier des points");
    console::read_begin();
    console::read_int(choix);
    console::read_end();

    // 2 edits the entry grid and solves again; 1, like any other answer, ends the run.
    if (choix == 2) {
      entree(saisie, saisies);
    } else {
      encore = 0;
    }
    grille = saisie;
  }
}
