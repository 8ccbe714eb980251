#!/usr/bin/env bash
# Writes docs/changes.md: every place marked "// changed:" (a behaviour deliberately made sound,
# see HACKING.md), by file, each with the first sentence of its comment.
# Usage: scripts/changes.sh            rewrites docs/changes.md
#        scripts/changes.sh --check    fails when docs/changes.md is not what it would write
set -euo pipefail
cd "$(dirname "$0")/.."

list() {
  echo "# Changed behaviour"
  echo
  echo "Every place where this program or its library deliberately behaves differently from the"
  echo "behaviour it replaces, because that behaviour was a fault (a crash, lost data, a wrong"
  echo "result, unsafe input handling). Each is marked \`// changed:\` in the code with the full"
  echo "reason; this list is made by \`scripts/changes.sh\` and checked by the test"
  echo "\`docs_changes_current\`."
  find archive demo graphics platform tools tests bench examples assets \
    -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.js' -o -name '*.mjs' \) -print |
    LC_ALL=C sort |
    while IFS= read -r file; do
      # the marker and the comment lines that continue it, joined; then its first sentence
      awk -v file="$file" '
        function flush() {
          if (text == "") return
          sentence = text
          if (match(sentence, /\. /)) sentence = substr(sentence, 1, RSTART)
          if (!printed) { printf "\n## %s\n\n", file; printed = 1 }
          printf "- %s\n", sentence
          text = ""
        }
        {
          if (match($0, /\/\/ changed: /)) {
            flush()
            text = substr($0, RSTART + RLENGTH)
            continuing = ($0 ~ /^[ \t]*\/\/ changed: /)
            next
          }
          if (text != "" && continuing && $0 ~ /^[ \t]*\/\/ /) {
            line = $0
            sub(/^[ \t]*\/\/ /, "", line)
            text = text " " line
            next
          }
          flush()
          continuing = 0
        }
        END { flush() }' "$file"
    done
}

if [ "${1:-}" = --check ]; then
  if ! diff -u docs/changes.md <(list) >/dev/null 2>&1; then
    diff -u docs/changes.md <(list) || true
    echo "docs/changes.md is stale: run scripts/changes.sh" >&2
    exit 1
  fi
  echo "docs/changes.md lists every '// changed:' place"
else
  list >docs/changes.md
fi
