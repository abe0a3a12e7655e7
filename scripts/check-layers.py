#!/usr/bin/env python3
"""Fails when a source includes a header of an area it does not link.

Usage: check-layers.py SRC_DIR AREA=USED,USED ... (the areas from the bottom up, as
cmake/PelkoAreas.cmake lists them). Prints one line per fault, "path:line: what", and exits 1
when there is any.
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"]([A-Za-z_]+)/[^>"]*[>"])')


def parse_areas(area_args):
    order, uses = [], {}
    for arg in area_args:
        name, _, listed = arg.partition("=")
        order.append(name)
        uses[name] = [u for u in listed.split(",") if u]
    return order, uses


def check(src, area_args):
    order, uses = parse_areas(area_args)
    rank = {name: i for i, name in enumerate(order)}
    faults = []
    for area in order:
        for used in uses[area]:
            if used not in rank:
                faults.append(f"cmake/PelkoAreas.cmake: {area} uses {used}, which is no area")
            elif rank[used] >= rank[area]:
                faults.append(f"cmake/PelkoAreas.cmake: {area} uses {used}, which is above it")

    for area in order:
        folder = src / area
        files = sorted(p for p in folder.rglob("*") if p.suffix in (".h", ".cpp")) \
            if folder.is_dir() else []
        included = set()
        for path in files:
            shown = path.relative_to(src.parent)
            lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
            for number, line in enumerate(lines, 1):
                match = INCLUDE.match(line)
                if not match or match.group(2) not in rank or match.group(2) == area:
                    continue
                other = match.group(2)
                included.add(other)
                if other in uses[area]:
                    continue
                if rank[other] > rank[area]:
                    why = f"{other} is above {area}"
                else:
                    why = f"{area} does not list {other} in cmake/PelkoAreas.cmake"
                faults.append(f"{shown}:{number}: includes {match.group(1)}, but {why}")
        if files:
            for used in uses[area]:
                if used not in included:
                    faults.append(f"cmake/PelkoAreas.cmake: {area} links {used}, "
                                  f"but no file of src/{area} includes it")

    return faults


def self_test():
    """Plants faults in a small tree and expects each one named with its file and line."""
    import tempfile
    area_args = ["low=", "mid=low", "high=mid"]
    with tempfile.TemporaryDirectory() as root:
        src = pathlib.Path(root) / "src"
        for area, text in {
            "low": '#include "low/A.h"\n\n#include "high/C.h"\n',
            "mid": '#include <QString>\n#include "low/A.h"\n',
            "high": '#include "mid/B.h"\n  #  include "low/A.h"\n',
            "spare": "int spare;\n",
        }.items():
            (src / area / "sub").mkdir(parents=True)
            (src / area / "sub" / "X.cpp").write_text(text)
        expected = [
            "src/low/sub/X.cpp:3: includes \"high/C.h\", but high is above low",
            "src/high/sub/X.cpp:2: includes \"low/A.h\", "
            "but high does not list low in cmake/PelkoAreas.cmake",
        ]
        got = check(src, area_args)
        listed = check(src, ["low=mid", "mid=", "high=mid,low", "spare=low"])
        expected_listed = [
            "cmake/PelkoAreas.cmake: low uses mid, which is above it",
            "src/low/sub/X.cpp:3: includes \"high/C.h\", but high is above low",
            "cmake/PelkoAreas.cmake: low links mid, but no file of src/low includes it",
            "src/mid/sub/X.cpp:2: includes \"low/A.h\", "
            "but mid does not list low in cmake/PelkoAreas.cmake",
            "cmake/PelkoAreas.cmake: spare links low, but no file of src/spare includes it",
        ]
    if got != expected or listed != expected_listed:
        print("check-layers self-test failed:", *got, *listed, sep="\n")
        return 1
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    faults = check(pathlib.Path(argv[1]), argv[2:])
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
