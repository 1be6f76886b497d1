#!/usr/bin/env python3
"""Applies each deliberate fault of a list, one at a time, to a scratch checkout, builds it and runs
the test suite; a fault is caught when a test fails. The developer's own tree is never touched.
Usage:
  tests/mutation/run.py                     # faults.py against HEAD, about half an hour
  tests/mutation/run.py --only 3,17         # some faults, by their number
  tests/mutation/run.py --faults F --rev R  # another list, for another revision
Prints a line a fault and the count caught; exits 1 when a fault is missed or its text is gone."""
import argparse, importlib.util, os, subprocess, sys, time

here = os.path.dirname(os.path.abspath(__file__))


def run(command):
    return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT).returncode == 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--faults", default=os.path.join(here, "faults.py"))
    parser.add_argument("--rev", default="HEAD")
    parser.add_argument("--work", default="/tmp/roteka-mutation", help="scratch folder")
    parser.add_argument("--only", help="fault numbers, comma-separated")
    args = parser.parse_args()
    location = importlib.util.spec_from_file_location("faults", args.faults)
    faults = importlib.util.module_from_spec(location)
    location.loader.exec_module(faults)
    chosen = [int(n) for n in args.only.split(",")] if args.only else range(1, len(faults.FAULTS) + 1)
    if any(not 1 <= n <= len(faults.FAULTS) for n in chosen):
        sys.exit(f"--only takes fault numbers from 1 to {len(faults.FAULTS)}")

    repo = subprocess.check_output(["git", "rev-parse", "--show-toplevel"], cwd=here, text=True).strip()
    commit = subprocess.check_output(["git", "-C", repo, "rev-parse", "--short", args.rev], text=True).strip()
    tree = os.path.join(args.work, commit)
    build = tree + "-build"
    if not os.path.isdir(tree):
        os.makedirs(args.work, exist_ok=True)
        subprocess.check_call(["git", "-C", repo, "worktree", "add", "--detach", tree, commit])
    os.environ["QT_QPA_PLATFORM"] = "offscreen"
    jobs = str(os.cpu_count() or 2)
    make = ["cmake", "--build", build, "-j", jobs]
    test = ["ctest", "--test-dir", build, "-j", jobs, "--timeout", "300"]
    if not (run(["cmake", "-S", tree, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                 "-DROTEKA_BUILD_BENCH=OFF"]) and run(make) and run(test)):
        sys.exit(f"{commit} does not build or pass its tests unchanged")

    missed = stale = 0
    for number in chosen:
        name, path, old, new = faults.FAULTS[number - 1]
        file = os.path.join(tree, path)
        original = open(file, encoding="utf-8").read()
        if original.count(old) != 1:
            print(f"{number:3} STALE   {name} ({path}: the text is not there once)", flush=True)
            stale += 1
            continue
        start = time.time()
        try:
            with open(file, "w", encoding="utf-8") as out:
                out.write(original.replace(old, new))
            if not run(make):
                verdict, stale = "NOBUILD", stale + 1
            elif run(test + ["--stop-on-failure"]):  # the first failing test settles it
                verdict, missed = "MISSED", missed + 1
            else:
                verdict = "caught"
        finally:
            with open(file, "w", encoding="utf-8") as out:
                out.write(original)
        print(f"{number:3} {verdict:7} {name} ({time.time() - start:.0f} s)", flush=True)
    print(f"{commit}: {len(chosen) - missed - stale} of {len(chosen)} faults caught, "
          f"{missed} missed, {stale} stale or not building")
    run(make)
    sys.exit(1 if missed or stale else 0)


if __name__ == "__main__":
    main()
