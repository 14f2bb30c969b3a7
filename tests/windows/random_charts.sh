#!/usr/bin/env bash
# random_charts.sh DIR N [SEED]: writes N random valid chart files DIR/chart-<i>.vkt: births and
# events inside the Sun table, zones east and west with their offsets, every dasa length, path and
# level. The same seed gives the same charts.
set -euo pipefail
dir=$1 n=$2
RANDOM=${3:-16}
mkdir -p "$dir"
pick() { echo $((RANDOM % ($2 - $1 + 1) + $1)); }
moment() {  # year month day hour minute
  printf '%s\r\n' "$(pick "$1" "$2")" "$(pick 1 12)" "$(pick 1 28)" "$(pick 0 23)" \
    "$(pick 0 59).$(printf '%06d' $((RANDOM * 30 % 1000000)))"
}
zone() {  # west hours minutes offset
  local west hours minutes sign
  west=$(pick 0 1) hours=$(pick 0 12) minutes=$(( $(pick 0 3) * 15 ))
  sign=$([[ $west == 1 ]] && echo "" || echo "-")
  [[ $hours == 0 && $minutes == 0 ]] && sign=""
  printf '%s\r\n' "$west" "$hours" "$minutes.000000" \
    "$sign$(awk -v h="$hours" -v m="$minutes" 'BEGIN { printf "%.6f", h + m / 60 }')"
}
for ((i = 1; i <= n; ++i)); do
  birth=$(pick 1801 2060)
  years=$(pick 1 12)
  start=$(pick $((birth - 5)) $((birth + 30)))
  # Mostly an event inside the MD, so that the event report finds its periods.
  event=$(pick "$start" $((start + years)))
  ((event > 2098)) && event=2098
  ((RANDOM % 4 == 0)) && event=$(pick "$birth" 2098)
  {
    printf '4002\r\n'
    moment "$birth" "$birth"
    zone
    moment "$event" "$event"
    zone
    printf '%s\r\n' "$years" "$start" "$(pick 0 11)" "$(pick 0 11)" "$(pick 0 11)" \
      "$(pick 0 11)" "$(pick 1 6)"
  } >"$dir/chart-$i.vkt"
done
