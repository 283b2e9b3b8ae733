#!/bin/sh
# Checks that every C++ source of the project is laid out as .clang-format says; prints the
# places that differ and exits 1. tools/check-format.sh --fix rewrites them instead.
# The generated code-page tables are left as their generators write them.
set -e
cd "$(dirname "$0")/.."
files="$(git ls-files '*.cpp' '*.h' | grep -v '_table\.\(cpp\|h\)$')"
if [ "${1:-}" = --fix ]; then
    echo "$files" | xargs clang-format -i
else
    echo "$files" | xargs clang-format --dry-run --Werror && echo "format: $(echo "$files" | wc -l) files as .clang-format says"
fi
