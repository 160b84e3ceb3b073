#!/usr/bin/env python3
"""Makes the project's own small puzzle collections in data/:

  own_easy50.txt, own_easy50.solutions
      50 puzzles with exactly one solution each: 25 that forced placements
      (a digit with a single possible cell in a box, a column or a line goes
      there) solve, then 25 that they leave unfinished.
  own_invalid7.txt
      7 grids without a solution, one line each: a digit twice in a box, in
      a column, in a line; an empty cell where no digit fits; a digit with no
      possible cell in a box, in a column, in a line.

Each puzzle comes from a random full grid, emptied cell by cell in random
order for as long as the solution stays unique and more givens remain than
the puzzle's target. The invalid grids are those puzzles with givens added
until the grid shows exactly the wanted fault and no other. The seed is
fixed: the same Python 3 gives the same files. The solution counter here is
a plain backtracking search, written apart from the project's.

Usage: make_puzzles.py [--check] [DATA_DIR]   (default: data/ beside this folder)
  --check  writes nothing; fails unless the files there are what it would write
"""

import os
import random
import sys

CELLS = range(81)
UNITS = ([[9 * r + c for c in range(9)] for r in range(9)] +
         [[9 * r + c for r in range(9)] for c in range(9)] +
         [[9 * (3 * (b // 3) + k // 3) + 3 * (b % 3) + k % 3 for k in range(9)]
          for b in range(9)])
BOXES, COLUMNS, LINES = UNITS[18:], UNITS[9:18], UNITS[:9]
PEERS = [sorted({p for u in UNITS if c in u for p in u} - {c}) for c in CELLS]


def candidates(g, c):
    return set(range(1, 10)) - {g[p] for p in PEERS[c]} if g[c] == 0 else set()


def count(g, limit=2):
    """Solutions of g, up to limit: fill the emptiest cell first. The givens
    must not repeat a digit in a unit (see solutions)."""
    best = None
    for c in CELLS:
        if g[c] == 0:
            cand = candidates(g, c)
            if best is None or len(cand) < len(best[1]):
                best = (c, cand)
                if not cand:
                    return 0
    if best is None:
        return 1
    found = 0
    for d in best[1]:
        g[best[0]] = d
        found += count(g, limit - found)
        g[best[0]] = 0
        if found >= limit:
            break
    return found


def solutions(g):
    """Solutions of g: 0, 1, or 2 for two or more."""
    return 0 if duplicates(g, UNITS) else count(list(g))


def full_grid(rng):
    g = [0] * 81

    def fill(c):
        if c == 81:
            return True
        digits = list(candidates(g, c))
        rng.shuffle(digits)
        for d in digits:
            g[c] = d
            if fill(c + 1):
                return True
        g[c] = 0
        return False

    fill(0)
    return g


def forced_placements_solve(g):
    """Places hidden singles (box, column, line) until none is left."""
    g = list(g)
    placed = True
    while placed:
        placed = False
        for unit in UNITS:
            for d in range(1, 10):
                where = [c for c in unit if d in candidates(g, c)]
                if len(where) == 1:
                    g[where[0]] = d
                    placed = True
    return 0 not in g


def make_puzzle(rng, target):
    solution = full_grid(rng)
    g = list(solution)
    order = list(CELLS)
    rng.shuffle(order)
    for c in order:
        if 81 - g.count(0) <= target:
            break
        g[c] = 0
        if count(g) != 1:
            g[c] = solution[c]
    return g, solution


def duplicates(g, units):
    return any(len([c for c in u if g[c] == d]) > 1 for u in units for d in range(1, 10))


def digit_without_place(g, units):
    return any(d not in [g[c] for c in u] and not any(d in candidates(g, c) for c in u)
               for u in units for d in range(1, 10))


def faults(g):
    """The faults a grid shows, in the order of own_invalid7.txt."""
    dead_cell = any(g[c] == 0 and not candidates(g, c) for c in CELLS)
    return [duplicates(g, BOXES) and not duplicates(g, COLUMNS + LINES),
            duplicates(g, COLUMNS) and not duplicates(g, BOXES + LINES),
            duplicates(g, LINES) and not duplicates(g, BOXES + COLUMNS),
            dead_cell, digit_without_place(g, BOXES), digit_without_place(g, COLUMNS),
            digit_without_place(g, LINES)]


def make_invalid(rng, puzzles, case):
    """Adds givens to a puzzle until it shows fault `case` alone."""
    while True:
        g = list(rng.choice(puzzles))
        for _ in range(6):
            c = rng.choice([c for c in CELLS if g[c] == 0])
            if case < 3:
                g[c] = rng.randint(1, 9)
            elif candidates(g, c):
                g[c] = rng.choice(sorted(candidates(g, c)))
            if g[c] == 0:
                continue
            shown = faults(g)
            if shown[case] and shown.count(True) == 1:
                return g
            if any(shown):
                break


def text(g):
    return ''.join(str(d) if d else '.' for d in g)


def main():
    args = sys.argv[1:]
    check = '--check' in args
    args = [a for a in args if a != '--check']
    here = os.path.dirname(os.path.abspath(__file__))
    out = args[0] if args else os.path.join(here, '..', 'data')
    rng = random.Random(15)
    solved, unsolved = [], []
    while len(solved) < 25 or len(unsolved) < 25:
        g, s = make_puzzle(rng, rng.randint(22, 36))
        group = solved if forced_placements_solve(g) else unsolved
        if len(group) < 25:
            group.append((g, s))
    easy = solved + unsolved
    invalid = [make_invalid(rng, [g for g, _ in easy], case) for case in range(7)]
    for g, s in easy:
        assert solutions(g) == 1 and all(a in (0, b) for a, b in zip(g, s))
    for g in invalid:
        assert solutions(g) == 0
    files = {
        'own_easy50.txt': ''.join(text(g) + '\n' for g, _ in easy),
        'own_easy50.solutions': ''.join(text(s) + '\n' for _, s in easy),
        'own_invalid7.txt': ''.join(text(g) + '\n' for g in invalid),
    }
    differ = 0
    for name, content in files.items():
        path = os.path.join(out, name)
        if not check:
            with open(path, 'w') as f:
                f.write(content)
            continue
        try:
            with open(path) as f:
                same = f.read() == content
        except OSError:
            same = False
        if not same:
            print(f'{path}: not what make_puzzles.py makes', file=sys.stderr)
            differ = 1
    return differ


if __name__ == '__main__':
    sys.exit(main())
