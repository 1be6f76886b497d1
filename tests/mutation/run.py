#!/usr/bin/env python3
"""Applies each deliberate fault of faults.py, one at a time, to a scratch checkout, builds it and
runs the test suite; a fault is caught when a test fails. The developer's own tree is never
touched. Usage:
  tests/mutation/run.py --side after              # today's code (a checkout of HEAD)
  tests/mutation/run.py --side before             # the code at a9f7c61, before the move
  tests/mutation/run.py --side after --only 3,17  # some faults, by their number
Prints a line a fault and the count caught; exits 1 when any fault is missed or stale."""
import argparse, os, subprocess, sys, time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
from faults import FAULTS  # noqa: E402

REVISIONS = {"before": "a9f7c61", "after": "HEAD"}


def run(command, cwd, quiet=True):
    return subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL if quiet else None,
                          stderr=subprocess.STDOUT if quiet else None).returncode == 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--side", choices=REVISIONS, required=True)
    parser.add_argument("--work", default="/tmp/roteka-mutation", help="scratch folder")
    parser.add_argument("--only", help="fault numbers, comma-separated")
    args = parser.parse_args()
    repo = subprocess.check_output(["git", "rev-parse", "--show-toplevel"], cwd=here, text=True).strip()
    tree = os.path.join(args.work, args.side)
    build = tree + "-build"
    if not os.path.isdir(tree):
        os.makedirs(args.work, exist_ok=True)
        subprocess.check_call(["git", "-C", repo, "worktree", "add", "--detach", tree, REVISIONS[args.side]])
    os.environ["QT_QPA_PLATFORM"] = "offscreen"
    jobs = str(os.cpu_count() or 2)
    if not (run(["cmake", "-S", tree, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                 "-DROTEKA_BUILD_BENCH=OFF"], tree)
            and run(["cmake", "--build", build, "-j", jobs], tree)
            and run(["ctest", "--test-dir", build, "-j", jobs], tree)):
        sys.exit("the unchanged tree does not build or pass its tests")

    chosen = [int(n) for n in args.only.split(",")] if args.only else range(1, len(FAULTS) + 1)
    missed = stale = 0
    for number in chosen:
        fault = FAULTS[number - 1]
        if fault[args.side] is None:
            continue
        path, old, new = fault[args.side]
        file = os.path.join(tree, path)
        original = open(file, encoding="utf-8").read()
        if original.count(old) != 1:
            print(f"{number:3} STALE   {fault['name']} ({path}: the text is not there once)")
            stale += 1
            continue
        start = time.time()
        try:
            with open(file, "w", encoding="utf-8") as out:
                out.write(original.replace(old, new))
            if not run(["cmake", "--build", build, "-j", jobs], tree):
                verdict = "NOBUILD"
                stale += 1
            elif run(["ctest", "--test-dir", build, "-j", jobs, "--timeout", "300"], tree):
                verdict = "MISSED"
                missed += 1
            else:
                verdict = "caught"
        finally:
            with open(file, "w", encoding="utf-8") as out:
                out.write(original)
        print(f"{number:3} {verdict:7} {fault['name']} ({time.time() - start:.0f} s)", flush=True)
    total = len([n for n in chosen if FAULTS[n - 1][args.side] is not None])
    print(f"{args.side}: {total - missed - stale} of {total} faults caught, {missed} missed, {stale} stale")
    run(["cmake", "--build", build, "-j", jobs], tree)
    sys.exit(1 if missed or stale else 0)


if __name__ == "__main__":
    main()
