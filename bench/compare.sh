#!/usr/bin/env bash
# Whole-process timings of zov beside Timewarrior on the same generated
# ten-year history (warm cache, medians of hyperfine runs).
# Usage: bench/compare.sh BUILD_DIR   (needs zov, zov_make_history, timew, hyperfine)
set -euo pipefail
build=${1:?usage: bench/compare.sh BUILD_DIR}
zov="$build/cli/zov"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=${TZ:-Europe/Berlin}
mkdir -p "$work/zov" "$work/timew"
"$build/bench/zov_make_history" "$work/zov" "$work/timew" > "$work/history.txt"
cat "$work/history.txt"
export TIMEWARRIORDB="$work/timew"

# The Monday of an ISO week, and the Monday after it.
monday() { date -d "$1-01-04 -$(( $(date -d "$1-01-04" +%u) - 1 )) days +$(( ($2 - 1) * 7 )) days" +%F; }
read -r _ first_year first_week _ newest_year newest_week < <(sed -n 's/first week: \([0-9]*\) \([0-9]*\); newest week: \([0-9]*\) \([0-9]*\)/x \1 \2 x \3 \4/p' "$work/history.txt")
mid_year=$(( (first_year + newest_year) / 2 )); mid_week=26

rows=()
for which in "newest $newest_year $newest_week" "mid-history $mid_year $mid_week" "first $first_year $first_week"; do
    set -- $which
    from=$(monday "$2" "$3"); until=$(date -d "$from +7 days" +%F)
    rows+=("$1|$zov --data $work/zov week $2 $3|timew summary $from - $until")
done
rows+=("status|$zov --data $work/zov status|timew")
# The commands that came with words for ranges, calendars and imports.
rows+=("last week by words (\`report lastweek\` / \`summary :lastweek\`)|$zov --data $work/zov report lastweek|timew summary :lastweek")
rows+=("yesterday's sessions (\`sessions yesterday --json\` / \`export :yesterday\`)|$zov --data $work/zov sessions yesterday --json|timew export :yesterday")
rows+=("calendar of last month (\`sessions lastmonth --ics\` / \`export :lastmonth\`)|$zov --data $work/zov sessions lastmonth --ics|timew export :lastmonth")
"$zov" --data "$work/zov" week "$newest_year" "$newest_week" > /dev/null  # builds the index once

echo
echo "| question | zov median (min) ms | Timewarrior median (min) ms | ratio of medians | zov / Timewarrior processor time (user+system) ms |"
echo "|---|---|---|---|---|"
for row in "${rows[@]}"; do
    IFS='|' read -r name zcmd tcmd <<< "$row"
    hyperfine -N -i -w 5 -r 40 --export-json "$work/r.json" "$zcmd" "$tcmd" > /dev/null 2>&1
    read -r zm zmin tm tmin zc tc < <(python3 -c "import json; r=json.load(open('$work/r.json'))['results']; print(r[0]['median']*1000, r[0]['min']*1000, r[1]['median']*1000, r[1]['min']*1000, (r[0]['user']+r[0]['system'])*1000, (r[1]['user']+r[1]['system'])*1000)")
    printf '| %s | %.1f (%.1f) | %.1f (%.1f) | %.0fx | %.1f / %.1f |\n' "$name" "$zm" "$zmin" "$tm" "$tmin" "$(python3 -c "print($tm/$zm)")" "$zc" "$tc"
done

# The whole Timewarrior history imported into an empty folder (a fresh one
# before every run), and a second import of it, which adds nothing.
mkdir -p "$work/imported"
echo
echo "| import of the Timewarrior history | median (min) ms | processor time (user+system) ms |"
echo "|---|---|---|"
hyperfine -i -w 1 -r 10 --prepare "rm -rf '$work/imported' && mkdir '$work/imported'" \
    --export-json "$work/i.json" "$zov --data $work/imported import timewarrior $work/timew" > /dev/null 2>&1
python3 -c "import json; r=json.load(open('$work/i.json'))['results'][0]; print('| into an empty folder | %.1f (%.1f) | %.1f |' % (r['median']*1000, r['min']*1000, (r['user']+r['system'])*1000))"
"$zov" --data "$work/imported" import timewarrior "$work/timew" > /dev/null
hyperfine -N -i -w 1 -r 10 --export-json "$work/i.json" "$zov --data $work/imported import timewarrior $work/timew" > /dev/null 2>&1
python3 -c "import json; r=json.load(open('$work/i.json'))['results'][0]; print('| again, adding nothing | %.1f (%.1f) | %.1f |' % (r['median']*1000, r['min']*1000, (r['user']+r['system'])*1000))"
