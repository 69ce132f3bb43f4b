#!/usr/bin/env bash
# Includes point down the layers only: no file includes a header that lives in a folder above
# its own, nor one of a sibling folder (folders of one rank may not include each other). Ranks
# from the bottom up; the folders of one rank are separated by spaces:
layers=(dsp "audio files" "engine artwork" ui/skin ui/controls ui/graph ui/screens app)
# usage: layers.sh SOURCE_DIR
set -euo pipefail
cd "$1"

declare -A rank_of_header folder_of_header
for i in "${!layers[@]}"; do
    for folder in ${layers[$i]}; do
        for header in "$folder"/*.h; do
            [ -e "$header" ] || continue
            name=$(basename "$header")
            if [ -n "${folder_of_header[$name]:-}" ]; then
                echo "FAIL: two headers named $name: ${folder_of_header[$name]}/ and $folder/"
                exit 1
            fi
            rank_of_header[$name]=$i
            folder_of_header[$name]=$folder
        done
    done
done

failures=0
for i in "${!layers[@]}"; do
    for folder in ${layers[$i]}; do
        for file in "$folder"/*.h "$folder"/*.cpp; do
            [ -e "$file" ] || continue
            while read -r included; do
                name=$(basename "$included")
                rank=${rank_of_header[$name]:-}
                [ -n "$rank" ] || continue
                if [ "$rank" -gt "$i" ]; then
                    echo "FAIL: $file includes $included from ${folder_of_header[$name]}/, a layer above $folder/"
                    failures=$((failures + 1))
                elif [ "$rank" -eq "$i" ] && [ "${folder_of_header[$name]}" != "$folder" ]; then
                    echo "FAIL: $file includes $included from ${folder_of_header[$name]}/, a sibling of $folder/"
                    failures=$((failures + 1))
                fi
            done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
        done
    done
done
echo "layers: $failures include(s) up or sideways"
exit $((failures > 0))
