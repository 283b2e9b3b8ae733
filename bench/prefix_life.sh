#!/bin/bash
# What one scenario's prefix costs before its program does anything: made from the base,
# started by one program, its server ended, removed. Two ways side by side, in turn:
#   copied   a copy of the base with every service Wine starts by default (the old way)
#   overlay  the base through an overlay, the unused services left to start on demand
# Prints each way's median wall and processor seconds per life, and their ratio.
# Usage: bench/prefix_life.sh [LIVES]   (default 8 of each)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/wine/env.sh
kelvo_wine_env
kelvo_start_xvfb
kelvo_base_prefix
lives="${1:-8}"
dir="$KELVO_WINE_ROOT/scenarios/bench-prefix"
cpu() { awk '/^cpu /{print $2 + $3 + $4 + $7 + $8}' /proc/stat; }  # in clock ticks

life() {  # way -> "wall cpu" in seconds
    local t0 c0
    t0=$(date +%s.%N); c0=$(cpu)
    if [ "$1" = copied ]; then
        kelvo_new_prefix "$dir" winxp copy
        for service in $(kelvo_quiet_services); do kelvo_service_start "$dir" "$service" 2; done
    else
        kelvo_new_prefix "$dir" winxp
    fi
    WINEPREFIX="$dir" wine cmd /c exit
    WINEPREFIX="$dir" wineserver -w
    kelvo_drop_prefix "$dir"
    echo "$(echo "$(date +%s.%N) - $t0" | bc) $(echo "($(cpu) - $c0) / $(getconf CLK_TCK)" | bc -l)"
}

declare -A wall cpu
for _ in $(seq "$lives"); do
    for way in copied overlay; do
        read -r w c < <(life "$way")
        wall[$way]+="$w "; cpu[$way]+="$c "
    done
done
median() { tr ' ' '\n' | grep . | sort -g | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
echo "i386: $(tools/i386.sh mode); $lives lives each, in turn"
for way in copied overlay; do
    printf '%-8s wall %6.2f s   processor %6.2f s\n' "$way" "$(median <<< "${wall[$way]}")" "$(median <<< "${cpu[$way]}")"
done
printf 'overlay / copied: wall %.2f, processor %.2f\n' \
    "$(echo "$(median <<< "${wall[overlay]}") / $(median <<< "${wall[copied]}")" | bc -l)" \
    "$(echo "$(median <<< "${cpu[overlay]}") / $(median <<< "${cpu[copied]}")" | bc -l)"
