#!/usr/bin/env python3
"""Fails when a Markdown file lost its title or holds a code formatter's damage.

Usage: check-docs.py PATH... | --self-test, each PATH a Markdown file or a folder whose Markdown
files (at any depth) are checked. Prints one line per fault, "path:line: what", and
exits 1 when there is any. A C++ formatter run over Markdown leaves marks no writer makes: a
title without its space ("#Architecture"), paths spaced as arithmetic ("`scripts / check -
layers.py`", "`./ test`"), sentences run together ("cycle.The"), text pulled onto a code fence's
line, and table rows split over lines or joined into one.
"""
import pathlib
import re
import sys

TITLE = re.compile(r"^# \S")
HEADING_WITHOUT_SPACE = re.compile(r"^#{1,6}[^#\s]")
FENCE = re.compile(r"^\s*```")
FENCE_OPENING = re.compile(r"^\s*```[\w+-]*\s*$")
CODE_SPAN = re.compile(r"`([^`\n]+)`")
# In a code span: a slash with a space on one side (a path or command spaced as division), or a
# hyphen spaced inside a file name.
SPACED_PATH = re.compile(r"\w /(?: |`|$)|(?:^|\.|\w)/ \w|\w - \w[\w.]*\.\w+")
RUN_TOGETHER = re.compile(r"[a-z]{2}[.;:][A-Z][a-z]")
TABLE_SEPARATOR_DAMAGE = re.compile(r"\|\s*-+ -+")


def outside_code_spans(line):
    return CODE_SPAN.sub("``", line)


def check_text(shown, text):
    faults = []
    lines = text.splitlines()
    first = next((line for line in lines if line.strip()), "")
    if not TITLE.match(first):
        faults.append(f"{shown}:1: no first-level title (\"# Title\") at the top")
    in_fence = False
    for number, line in enumerate(lines, 1):
        if FENCE.match(line):
            if not in_fence and not FENCE_OPENING.match(line):
                faults.append(f"{shown}:{number}: text on a code fence's line")
            in_fence = not in_fence
            continue
        if in_fence:
            continue
        if HEADING_WITHOUT_SPACE.match(line):
            faults.append(f"{shown}:{number}: a heading without a space after its #")
        for span in CODE_SPAN.findall(line):
            if SPACED_PATH.search(span):
                faults.append(f"{shown}:{number}: a path spaced as code: `{span}`")
        prose = outside_code_spans(line)
        match = RUN_TOGETHER.search(prose)
        if match:
            faults.append(f"{shown}:{number}: sentences run together: \"{match.group(0)}\"")
        if line.startswith("|") and not line.rstrip().endswith("|"):
            faults.append(f"{shown}:{number}: a table row split over lines")
        if TABLE_SEPARATOR_DAMAGE.search(line):
            faults.append(f"{shown}:{number}: table rows joined into one line")
    if in_fence:
        faults.append(f"{shown}:{len(lines)}: a code fence left open")
    return faults


def check(paths):
    faults = []
    for given in paths:
        files = sorted(given.rglob("*.md")) if given.is_dir() else [given]
        for path in files:
            shown = path.relative_to(given.parent)
            faults += check_text(shown, path.read_text(encoding="utf-8", errors="replace"))
    return faults


SOUND = """# Architecture

Each folder of `src/` is one library; `./test` runs `scripts/check-layers.py`, and
`cmake/PelkoAreas.cmake` lists the areas (sigma = radius / 2, e.g. this). See `a-b.md`.

```
shell ──────────────► foldercompare, textcompare
```

| folder | holds |
|---|---|
| `src/platform/` | the guard (`Guard.h`) |
"""

# The damage the formatter did, line for line as it left it.
DAMAGED = """#Architecture

include;
an area links exactly those,
    so the link line of an area names only what it includes and the graph has no cycle.The

``` shell ──────────────► foldercompare,
textcompare
```

    The shared geometry types live in graphics,
below pathops and layers. `./ test` runs
`scripts / check - layers.py` (CTest test `layers`)
`cmake / PelkoAreas.cmake`;

        | folder | holds | | -- - | -- - | | `src / platform /` | the exception guard(`Guard.h`) and
| `src/compare/` | the line compare, image and binary file tests;
"""


def self_test():
    """The sound text passes; every kind of damage in the damaged one is named."""
    got = check_text("ok.md", SOUND)
    damaged = check_text("bad.md", DAMAGED)
    expected = [
        "bad.md:1: no first-level title (\"# Title\") at the top",
        "bad.md:1: a heading without a space after its #",
        "bad.md:5: sentences run together: \"le.Th\"",
        "bad.md:7: text on a code fence's line",
        "bad.md:12: a path spaced as code: `./ test`",
        "bad.md:13: a path spaced as code: `scripts / check - layers.py`",
        "bad.md:14: a path spaced as code: `cmake / PelkoAreas.cmake`",
        "bad.md:16: a path spaced as code: `src / platform /`",
        "bad.md:16: table rows joined into one line",
        "bad.md:17: a table row split over lines",
    ]
    if got or damaged != expected:
        print("check-docs self-test failed:", *got, *damaged, sep="\n")
        return 1
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    paths = [pathlib.Path(arg) for arg in argv[1:]]
    if not paths:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    for path in paths:
        if not path.exists():
            print(f"{path}: not found", file=sys.stderr)
            return 2
    faults = check(paths)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
