#!/usr/bin/env python3
"""Checks that the generated resources in the tree are what their generators write now: the
language tables src/resources/lang/*.txt (tools/lang_tables.py) and the check box bitmaps
src/resources/*.bmp (src/resources/make_check_bitmaps.py).

Each generator runs unchanged, as a copy placed in a temporary folder laid out like the source
tree, so it writes there and never over the committed files. Every file that differs, is
missing or is not written by its generator any more is named; the exit status is then 1.

    check_generated.py [SOURCE_ROOT]      (default: two folders above this script)
"""
import pathlib
import shutil
import subprocess
import sys
import tempfile

# generator, relative to the source root; the folder it writes; the files of that folder it
# owns (every other file there is the tree's own).
GENERATED = [
    ("tools/lang_tables.py", "src/resources/lang", "*.txt"),
    ("src/resources/make_check_bitmaps.py", "src/resources", "*.bmp"),
]
# Files the generators read: the resource numbers and the script that must name each table.
INPUTS = ["src/resources/resource_ids.h", "src/resources/LmProfInst.rc"]


def check(root, work):
    problems = []
    for name in INPUTS:
        (work / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(root / name, work / name)
    for script, folder, pattern in GENERATED:
        copy = work / script
        copy.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(root / script, copy)
        (work / folder).mkdir(parents=True, exist_ok=True)
        run = subprocess.run([sys.executable, str(copy)], capture_output=True, text=True)
        if run.returncode != 0:
            problems.append(f"{script} failed ({run.returncode}):\n{run.stderr}")
            continue
        written = {p.name: p for p in (work / folder).glob(pattern)}
        committed = {p.name: p for p in (root / folder).glob(pattern)}
        if not written:
            problems.append(f"{script} wrote no {pattern} into {folder}")
        for name in sorted(written.keys() - committed.keys()):
            problems.append(f"{folder}/{name}: written by {script}, not in the tree")
        for name in sorted(committed.keys() - written.keys()):
            problems.append(f"{folder}/{name}: in the tree, not written by {script}")
        for name in sorted(written.keys() & committed.keys()):
            new, old = written[name].read_bytes(), committed[name].read_bytes()
            if new != old:
                at = next((i for i, (a, b) in enumerate(zip(new, old)) if a != b), min(len(new), len(old)))
                problems.append(f"{folder}/{name}: differs from what {script} writes "
                                f"(first at byte {at}; {len(old)} bytes in the tree, {len(new)} written)")
        print(f"{script}: {len(written)} files compared with {folder}/{pattern}")
    return problems


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2]).resolve()
    with tempfile.TemporaryDirectory(prefix="lmprof-generated-") as tmp:
        problems = check(root, pathlib.Path(tmp))
    for problem in problems:
        print(problem)
    if problems:
        print("run the generator and commit what it writes, or change the generator")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
