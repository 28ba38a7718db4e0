#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over our sources with build/compile_commands.json.
# Not part of ./test. Exits non-zero when it reports anything.
#   scripts/tidy.sh                 every source of ours
#   scripts/tidy.sh serial/ sms/    only files under these folders
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/compile_commands.json ] || scripts/build.sh
tidy=$(command -v clang-tidy || command -v clang-tidy-14) || { echo "clang-tidy is not installed (scripts/deps.sh)" >&2; exit 1; }
folders=("$@")
[ ${#folders[@]} -gt 0 ] || folders=(app config fuzz info numbers serial sms text tools tests bench)
root=$PWD
# Our .cpp files that the builds compile (generated moc and resource files left out), each with
# the build tree that compiles it: build/ for everything, build-fuzz/ (when configured) for fuzz/.
mapfile -t files < <(python3 - "$root" "${folders[@]}" <<'PY'
import json, os, sys
root, folders = sys.argv[1], [f.rstrip('/') + '/' for f in sys.argv[2:]]
seen = set()
for tree in ('build', 'build-fuzz'):
    db = os.path.join(root, tree, 'compile_commands.json')
    if not os.path.exists(db):
        continue
    for entry in json.load(open(db)):
        path = os.path.relpath(os.path.join(entry['directory'], entry['file']), root)
        if path.endswith('.cpp') and '_autogen' not in path and path.startswith(tuple(folders)) and path not in seen:
            seen.add(path)
            print(tree + ' ' + path)
PY
)
[ ${#files[@]} -gt 0 ] || { echo "no sources under: ${folders[*]}" >&2; exit 1; }
log=build/tidy.log
: >"$log"
printf '%s\n' "${files[@]}" | xargs -P"$(nproc)" -L1 sh -c '"$0" -p "$1" --quiet "$2" 2>/dev/null' "$tidy" >>"$log" || true
# A finding in a header shows once per file that includes it: count each once.
grep -E '(warning|error): ' "$log" | sort -u >build/tidy-findings.txt || true
cat build/tidy-findings.txt
warnings=$(wc -l <build/tidy-findings.txt)
echo "clang-tidy: ${#files[@]} files, $warnings findings (full output in $log)"
[ "$warnings" -eq 0 ]
