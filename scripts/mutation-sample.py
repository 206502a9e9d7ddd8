#!/usr/bin/env python3
"""Measures what the tests catch: a deterministic sample of source mutants.

Each mutant changes one spot of the portable core (swapped arithmetic or
comparison operator, a constant off by one, a negated condition, a removed
statement, a changed shift), is built incrementally in a scratch copy of the
tree and run against the native tests. A mutant that does not compile (the
build uses -Werror) is not counted. Prints every surviving mutant and
`killed N of M`; with --report the results are also written as JSON, which
--only-survivors-of reads back to rerun just the survivors after a change to
the tests, or --replay to run the same mutants again after the tests changed
while the sampled code did not (a mutant whose line changed is reported stale).
--tests DIR builds the scratch tree with another tests/ directory (say, an older
revision's, to see which survivors it killed); --lock FILE holds that flock around
each mutant's build and test run, so other builds on a shared machine take turns
with it.

usage: scripts/mutation-sample.py [--seed N] [--count N] [--source DIR ...]
                                  [--scratch DIR] [--report FILE] [--tests DIR]
                                  [--lock FILE]
                                  [--only-survivors-of FILE | --replay FILE]
"""
import argparse
import contextlib
import fcntl
import json
import random
import re
import shutil
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

COMPARISON_SWAP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
ARITHMETIC_SWAP = {"+": "-", "-": "+", "*": "/", "/": "*"}


def code_of(line):
    """The line with comments and string/char literals blanked, same length."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)[: len(line)]


def closing_paren(code, open_index):
    depth = 0
    for i in range(open_index, len(code)):
        if code[i] == "(":
            depth += 1
        elif code[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def mutations_of(line, previous):
    """(operator, before, after) for every mutation of one source line."""
    stripped = line.strip()
    if not stripped or stripped.startswith(("#", "static_assert", "/*", "*")):
        return []
    code = code_of(line)
    found = []

    def replaced(start, end, text):
        return line[:start] + text + line[end:]

    for m in re.finditer(r"(?<= )(<=|>=|==|!=|<|>)(?= )", code):
        found.append(("comparison", replaced(m.start(), m.end(), COMPARISON_SWAP[m.group(1)])))
    for m in re.finditer(r"(?<= )([-+*/])(?= )", code):
        found.append(("arithmetic", replaced(m.start(), m.end(), ARITHMETIC_SWAP[m.group(1)])))
    for m in re.finditer(r"(?<= )(<<|>>)=? (\d+)\b", code):
        number = m.start(2)
        found.append(("shift", replaced(number, m.end(2), str(int(m.group(2)) + 1))))
    for m in re.finditer(r"(?<![\w.'])(\d+)(?![\w.'])", code):
        if code[max(0, m.start() - 3) : m.start()].rstrip().endswith(("<<", ">>")):
            continue  # the shift operator covers these
        found.append(("constant", replaced(m.start(), m.end(), str(int(m.group(1)) + 1))))
    for m in re.finditer(r"\b(if|while) \(", code):
        open_index = m.end() - 1
        close = closing_paren(code, open_index)
        if close > 0:
            condition = line[open_index + 1 : close]
            found.append(("negation", replaced(open_index + 1, close, "!(" + condition + ")")))
    ends_statement = previous.rstrip().endswith((";", "{", "}", ":")) or not previous.strip()
    if (
        code.rstrip().endswith(";")
        and "{" not in code
        and "}" not in code
        and ends_statement
        and re.search(r"[(=]|\+\+|--|\b(break|continue)\b", code)
        and not re.match(r"\s*(return|using|namespace|template|typedef|case|default|const|constexpr|auto|static)\b",
                         code)
    ):
        indent = line[: len(line) - len(line.lstrip())]
        found.append(("removal", indent + ";"))
    return [(op, line, after) for op, after in found if after != line]


def all_mutants(sources):
    mutants = []
    for directory in sources:
        for path in sorted((ROOT / directory).rglob("*.cpp")):
            rel = str(path.relative_to(ROOT))
            lines = path.read_text().split("\n")
            in_block_comment = False
            for number, line in enumerate(lines, 1):
                if "/*" in line and "*/" not in line:
                    in_block_comment = True
                if in_block_comment:
                    in_block_comment = "*/" not in line
                    continue
                previous = lines[number - 2] if number > 1 else ""
                for op, before, after in mutations_of(line, previous):
                    mutants.append({"file": rel, "line": number, "operator": op, "before": before, "after": after})
    return mutants


def run(command, cwd, timeout=None):
    try:
        return subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout).returncode == 0
    except subprocess.TimeoutExpired:
        return False


@contextlib.contextmanager
def held(lock):
    """flock(2) on the file for the duration, the same lock flock(1) takes."""
    if not lock:
        yield
        return
    with open(lock, "a") as file:
        fcntl.flock(file, fcntl.LOCK_EX)
        try:
            yield
        finally:
            fcntl.flock(file, fcntl.LOCK_UN)


def prepare_scratch(scratch, tests, lock):
    source = scratch / "src"
    if source.exists():
        shutil.rmtree(source)
    # Fresh modification times: the build directory may hold objects of a mutant
    # that an interrupted run compiled, newer than the sources' own times.
    shutil.copytree(ROOT, source, ignore=shutil.ignore_patterns("build", "out", ".git"), copy_function=shutil.copy)
    if tests:
        shutil.rmtree(source / "tests")
        shutil.copytree(tests, source / "tests", copy_function=shutil.copy)
    build = scratch / "build"
    if not (build / "build.ninja").exists():
        with held(lock):
            configured = run(["cmake", "-S", str(source), "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                              "-DTL_WERROR=ON"], cwd=scratch)
        if not configured:
            sys.exit("mutation-sample: the scratch tree does not configure")
    return source, build


def test_mutant(mutant, source, build, args):
    path = source / mutant["file"]
    original = path.read_text()
    lines = original.split("\n")
    if len(lines) < mutant["line"] or lines[mutant["line"] - 1] != mutant["before"]:
        return "stale"
    lines[mutant["line"] - 1] = mutant["after"]
    path.write_text("\n".join(lines))
    try:
        with held(args.lock):
            if not run(["ninja", "-C", str(build), "-j", str(args.jobs)], cwd=build):
                return "not built"
            passed = run(["ctest", "--test-dir", str(build), "-j", str(args.jobs), "--stop-on-failure",
                          "--timeout", str(args.timeout), "-E", args.exclude], cwd=build, timeout=args.timeout * 20)
        return "survived" if passed else "killed"
    finally:
        path.write_text(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--count", type=int, default=80)
    parser.add_argument("--source", nargs="+", default=["engine", "convert"])
    parser.add_argument("--scratch", type=Path, default=ROOT / "build" / "mutation")
    parser.add_argument("--report", type=Path)
    parser.add_argument("--only-survivors-of", type=Path)
    parser.add_argument("--replay", type=Path)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=120, help="seconds per test")
    parser.add_argument("--exclude", default="DecoderStress", help="ctest -E regex of tests left out")
    parser.add_argument("--tests", type=Path, help="a tests/ directory to build in place of this tree's")
    parser.add_argument("--lock", type=Path, help="a file to flock around each build and test run")
    args = parser.parse_args()
    args.scratch = args.scratch.resolve()  # the build steps run with the scratch directory as their own
    if args.count < 1:
        parser.error("--count must be at least 1")

    if args.only_survivors_of:
        previous = json.loads(args.only_survivors_of.read_text())
        sample = [m for m in previous["mutants"] if m["result"] == "survived"]
    elif args.replay:
        sample = json.loads(args.replay.read_text())["mutants"]
    else:
        population = all_mutants(args.source)
        if not population:
            parser.error("no mutation sites under " + " ".join(args.source))
        sample = random.Random(args.seed).sample(population, min(args.count, len(population)))

    args.scratch.mkdir(parents=True, exist_ok=True)
    source, build = prepare_scratch(args.scratch, args.tests, args.lock)
    with held(args.lock):
        if not run(["ninja", "-C", str(build), "-j", str(args.jobs)], cwd=build):
            sys.exit("mutation-sample: the unmutated tree does not build")

    for index, mutant in enumerate(sample, 1):
        mutant["result"] = test_mutant(mutant, source, build, args)
        print(f"[{index}/{len(sample)}] {mutant['result']:9} {mutant['file']}:{mutant['line']} {mutant['operator']}",
              flush=True)
    with held(args.lock):
        run(["ninja", "-C", str(build), "-j", str(args.jobs)], cwd=build)

    counted = [m for m in sample if m["result"] in ("killed", "survived")]
    survivors = [m for m in counted if m["result"] == "survived"]
    for m in survivors:
        print(f"survived {m['file']}:{m['line']} ({m['operator']})\n  - {m['before'].strip()}\n  + {m['after'].strip()}")
    killed = len(counted) - len(survivors)
    stale = sum(m["result"] == "stale" for m in sample)
    print(f"killed {killed} of {len(counted)} ({len(sample) - len(counted) - stale} did not compile, {stale} stale)")
    if args.report:
        args.report.write_text(json.dumps({"seed": args.seed, "mutants": sample}, indent=1))


if __name__ == "__main__":
    main()
