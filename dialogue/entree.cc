// Grid entry and correction: a count, that many (i, j, value) triples read
// straight into the entry grid, the grid echoed, and a confirmation question
// that starts over on 1.
#include "console/console.h"
#include "dialogue/dialogue.h"

namespace {

constexpr const char* kTitre = "(/,' Vous avez entre le tableau suivant:',/)";

// Reads one integer answer: one read statement with one item.
void lire(int32_t& reponse) {
  console::read_begin();
  console::read_int(reponse);
  console::read_end();
}

}  // namespace

void entree(Grid& saisie, Saisies& v) {
  // Where a triple names a cell outside the grid, its value is read into this
  // and stored nowhere; the dialogue goes on as for any other entry.
  int32_t hors_grille = 0;

  v.corriger = 1;
  while (v.corriger == 1) {
    console::write_free_form("combien de cases voulez-vous rentrer ou modifier?");
    lire(v.ncases);

    // The number of entries is fixed here; i is only the loop's counter, and
    // each read overwrites it with the typed value.
    v.i = 1;
    for (int32_t reste = v.ncases; reste > 0; --reste) {
      console::write_free_form("donnez i,j et la valeur");
      console::read_begin();
      console::read_int(v.i);
      console::read_int(v.j);
      bool dans_la_grille = v.i >= 1 && v.i <= 9 && v.j >= 1 && v.j <= 9;
      console::read_int(dans_la_grille ? saisie(v.i, v.j) : hors_grille);
      console::read_end();
      // A typed 2147483647 wraps like the 32-bit counter it is.
      v.i = static_cast<int32_t>(static_cast<uint32_t>(v.i) + 1U);
    }

    console::write_formatted(kTitre);
    console::write_formatted(kTitre);
    tableau(saisie);
    console::write_formatted("(/)");
    console::write_free_form("entrez 0 si c'est bon, 1 si vous voulez corriger");
    lire(v.corriger);
  }
}
