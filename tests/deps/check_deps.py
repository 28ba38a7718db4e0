#!/usr/bin/env python3
"""Keeps scripts/deps.sh honest against the CMake files.

Every find_package / pkg_check_modules of the project is read. A REQUIRED find outside tests/,
bench/ and fuzz/ stops the configure of ./run when its package is missing, so that package must
be in the run-time set; every other find (the tests', the benchmarks', the fuzzers', and the
optional ones that switch those parts on) needs its package in the run-time or the test set.
cmake/debian-packages.txt names each package; where the package is installed, the file it
names must be among the package's files. Prints every fault and exits 1 on any.

    tests/deps/check_deps.py [project root]
"""
import os
import re
import subprocess
import sys

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../.."))
TEST_ONLY_FOLDERS = ("tests", "bench", "fuzz")
FIND_KEYWORDS = {"REQUIRED", "QUIET", "COMPONENTS", "OPTIONAL_COMPONENTS", "CONFIG", "MODULE",
                 "NO_MODULE", "EXACT", "GLOBAL", "NO_POLICY_SCOPE", "IMPORTED_TARGET", "NO_CMAKE_PATH",
                 "NO_CMAKE_ENVIRONMENT_PATH"}


def cmake_files():
    for top, dirs, files in os.walk(ROOT):
        dirs[:] = [d for d in dirs if not d.startswith((".", "build"))]
        for f in files:
            if f == "CMakeLists.txt" or f.endswith(".cmake"):
                yield os.path.join(top, f)


def strip_comments(text):
    return "\n".join(line.split("#", 1)[0] for line in text.splitlines())


def finds(path):
    """(name, required) for each thing the file finds."""
    text = strip_comments(open(path, encoding="utf-8").read())
    for call, args in re.findall(r"\b(find_package|pkg_check_modules|pkg_search_module)\s*\(([^)]*)\)", text, re.I):
        words = args.split()
        required = "REQUIRED" in words
        if call.lower() == "find_package":
            name, rest = words[0], [w for w in words[1:] if w not in FIND_KEYWORDS and not re.match(r"^[\d.]+$", w)]
            if name == "Qt6":
                for component in rest:
                    yield f"Qt6::{component}", required
            else:
                yield name, required
        else:  # the first word names the variables, the rest are modules (maybe with versions)
            for module in words[1:]:
                if module not in FIND_KEYWORDS:
                    yield "pkg:" + re.split(r"[<>=]", module)[0], required


def package_set(which):
    out = subprocess.run([os.path.join(ROOT, "scripts/deps.sh"), "--list", which],
                         check=True, capture_output=True, text=True).stdout
    return set(out.split())


def table():
    entries = {}
    with open(os.path.join(ROOT, "cmake/debian-packages.txt"), encoding="utf-8") as f:
        for line in f:
            words = line.split("#", 1)[0].split()
            if words:
                entries[words[0]] = (words[1], words[2])
    return entries


def installed_files(package):
    listing = subprocess.run(["dpkg-query", "-L", package], capture_output=True, text=True)
    return listing.stdout.splitlines() if listing.returncode == 0 else None


def main():
    run_set, test_set = package_set("run"), package_set("test")
    packages = table()
    faults = []
    run_needs = set()
    test_needs = set()
    for path in sorted(cmake_files()):
        where = os.path.relpath(path, ROOT)
        for name, required in finds(path):
            if name not in packages:
                faults.append(f"{where}: {name} has no Debian package in cmake/debian-packages.txt")
                continue
            package = packages[name][0]
            if required and where.split(os.sep)[0] not in TEST_ONLY_FOLDERS:
                run_needs.add(package)
                if package not in run_set:
                    faults.append(f"{where}: {name} is needed to build the program, but {package} "
                                  "is not in the run-time set of scripts/deps.sh")
            else:
                test_needs.add(package)
                if package not in run_set | test_set:
                    faults.append(f"{where}: {name} is needed by the tests, but {package} "
                                  "is in neither set of scripts/deps.sh")
    for package in sorted((test_needs - run_needs) & run_set):
        faults.append(f"{package} is needed only by the tests, benchmarks or fuzzing: "
                      "move it to the test set of scripts/deps.sh")
    for name, (package, evidence) in sorted(packages.items()):
        files = installed_files(package) if evidence != "-" else None
        if files is not None and not any(f.endswith(evidence) for f in files):
            faults.append(f"cmake/debian-packages.txt: {package} has no file ending in {evidence} for {name}")
    for fault in faults:
        print(fault)
    if not faults:
        print(f"run-time set covers {len(run_needs)} packages the program needs, "
              f"the test set the {len(test_needs - run_needs)} more the tests need")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
