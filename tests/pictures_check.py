#!/usr/bin/env python3
"""sudoku-batch's pictures, end to end: the SVG document parsed as XML and
checked against the same run's line records (every cell there, the givens
and the placed digits where the records put them, the steps in the order of
the placements, the hint's cell and unit, a file name full of XML's special
characters read back intact); the PDF book's page count and paper read back
by poppler's pdfinfo, and a page rendered by pdftoppm and sampled where the
layout puts a thick rule, an empty cell and the margin.

Usage: pictures_check.py SUDOKU_BATCH
"""
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"
# Three puzzles: one forced placements finish, one they do not (unique
# solution), one whose first move comes from a column.
PUZZLES = [
    "..3.2.6..9..3.5..1..18.64....81.29..7.......8..67.82....26.95..8..2.3..9..5.1.3..",
    ".1.5..2..9....1.....2..8.3.5...3...7..8...5..6...8...4.4.1..7.....7....6..3..4.5.",
    "45.....3....8.1....9...........5..9.2..7.....8.........1..4..........7.2...6..8..",
]
FAILURES = []
CHECKS = [0]


def check(condition, what):
    CHECKS[0] += 1
    if not condition:
        FAILURES.append(what)


def run(program, args, env=None):
    done = subprocess.run([program, "--quiet", *args], capture_output=True, env=env)
    return done.returncode, done.stdout, done.stderr.decode(errors="replace")


def line_records(program, source, extra):
    """The grid and placements of each puzzle, from the line format."""
    _, out, _ = run(program, ["--format=line", *extra, source])
    records = []
    for line in out.decode(errors="replace").splitlines():
        fields = line.split("\t")
        if fields[0] == "error":
            continue
        moves = []
        for item in fields[-2].split():  # the placements; the conflict comes last
            iteration, _, rest = item.split(":")
            digit, cell = rest.split("@")
            i, j = cell.strip("()").split(",")
            moves.append((int(iteration), int(digit), f"r{j}c{i}"))
        records.append((fields[0], moves))
    return records


def frames(document):
    root = ET.fromstring(document)
    return root, root.findall(f"{SVG}g[@class='puzzle']")


def cells_of(frame, kind):
    return {t.get("data-cell"): t for t in frame.iter(f"{SVG}text") if t.get("class") == kind}


def check_svg(program, folder):
    # Every character XML treats specially, and a byte that is not UTF-8.
    name = os.path.join(folder.encode(), b"a<&\"'>\xff.txt")
    with open(name, "w") as f:
        f.write("\n".join(PUZZLES) + "\n12k45\n")  # a damaged puzzle line
    status, document, err = run(program, ["--format=svg", "--explain", "--count", name])
    check(status == 1 and "12k45" not in document.decode(), f"refused line: {status} {err}")
    root, found = frames(document)
    check(len(found) == 3, f"{len(found)} frames for 3 puzzles")
    height = int(root.get("viewBox").split()[3])
    check(height == 3 * 474, f"viewBox height {height}")
    for n, (frame, (grid, moves)) in enumerate(zip(found, line_records(program, name, ["-e"]))):
        title = "".join(frame.find(f"{SVG}text").itertext())
        check(title.endswith("a<&\"'>\ufffd.txt:" + str(n + 1)), f"title {title!r}")
        names = [r.get("data-cell") for r in frame.iter(f"{SVG}rect") if r.get("class") == "cell"]
        check(names == [f"r{j}c{i}" for j in range(1, 10) for i in range(1, 10)],
              f"puzzle {n + 1}: cells {names[:3]}...")
        givens, placed = cells_of(frame, "given"), cells_of(frame, "placed")
        for k, cell in enumerate(f"r{j}c{i}" for j in range(1, 10) for i in range(1, 10)):
            given = PUZZLES[n][k]
            if given != ".":
                check(cell in givens and givens[cell].text == given, f"{n + 1} {cell} given")
            elif grid[k] != ".":
                check(cell in placed and placed[cell].text == grid[k], f"{n + 1} {cell} placed")
            else:
                check(cell not in givens and cell not in placed, f"{n + 1} {cell} empty")
        for step, (iteration, digit, cell) in enumerate(moves, 1):
            text = placed.get(cell)
            check(text is not None and text.get("data-step") == str(step) and
                  text.get("data-iteration") == str(iteration) and text.text == str(digit),
                  f"{n + 1} step {step} at {cell}")

    # The hint: the grid as given, the first move's cell marked, its unit shaded.
    _, document, _ = run(program, ["--format=svg", "--hint", name])
    _, found = frames(document)
    for n, (frame, (_, moves)) in enumerate(zip(found, line_records(program, name, ["--hint"]))):
        check(len(cells_of(frame, "placed")) == 0, f"hint {n + 1}: placed digits drawn")
        marks = [r.get("data-cell") for r in frame.iter(f"{SVG}rect") if r.get("class") == "mark"]
        check(marks == [moves[0][2]], f"hint {n + 1}: mark {marks} for {moves[0]}")
        shaded = [r for r in frame.iter(f"{SVG}rect") if r.get("class") == "cell shaded"]
        check(len(shaded) == 9, f"hint {n + 1}: {len(shaded)} cells shaded")
        detail = "".join(frame.findall(f"{SVG}text")[1].itertext())
        check(moves[0][2] in detail, f"hint {n + 1}: {detail!r}")


def pdf_info(path):
    out = subprocess.run(["pdfinfo", path], capture_output=True, text=True).stdout
    info = dict(line.split(":", 1) for line in out.splitlines() if ":" in line)
    return int(info["Pages"]), info["Page size"].strip()


def check_pdf(program, folder):
    source = os.path.join(folder, "six.txt")
    with open(source, "w") as f:
        f.write("\n".join(PUZZLES * 2) + "\n")
    book = os.path.join(folder, "book.pdf")
    env = dict(os.environ, LC_ALL="C")
    # (options, environment, pages, paper): six puzzles four a page, then
    # their answers numbered to match; the paper from --paper or LC_PAPER.
    cases = [
        ([], env, 2, "595.276 x 841.89 pts (A4)"),
        (["--count"], env, 4, "595.276 x 841.89 pts (A4)"),
        (["--explain", "--per-page=6"], env, 2, "595.276 x 841.89 pts (A4)"),
        (["--per-page=1", "--paper=Letter"], env, 6, "612 x 792 pts (letter)"),
    ]
    locales = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
    if "en_US.utf8" in locales:
        cases.append(([], dict(os.environ, LC_ALL="", LANG="C", LC_PAPER="en_US.UTF-8"), 2,
                      "612 x 792 pts (letter)"))
    else:
        print("no en_US.UTF-8 locale: the paper from LC_PAPER is not checked")
    for options, environment, pages, paper in cases:
        with open(book, "wb") as f:
            status = subprocess.run([program, "--format=pdf", *options, source], stdout=f,
                                    env=environment).returncode
        check(status == 0, f"pdf {options}: status {status}")
        check(pdf_info(book) == (pages, paper), f"pdf {options}: {pdf_info(book)}")

    # One grid a page, rendered at 72 dpi (a pixel a point): the frame of
    # 400 x 444 units is scaled to fit 515 x 762 points, centred.
    with open(book, "wb") as f:
        subprocess.run([program, "--format=pdf", "--per-page=1", "--paper=a4", source], stdout=f)
    subprocess.run(["pdftoppm", "-r", "72", "-f", "1", "-l", "1", "-gray", book,
                    os.path.join(folder, "page")], check=True)
    with open(os.path.join(folder, "page-1.pgm"), "rb") as f:
        data = f.read()
    magic, width, height, _, pixels = data.split(maxsplit=4)
    check(magic == b"P5", "pdftoppm: not a grey map")
    width, height = int(width), int(height)
    scale = min((595.276 - 80) / 400, (841.89 - 80) / 444)
    left = 40 + (595.276 - 80 - 400 * scale) / 2
    top = 40 + (841.89 - 80 - 444 * scale) / 2

    def grey(x, y):  # at frame units x, y
        px, py = round(left + x * scale), round(top + y * scale)
        return pixels[py * width + px]

    # The thick rule between boxes 1 and 2, mid-cell; the first puzzle's
    # r1c1 is empty; the page's corner.
    check(grey(20 + 120, 64 + 20) < 80, f"thick rule: {grey(140, 84)}")
    check(grey(20 + 20, 64 + 20) > 200, f"empty cell: {grey(40, 84)}")
    check(pixels[5 * width + 5] > 250, "margin")


def main():
    program = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        check_svg(program, folder)
        if shutil.which("pdfinfo") and shutil.which("pdftoppm"):
            if run(program, ["--format=pdf", PUZZLES[0]])[0] == 2:
                print("sudoku-batch built without PDF output: the book is not checked")
            else:
                check_pdf(program, folder)
        else:
            print("no pdfinfo or pdftoppm (Debian: poppler-utils): the book is not checked")
    for failure in FAILURES:
        print("FAILED:", failure)
    print(f"{CHECKS[0] - len(FAILURES)} of {CHECKS[0]} checks passed")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
