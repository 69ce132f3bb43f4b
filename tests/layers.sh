#!/usr/bin/env bash
# Includes point down the layers only: no file includes a header that lives in a folder above
# its own. Folders from the bottom up:
layers=(engine/dsp engine skin controls graph screens app)
# usage: layers.sh SOURCE_DIR
set -euo pipefail
cd "$1"

declare -A rank_of_header
for i in "${!layers[@]}"; do
    for header in "${layers[$i]}"/*.h; do
        [ -e "$header" ] && rank_of_header[$(basename "$header")]=$i
    done
done

failures=0
for i in "${!layers[@]}"; do
    for file in "${layers[$i]}"/*.h "${layers[$i]}"/*.cpp; do
        [ -e "$file" ] || continue
        while read -r included; do
            rank=${rank_of_header[$included]:-}
            if [ -n "$rank" ] && [ "$rank" -gt "$i" ]; then
                echo "FAIL: $file includes $included from ${layers[$rank]}/, a layer above ${layers[$i]}/"
                failures=$((failures + 1))
            fi
        done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
    done
done
echo "layers: $failures upward include(s)"
exit $((failures > 0))
