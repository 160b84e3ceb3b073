#!/usr/bin/env python3
"""Derives the expected transcripts from a model of the program.

This is a second, independent model of the whole program, written from the
program's rules and not from its code: the solving iterations (placement
tests, unit scans, phases and passes), the entry dialogue and the main loop,
the records with their line-control character and held-back CR LF, and the
free-form integer input with its line reads. It shares nothing with the C++
sources. For every case named in `cases` it reads NAME.in and writes:

  NAME.out      standard output in the redirected arrangements
  NAME.tty.out  standard output in the interactive arrangement, only when
                it differs from NAME.out
  NAME.err      standard error; "$(message)" stands for the message text of
                the error number reported on the line above
  NAME.status   the exit status

It refuses a case whose redirected arrangements would disagree, so each case
has exactly one expected output per arrangement class.

Usage: derive.py [--check]   (--check compares instead of writing)
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

CR, LF = 0x0D, 0x0A
INT_MIN, INT_MAX = -(2**31), 2**31 - 1


class Fatal(Exception):
    def __init__(self, number):
        super().__init__(number)
        self.number = number


# ---------------------------------------------------------------- solver


def origin(c):
    o = 1
    if c >= 4:
        o = 4
    if c >= 7:
        o = 7
    return o


class Grid:
    def __init__(self):
        self.v = {(i, j): 0 for i in range(1, 10) for j in range(1, 10)}

    def copy(self):
        g = Grid()
        g.v = dict(self.v)
        return g


def may_hold(g, i, j, d):
    """The three placement tests and the emptiness check of a scan."""
    i0, j0 = origin(i), origin(j)
    for a in range(i0, i0 + 3):
        for b in range(j0, j0 + 3):
            if (a, b) != (i, j) and g.v[a, b] == d:
                return False
    for k in range(1, 10):
        if g.v[k, j] == d or g.v[i, k] == d:
            return False
    return g.v[i, j] == 0


def scan(g, cells):
    cand = {d: [] for d in range(1, 10)}
    for (i, j) in cells:
        for d in range(1, 10):
            if may_hold(g, i, j, d):
                cand[d].append((i, j))
    singles = [(d, cand[d][0]) for d in range(1, 10) if len(cand[d]) == 1]
    possible = int(any(cand[d] for d in range(1, 10)))
    return singles, possible


def units(kind):
    if kind == "box":
        return [[(i, j) for i in range(i0, i0 + 3) for j in range(j0, j0 + 3)]
                for i0 in (1, 4, 7) for j0 in (1, 4, 7)]
    if kind == "col":
        return [[(i, j) for j in range(1, 10)] for i in range(1, 10)]
    return [[(i, j) for i in range(1, 10)] for j in range(1, 10)]


class Solver:
    def __init__(self):
        self.flags = {"box": 0, "col": 0, "line": 0}

    def solve(self, g):
        counts = {k: [0] * 11 for k in ("box", "col", "line")}
        niter, nvides, progres, nremplies = 0, 81.0, 1, 0
        for b in range(1, 11):
            if nvides == 0.0 or progres == 0:
                continue
            niter = b
            for kind in ("box", "col", "line"):
                for p in range(1, 11):
                    if p != 1 and counts[kind][b] == 0:
                        continue
                    for unit in units(kind):
                        singles, possible = scan(g, unit)
                        self.flags[kind] = 0
                        for d, cell in singles:
                            g.v[cell] = d
                            counts[kind][b] += 1
                        if possible:
                            self.flags[kind] = 1
            nremplies = sum(1 for x in g.v.values() if x != 0)
            if counts["box"][b] == counts["col"][b] == counts["line"][b] == 0:
                progres = 0
            nvides = float(81 - nremplies)
        return niter, counts, nremplies


# ---------------------------------------------------------------- output


class Output:
    def __init__(self, interactive):
        self.interactive = interactive
        self.pending = False
        self.finished = False
        self.bytes = bytearray()

    def record(self, text):
        if text == "":
            text = " "
        c = text[0]
        assert c in " .", "this program's records start with a blank or a dot"
        if self.pending:
            self.bytes += b"\r\n"
        self.bytes += text[1:].encode("latin-1")
        self.pending = True

    def free_form(self, text):
        assert len(text) <= 78
        self.record(" " + text)

    def before_input(self):
        if self.interactive and self.pending:
            self.bytes += b"\r\n"

    def input_line_done(self):
        if self.interactive:
            self.pending = False

    def finish(self):
        if not self.finished:
            self.finished = True
            if self.pending:
                self.bytes += b"\r\n"


def field(v, w):
    t = str(v)
    return "*" * w if len(t) > w else t.rjust(w)


def tableau(out, g):
    rule = ".   " + "-" * 33
    header = ".    1  2  3      4  5  6      7  8  9 "
    for j in range(1, 10):
        if j in (4, 7):
            out.record("")
            out.record(rule)
            out.record("")
        if j == 1:
            out.record("")
            out.record(header)
            out.record("")
        row = field(j, 2) + " "
        row += "".join(field(g.v[i, j], 3) for i in (1, 2, 3)) + "  . "
        row += "".join(field(g.v[i, j], 3) for i in (4, 5, 6)) + "  . "
        row += "".join(field(g.v[i, j], 3) for i in (7, 8, 9))
        out.record(row)
        out.record("")


# ---------------------------------------------------------------- input


class FileSource:
    """A regular file or a pipe: each read returns up to n bytes."""

    def __init__(self, data):
        self.data, self.at = data, 0

    def read(self, n):
        chunk = self.data[self.at:self.at + n]
        self.at += len(chunk)
        return chunk


class ConsoleSource:
    """A terminal: each read returns (part of) one typed line, its line end
    delivered as CR LF; once the typed lines run out, a read returns nothing
    (end of input typed at the start of a line)."""

    def __init__(self, data):
        assert data == b"" or data.endswith(b"\n"), "typed lines end with Enter"
        self.lines = [l[:-1] + b"\r\n" for l in data.splitlines(keepends=True)]
        self.rest = b""

    def read(self, n):
        if not self.rest:
            if not self.lines:
                return b""
            self.rest = self.lines.pop(0)
        chunk, self.rest = self.rest[:n], self.rest[n:]
        return chunk


def to_int32(token):
    if token == b"-2147483648":
        return INT_MIN
    k, neg = 0, False
    if token[:1] in (b"+", b"-"):
        neg, k = token[:1] == b"-", 1
    v = 0
    while k < len(token):
        c = token[k]
        if 0x30 <= c <= 0x39:
            d = c - 0x30
            if v > 214748364 or v * 10 + d > INT_MAX:
                raise Fatal(6100)
            v = v * 10 + d
            k += 1
        elif c == 0x1A:
            break
        elif c == ord("#"):
            return based(v, token[k + 1:], neg)
        else:
            raise Fatal(6101)
    return -v if neg else v


def based(base, digits, neg):
    if base == 0:
        base = 16
    if not 2 <= base <= 36:
        raise Fatal(6303)
    limit = INT_MAX if base == 10 else 2**32 - 1
    v = 0
    for c in digits:
        ch = chr(c).lower()
        if ch == "#":
            raise Fatal(6302)
        if ch.isdigit() and c < 0x80:
            d = c - 0x30
        elif "a" <= ch <= "z":
            d = ord(ch) - ord("a") + 10
        else:
            raise Fatal(6101)
        if d >= base:
            raise Fatal(6101)
        v = v * base + d
        if v > limit:
            raise Fatal(6100)
    if neg:
        v = (-v) & 0xFFFFFFFF
    return v - 2**32 if v >= 2**31 else v


class Input:
    def __init__(self, source, console_input, out):
        self.src, self.console, self.out = source, console_input, out
        self.buf, self.pos, self.last = b"", 0, -1
        self.token = b""

    # line reads
    def fill(self):
        data = self.src.read(132)
        if len(data) == 0:
            raise Fatal(6501)
        if len(data) < 132 and data[-1] != LF:
            data += b"\n"
        elif len(data) == 132 and data[-1] != LF and self.console:
            raise Fatal(6407)
        if len(data) > 2 and data[-3] == 0x1A:
            raise Fatal(6501)
        self.buf, self.pos, self.last = data, 0, len(data) - 1

    def getc(self):
        if self.last < self.pos:
            self.fill()
        c = self.buf[self.pos]
        self.pos += 1
        return c

    def next_record(self):
        if self.console:
            if self.last == -1:
                self.fill()
            self.buf, self.pos, self.last = b"", 0, -1
        else:
            while self.getc() != LF:
                pass
        self.out.input_line_done()

    # statements
    def begin(self):
        pending = self.out.pending
        self.out.before_input()
        if self.out.interactive and pending:
            self.buf, self.pos, self.last = b"", 0, -1
        self.sep, self.repeat, self.by_line_end = ",", 0, False

    def value(self):
        """Returns the next value's text, or None for a null value."""
        if self.repeat != 0:
            self.repeat -= 1
            return self.token or None
        self.token, self.by_line_end = b"", False
        while True:
            c = self.getc()
            if c in (CR, LF):
                self.pos -= 1
                self.next_record()
                if not self.token and self.repeat == 0:
                    continue
                assert self.token, "a null repeat ended by a line end is not modelled"
                self.sep, self.by_line_end = " ", True
                break
            if c in (0x20, 0x09):
                if not self.token and self.repeat == 0:
                    continue
                self.sep = " "
                break
            if c == ord(","):
                if not self.token and self.sep == " " and self.repeat == 0:
                    self.sep = ","
                    continue
                self.sep = ","
                break
            if c == ord("/"):
                self.sep = "/"
                break
            if c == ord("*"):
                if self.repeat != 0:
                    raise Fatal(6503)
                count = to_int32(self.token)
                if count == 0:
                    raise Fatal(6502)
                self.repeat, self.token = count - 1, b""
                continue
            assert c not in b"'\"(", "quoted and parenthesised values are not modelled"
            self.token += bytes([c])
        return self.token or None

    def read_int(self, current):
        if self.sep == "/" and self.repeat == 0:
            return current
        text = self.value()
        return current if text is None else to_int32(text)

    def end(self):
        if not self.by_line_end:
            self.next_record()


# ---------------------------------------------------------------- dialogue


def wrap32(v):
    return (v + 2**31) % 2**32 - 2**31


class Program:
    def __init__(self, inp, out):
        self.inp, self.out = inp, out
        self.ncases, self.corriger, self.i, self.j, self.choix = 0, 0, 0, 0, 0
        self.solver = Solver()

    def read_one(self, current):
        self.inp.begin()
        v = self.inp.read_int(current)
        self.inp.end()
        return v

    def entree(self, saisie):
        out = self.out
        self.corriger = 1
        while self.corriger == 1:
            out.free_form("combien de cases voulez-vous rentrer ou modifier?")
            self.ncases = self.read_one(self.ncases)
            self.i = 1
            for _ in range(max(self.ncases, 0)):
                out.free_form("donnez i,j et la valeur")
                self.inp.begin()
                self.i = self.inp.read_int(self.i)
                self.j = self.inp.read_int(self.j)
                cell = (self.i, self.j)
                inside = 1 <= self.i <= 9 and 1 <= self.j <= 9
                current = saisie.v[cell] if inside else 0
                v = self.inp.read_int(current)
                if inside:
                    saisie.v[cell] = v
                self.inp.end()
                self.i = wrap32(self.i + 1)
            for _ in range(2):
                out.record("")
                out.record(" Vous avez entre le tableau suivant:")
                out.record("")
            tableau(out, saisie)
            out.record("")
            out.record("")
            out.free_form("entrez 0 si c'est bon, 1 si vous voulez corriger")
            self.corriger = self.read_one(self.corriger)

    def sudoku(self):
        out = self.out
        saisie = Grid()
        self.entree(saisie)
        grille = saisie.copy()
        encore = 1
        while encore == 1:
            niter, counts, nremplies = self.solver.solve(grille)
            if 81 - nremplies == 0:
                out.free_form("le sudoku est trouve")
                tableau(out, grille)
            else:
                out.free_form("pas de solution")
                if 1 in self.solver.flags.values():
                    out.free_form("trop de possibilite")
                else:
                    out.free_form("pas de possibilites")
            for e in range(1, niter + 1):
                out.record(" iteration:" + field(e, 2) + " on a trouve " +
                           field(counts["box"][e], 2) + "  carres, " +
                           field(counts["line"][e], 2) + " lignes et " +
                           field(counts["col"][e], 2) + " colonnes")
            out.free_form("tapez 1 pour finir, 2 pour rajouter ou modifier des points")
            self.choix = self.read_one(self.choix)
            if self.choix == 1:
                encore = 0
            elif self.choix == 2:
                self.entree(saisie)
            else:
                encore = 0
            grille = saisie.copy()


def report(number):
    return (b"\r\nrun-time error F%04d: READ(CON)\r\n- $(message)\r\n" % number)


def run(data, stdin, interactive):
    """One run of the program. stdin: 'file' (regular file or pipe), 'console'
    (a terminal) or 'null' (the null device)."""
    out = Output(interactive)
    if stdin == "file":
        source = FileSource(data)
    elif stdin == "console":
        source = ConsoleSource(data)
    else:
        assert data == b""
        source = FileSource(b"")
    inp = Input(source, stdin != "file", out)
    err, status = b"", 0
    try:
        Program(inp, out).sudoku()
    except Fatal as f:
        err, status = report(f.number), 1
    out.finish()
    return bytes(out.bytes), err, status


# ---------------------------------------------------------------- cases

# Arrangement: (standard input kind, interactive?)
ARRANGEMENTS = {
    "file_file": ("file", False),
    "file_pipe": ("file", False),
    "pipe_pipe": ("file", False),
    "file_pty": ("file", False),
    "pty_file": ("console", False),
    "pty_pty": ("console", True),
    "null_pty": ("null", True),
    "null_file": ("null", False),
}


def read_cases():
    cases = []
    with open(os.path.join(HERE, "cases")) as f:
        for line in f:
            line = line.split("#", 1)[0].split()
            if line:
                cases.append((line[0], line[1:]))
    return cases


def derive(name, arrangements):
    """The expected files of one case: {suffix: bytes}."""
    with open(os.path.join(HERE, name + ".in"), "rb") as f:
        data = f.read()
    files, runs = {}, {}
    for a in arrangements:
        if ARRANGEMENTS[a] not in runs:
            runs[ARRANGEMENTS[a]] = run(data, *ARRANGEMENTS[a])
        out, err, status = runs[ARRANGEMENTS[a]]
        interactive = ARRANGEMENTS[a][1]
        for suffix, content in ((".tty.out" if interactive else ".out", out),
                                (".err", err), (".status", b"%d\n" % status)):
            if files.setdefault(suffix, content) != content:
                sys.exit(f"{name}: {a} disagrees with an earlier arrangement on {suffix}")
    assert ".out" in files, f"{name}: no redirected arrangement"
    # The interactive output is kept apart only where it differs.
    if files.get(".tty.out") == files[".out"]:
        del files[".tty.out"]
    return files


def main():
    check = "--check" in sys.argv[1:]
    bad = 0
    for name, arrangements in read_cases():
        files = derive(name, arrangements)
        for suffix in (".out", ".tty.out", ".err", ".status"):
            path = os.path.join(HERE, name + suffix)
            content = files.get(suffix)
            if check:
                actual = open(path, "rb").read() if os.path.exists(path) else None
                if actual != content:
                    print(f"{path}: differs from the model")
                    bad += 1
            elif content is None:
                if os.path.exists(path):
                    os.remove(path)
            else:
                with open(path, "wb") as f:
                    f.write(content)
    sys.exit(1 if bad else 0)


if __name__ == "__main__":
    main()
