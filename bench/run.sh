#!/usr/bin/env bash
# Times quovrel against the system-call floor and its peers on generated trees; prints markdown.
#
#   bench/run.sh [--small] [--entries N] [--runs N] [--export] [--cold]
#
# Builds quovrel (Release) and the bench tools in build-bench/ (or $QUOVREL_BENCH_BUILD), makes
# the trees when missing (under $QUOVREL_BENCH_TREES, default /work/bench-trees), then runs
# every command once to warm up and N more times (default 5), interleaved round by round so that
# each pair compared in a ratio is measured under the same conditions. Prints median wall times,
# peak memory and ratios. The parallel rows chart with /Threads=1, 2 and the default against
# the parallel floor and the parallel peers; with --cold only those run, each after the page
# cache is dropped (as root: sync; echo 3 > /proc/sys/vm/drop_caches).
# The command labels are markdown: their backquotes are text, not command substitutions.
# shellcheck disable=SC2016
set -euo pipefail

runs=5
entries=1100000
small_only=0
export_only=0
cold=0
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${QUOVREL_BENCH_BUILD:-$repo/build-bench}
trees=${QUOVREL_BENCH_TREES:-/work/bench-trees}
export LC_ALL=C.UTF-8

usage() {
  echo "usage: bench/run.sh [--small] [--entries N] [--runs N] [--export]"
  echo "  --small      only the small tree (a tenth of the entries), for a quick check"
  echo "  --entries N  entries of the large tree (default 1100000: a tenth folders)"
  echo "  --runs N     timed runs of each command after one warm-up (default 5)"
  echo "  --export     the saved scans instead: /Export beside ncdu -o and gdu -o, and /Import"
  echo "  --cold       only the parallel rows, the page cache dropped before each run"
}

log() { echo "run.sh: $*" >&2; }

parse_arguments() {
  while [ $# -gt 0 ]; do
    case "$1" in
      --small) small_only=1 ;;
      --entries) entries=${2:?}; shift ;;
      --runs) runs=${2:?}; shift ;;
      --export) export_only=1 ;;
      --cold) cold=1 ;;
      -h|--help) usage; exit 0 ;;
      *) usage >&2; exit 2 ;;
    esac
    shift
  done
}

install_missing() {
  local need=()
  command -v tree >/dev/null || need+=(tree)
  [ -x /usr/bin/time ] || need+=(time)
  command -v cmake >/dev/null || need+=(cmake)
  command -v ninja >/dev/null || need+=(ninja-build)
  command -v gdu >/dev/null || need+=(gdu)
  command -v ncdu >/dev/null || need+=(ncdu)
  command -v fdfind >/dev/null || need+=(fd-find)
  [ ${#need[@]} -eq 0 ] && return
  log "installing ${need[*]}"
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >&2
}

build_tools() {
  log "building quovrel and the bench tools in $build"
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUOVREL_BUILD_BENCH=ON -DQUOVREL_BUILD_TESTS=OFF >&2
  cmake --build "$build" --target quovrel make_tree floor first_line >&2
}

# The tree's folder name tells how it was made, so a changed setting makes a new tree. Raise
# the generation number whenever make_tree changes what it makes.
generation=1
tree_path() {  # seed entries
  local folders=$(($2 / 11))
  echo "$trees/tree-g$generation-s$1-f$folders-m$(($2 - folders))-d16"
}

check_room() {  # entries: inodes for each, and directory blocks (about 2 GB per million)
  local inodes kbytes
  inodes=$(df --output=iavail "$trees" | tail -1)
  kbytes=$(df --output=avail "$trees" | tail -1)
  if [ "$inodes" -lt $(($1 * 11 / 10)) ] || [ "$kbytes" -lt $(($1 * 2 + 524288)) ]; then
    log "not enough room in $trees for $1 entries"; df -h "$trees" >&2; exit 1
  fi
}

make_tree_if_missing() {  # seed entries
  local path folders
  path=$(tree_path "$1" "$2")
  [ -d "$path" ] && return
  mkdir -p "$trees"
  check_room "$2"
  folders=$(($2 / 11))
  log "making $path"
  rm -rf "$path.part"
  "$build/bench/make_tree" --seed "$1" --folders "$folders" --files $(($2 - folders)) \
    --max-depth 16 "$path.part" >&2
  mv "$path.part" "$path"
}

# --- Measuring. The commands in the order of a round: the two sides of each ratio run next
# to each other, so both meet the same cache and machine load.
command_keys=(q_start q_dirs floor_enum tree_d q_files tree_a q_full floor_stat floor_write
  tree_full du find q_depth1 q_depth1_total du_depth1 q_du du_s)
# The parallel rows: the full chart and folders only with one, two and the default threads,
# beside the parallel floor and the peers that walk with many threads.
parallel_keys=(q_full_j1 q_full_j2 q_full_jd floor_pstat floor_pstat8 du gdu ncdu
  q_dirs_j1 q_dirs_j2 q_dirs_jd fdfind)

# Warm, the parallel rows join the others (du is one already); cold, they run alone.
# The streaming row is measured in the plain warm run alone.
stream_wanted() { [ "$export_only" = 0 ] && [ "$cold" = 0 ]; }

choose_keys() {
  local key
  if [ "$cold" = 1 ]; then command_keys=("${parallel_keys[@]}"); return; fi
  for key in "${parallel_keys[@]}"; do [ "$key" = du ] || command_keys+=("$key"); done
}

# With --export: each export, then the imports of the files the round's exports just wrote, and
# the scans whose memory an import of the same chart must not pass.
export_keys=(q_export q_export_dot ncdu_export gdu_export q_dirs q_import_q q_import_ncdu q_full
  q_import_q_full q_import_ncdu_full)

declare -A labels=(
  [q_export]='`quovrel /Export=FILE DIR`'
  [q_export_dot]='`quovrel /Export=FILE /DotFolders+ DIR` (every entry, as the peers)'
  [ncdu_export]='`ncdu -0 -o FILE DIR`'
  [gdu_export]='`gdu -n -o FILE DIR > /dev/null`'
  [q_import_q]="\`quovrel /Import=FILE > /dev/null\` (quovrel's export with \`/DotFolders+\`)"
  [q_import_ncdu]="\`quovrel /Import=FILE > /dev/null\` (ncdu's export)"
  [q_import_q_full]="\`quovrel /Import=FILE /F /Size /Time /Sum /Total /SS > file\` (quovrel's export)"
  [q_import_ncdu_full]="\`quovrel /Import=FILE /F /Size /Time /Sum /Total /SS > file\` (ncdu's export)"
  [q_start]='`quovrel /? > /dev/null` (start-up alone)'
  [q_dirs]='`quovrel DIR > /dev/null`'
  [q_files]='`quovrel /F DIR > file`'
  [q_full]='`quovrel /F /Size /Time /Sum /Total /SS DIR > file`'
  [floor_enum]='`floor enum DIR` (getdents64 only)'
  [floor_stat]='`floor stat DIR` (getdents64 + fstatat)'
  [floor_write]='`floor write LINES file` (whole lines in 64 KiB writes)'
  [tree_d]='`tree -d DIR > /dev/null`'
  [tree_a]='`tree -a DIR > file`'
  [tree_full]='`tree -a -s -D --du DIR > file`'
  [du]='`du -ab DIR > /dev/null`'
  [find]="\`find DIR -printf '%s %p\\n' > /dev/null\`"
  [q_depth1]='`quovrel /L=1 DIR > /dev/null` (the root read alone)'
  [q_depth1_total]='`quovrel /L=1 /Total DIR > /dev/null` (everything counted)'
  [du_depth1]='`du --max-depth=1 DIR > /dev/null`'
  [q_du]='`quovrel /F /Size /Time /Sum /Total /SS /DiskUsage DIR > file`'
  [du_s]='`du -sB1 DIR > /dev/null`'
  [q_full_j1]='`quovrel /F /Size /Time /Sum /Total /SS /DotFolders /Threads=1 DIR > file`'
  [q_full_j2]='`quovrel /F /Size /Time /Sum /Total /SS /DotFolders /Threads=2 DIR > file`'
  [q_full_jd]='`quovrel /F /Size /Time /Sum /Total /SS /DotFolders DIR > file` (default threads)'
  [q_dirs_j1]='`quovrel /DotFolders /Threads=1 DIR > /dev/null`'
  [q_dirs_j2]='`quovrel /DotFolders /Threads=2 DIR > /dev/null`'
  [q_dirs_jd]='`quovrel /DotFolders DIR > /dev/null` (default threads)'
  [floor_pstat]='`floor pstat CORES DIR dot` (getdents64 + fstatat on one thread per core)'
  [floor_pstat8]='`floor pstat 8 DIR dot`'
  [gdu]='`gdu -n DIR > /dev/null`'
  [ncdu]='`ncdu -0 -o /dev/null DIR`'
  [fdfind]='`fdfind -HI . DIR > /dev/null`'
)

declare -A entries_of lines_of tree_of

# Sets `cmd` (the program and its arguments) and `target` (where its output goes).
set_command() {  # key dir lines
  local quovrel=$build/quovrel floor=$build/bench/floor
  target=/dev/null
  case $1 in
    q_start) cmd=("$quovrel" '/?') ;;
    q_dirs) cmd=("$quovrel" "$2") ;;
    q_files) cmd=("$quovrel" /F "$2"); target=$out/q-files.txt ;;
    q_full) cmd=("$quovrel" /F /Size /Time /Sum /Total /SS "$2"); target=$out/q-full.txt ;;
    floor_enum) cmd=("$floor" enum "$2") ;;
    floor_stat) cmd=("$floor" stat "$2") ;;
    floor_write) cmd=("$floor" write "$3" "$out/floor-write.txt") ;;
    tree_d) cmd=(tree -d "$2") ;;
    tree_a) cmd=(tree -a "$2"); target=$out/tree-a.txt ;;
    tree_full) cmd=(tree -a -s -D --du "$2"); target=$out/tree-full.txt ;;
    du) cmd=(du -ab "$2") ;;
    find) cmd=(find "$2" -printf '%s %p\n') ;;
    q_depth1) cmd=("$quovrel" /L=1 "$2") ;;
    q_depth1_total) cmd=("$quovrel" /L=1 /Total "$2") ;;
    du_depth1) cmd=(du --max-depth=1 "$2") ;;
    q_du) cmd=("$quovrel" /F /Size /Time /Sum /Total /SS /DiskUsage "$2"); target=$out/q-du.txt ;;
    du_s) cmd=(du -sB1 "$2") ;;
    q_export) cmd=("$quovrel" "/Export=$out/q.json" "$2") ;;
    q_export_dot) cmd=("$quovrel" "/Export=$out/q-dot.json" /DotFolders+ "$2") ;;
    ncdu_export) cmd=(ncdu -0 -o "$out/ncdu.json" "$2") ;;
    gdu_export) cmd=(gdu -n -o "$out/gdu.json" "$2") ;;
    q_import_q) cmd=("$quovrel" "/Import=$out/q-dot.json") ;;
    q_import_ncdu) cmd=("$quovrel" "/Import=$out/ncdu.json") ;;
    q_import_q_full | q_import_ncdu_full)
      local saved=$out/q-dot.json
      [ "$1" = q_import_q_full ] || saved=$out/ncdu.json
      cmd=("$quovrel" "/Import=$saved" /F /Size /Time /Sum /Total /SS); target=$out/q-import.txt ;;
    q_full_j1|q_full_j2|q_full_jd)
      cmd=("$quovrel" /F /Size /Time /Sum /Total /SS /DotFolders "$2")
      [ "$1" = q_full_jd ] || cmd+=("/Threads=${1#q_full_j}")
      target=$out/q-full-j.txt ;;
    q_dirs_j1|q_dirs_j2|q_dirs_jd)
      cmd=("$quovrel" /DotFolders "$2")
      [ "$1" = q_dirs_jd ] || cmd+=("/Threads=${1#q_dirs_j}") ;;
    floor_pstat) cmd=("$floor" pstat "$(nproc)" "$2" dot) ;;
    floor_pstat8) cmd=("$floor" pstat 8 "$2" dot) ;;
    gdu) cmd=(gdu -n "$2") ;;
    ncdu) cmd=(ncdu -0 -o /dev/null "$2") ;;
    fdfind) cmd=(fdfind -HI . "$2") ;;
  esac
}

# Appends "microseconds peak-kilobytes exit-status" to $out/TREE.KEY. The program runs straight
# under /usr/bin/time (no shell between), so the peak memory is the program's own.
run_once() {  # tree key
  local start end status=0
  [ "$cold" = 0 ] || { sync; echo 3 > /proc/sys/vm/drop_caches; }
  start=${EPOCHREALTIME/./}
  /usr/bin/time -f %M -o "$out/mem" "${cmd[@]}" > "$target" 2>/dev/null || status=$?
  end=${EPOCHREALTIME/./}
  echo "$((end - start)) $(tail -1 "$out/mem") $status" >> "$out/$1.$2"
}

# The chart's line count sizes the write floor; it falls back to one line per entry and the
# root while the program prints no chart yet.
count_chart_lines() {  # dir entries
  "$build/quovrel" /F /Size /Time /Sum /Total /SS "$1" > "$out/q-full.txt" 2>/dev/null || true
  local lines
  lines=$(wc -l < "$out/q-full.txt")
  [ "$lines" -gt 1 ] || lines=$(($2 + 1))
  echo "$lines"
}

# Every command runs in the trees' folder on the tree's bare name: quovrel takes an argument
# that starts with "/" for an option, so it cannot be given an absolute path.
measure_tree() {  # name path
  local round key dir
  dir=$(basename "$2")
  cd "$(dirname "$2")"
  entries_of[$1]=$("$build/bench/floor" stat "$dir")
  lines_of[$1]=$(count_chart_lines "$dir" "${entries_of[$1]}")
  [ "$(wc -l < "$out/q-full.txt")" -gt 1 ] || lines_of[$1]+=" (no chart yet: one per entry)"
  log "$1 tree: $2, ${entries_of[$1]} entries charted, ${lines_of[$1]} chart lines"
  for ((round = 0; round <= runs; round++)); do
    log "$1 tree: round $round of $runs (0 warms up)"
    for key in "${command_keys[@]}"; do
      set_command "$key" "$dir" "${lines_of[$1]%% *}"
      run_once "$1" "$key"
    done
    [ "$round" -gt 0 ] || rm -f "$out/$1".*
  done
}

# The streaming row: the chart written as the walk goes, timed to its first line. Appends
# "first-line-ms end-ms peak-kilobytes" to $out/TREE.stream, once per timed round.
measure_stream() {  # name path
  local round
  cd "$(dirname "$2")"
  for ((round = 0; round <= runs; round++)); do
    read -r first end peak _ < <("$build/bench/first_line" "$build/quovrel" /F /Size /Time /Sum /SN \
      "$(basename "$2")")
    [ "$round" -eq 0 ] || echo "$first $end $peak" >> "$out/$1.stream"
  done
}

median_column() {  # file column
  sort -n -k"$2" "$1" | awk -v c="$2" '{ t[NR] = $c } END {
    printf "%.1f", (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'
}

print_stream() {
  local name first peak
  echo "| \`quovrel /F /Size /Time /Sum /SN DIR\` (written as the walk goes) | first line: median ms | end: median ms | peak MB | targets |"
  echo "|---|---:|---:|---:|---|"
  for name in "${measured[@]}"; do
    first=$(median_column "$out/$name.stream" 1)
    peak=$(awk '$3 > m { m = $3 } END { printf "%.1f", m / 1024 }' "$out/$name.stream")
    echo "| $name tree | $first | $(median_column "$out/$name.stream" 2) | $peak |" \
      "$(awk -v f="$first" -v p="$peak" 'BEGIN { printf "first line <= 50 ms %s, peak < 16 MB %s",
        f <= 50 ? "(met)" : "(**not met**)", p < 16 ? "(met)" : "(**not met**)" }') |"
  done
}

# --- Reporting: medians of the timed runs, the highest peak, the ratios of the issue's targets.
median_seconds() {  # tree key
  sort -n "$out/$1.$2" | awk '{ t[NR] = $1 } END {
    m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2; printf "%.3f", m / 1e6 }'
}

peak_kbytes() { awk '$2 > m { m = $2 } END { print m + 0 }' "$out/$1.$2"; }

failed_note() { awk '$3 != 0 { s = $3 } END { if (s) printf " (exit %d)", s }' "$out/$1.$2"; }

# Prints the ratio a/b to 2 places, and whether it meets "<= t" or ">= t".
ratio_cell() {  # a b op t
  awk -v a="$1" -v b="$2" -v op="$3" -v t="$4" 'BEGIN {
    if (b <= 0) { printf "n/a"; exit }
    r = a / b; ok = (op == "<=") ? r <= t : r >= t
    printf "%.2f %s", r, ok ? "(met)" : "(**not met**)" }'
}

print_commands() {
  local name key header=" command |" rule="---|"
  for name in "${measured[@]}"; do
    header+=" $name: median s | $name: peak MB |"; rule+="---:|---:|"
  done
  echo "|$header"; echo "|$rule"
  for key in "${command_keys[@]}"; do
    local row="| ${labels[$key]} |"
    for name in "${measured[@]}"; do
      row+=" $(median_seconds "$name" "$key")$(failed_note "$name" "$key") |"
      row+=" $(awk -v k="$(peak_kbytes "$name" "$key")" 'BEGIN { printf "%.1f", k / 1024 }') |"
    done
    echo "$row"
  done
}

# The issue's targets: label, comparison and bound of each ratio, in the order of ratio_sides.
ratio_targets=(
  'quovrel full / (floor stat + floor write)|<=|1.3'
  'tree -a -s -D --du / quovrel full|>=|3'
  'quovrel DIR / floor enum|<=|1.3'
  'tree -d / quovrel DIR|>=|2.5'
  'tree -a / quovrel /F|>=|3'
  'bytes of peak memory per entry, quovrel full|<=|130'
  'du -sB1 / quovrel full /DiskUsage|>=|1'
)

# Prints "a b" for each ratio of one tree, one line each.
ratio_sides() {  # tree
  local floor_sum
  floor_sum=$(awk -v a="$(median_seconds "$1" floor_stat)" \
    -v b="$(median_seconds "$1" floor_write)" 'BEGIN { print a + b }')
  echo "$(median_seconds "$1" q_full) $floor_sum"
  echo "$(median_seconds "$1" tree_full) $(median_seconds "$1" q_full)"
  echo "$(median_seconds "$1" q_dirs) $(median_seconds "$1" floor_enum)"
  echo "$(median_seconds "$1" tree_d) $(median_seconds "$1" q_dirs)"
  echo "$(median_seconds "$1" tree_a) $(median_seconds "$1" q_files)"
  echo "$(($(peak_kbytes "$1" q_full) * 1024)) ${entries_of[$1]}"
  echo "$(median_seconds "$1" du_s) $(median_seconds "$1" q_du)"
}

print_ratios() {
  local header=" ratio | target |" rule="---|---|" name i label op bound
  local -A sides
  for name in "${measured[@]}"; do
    header+=" $name |"; rule+="---:|"
    i=0
    while read -r a b; do sides[$name.$i]="$a $b"; i=$((i + 1)); done < <(ratio_sides "$name")
  done
  echo "|$header"; echo "|$rule"
  for i in "${!ratio_targets[@]}"; do
    IFS='|' read -r label op bound <<< "${ratio_targets[$i]}"
    local row="| $label | $op $bound |"
    for name in "${measured[@]}"; do
      read -r a b <<< "${sides[$name.$i]}"
      row+=" $(ratio_cell "$a" "$b" "$op" "$bound") |"
    done
    echo "$row"
  done
}

# The parallel walk's targets, warm or cold: "label|op|bound|a|b", a and b command keys.
parallel_targets=(
  'full chart, default threads / one thread|<=|0.65|q_full_jd|q_full_j1'
  'folders only, default threads / one thread|<=|0.65|q_dirs_jd|q_dirs_j1'
  'full chart, default threads / gdu -n|<=|0.5|q_full_jd|gdu'
  'full chart, default threads / floor pstat CORES|<=|1.5|q_full_jd|floor_pstat'
  'full chart, default threads / floor pstat 8|<=|1.5|q_full_jd|floor_pstat8'
  'folders only, default threads / fdfind -HI .|<=|1|q_dirs_jd|fdfind'
)

print_parallel_ratios() {
  local header=" parallel ratio ($([ "$cold" = 1 ] && echo cold || echo warm)) | target |"
  local rule="---|---|" name target label op bound a b
  for name in "${measured[@]}"; do header+=" $name |"; rule+="---:|"; done
  echo "|$header"; echo "|$rule"
  for target in "${parallel_targets[@]}"; do
    IFS='|' read -r label op bound a b <<< "$target"
    local row="| $label | $op $bound |"
    for name in "${measured[@]}"; do
      row+=" $(ratio_cell "$(median_seconds "$name" "$a")" "$(median_seconds "$name" "$b")" \
        "$op" "$bound") |"
    done
    echo "$row"
  done
}

# Linear growth: what the large tree costs over the small one, for each quovrel run.
print_growth() {
  local key
  echo "| large tree / small tree | target | ratio |"
  echo "|---|---|---:|"
  for key in q_dirs q_files q_full; do
    echo "| time, ${labels[$key]} | >= 8 |" \
      "$(ratio_cell "$(median_seconds large "$key")" "$(median_seconds small "$key")" '>=' 8) |"
  done
  for key in q_dirs q_files q_full; do
    echo "| peak memory, ${labels[$key]} | >= 8 |" \
      "$(ratio_cell "$(peak_kbytes large "$key")" "$(peak_kbytes small "$key")" '>=' 8) |"
  done
  # The part a chart adds to the start-up cost, which no tree changes.
  local start_large start_small
  start_large=$(peak_kbytes large q_start)
  start_small=$(peak_kbytes small q_start)
  for key in q_dirs q_files q_full; do
    echo "| peak memory above start-up, ${labels[$key]} | >= 8 |" \
      "$(ratio_cell "$(($(peak_kbytes large "$key") - start_large))" \
        "$(($(peak_kbytes small "$key") - start_small))" '>=' 8) |"
  done
}

any_run_failed() {
  local name
  local file
  # TREE.stream holds first_line's figures, not timed runs: its third column is a peak.
  for name in "${measured[@]}"; do
    for file in "$out/$name".*; do [ "${file##*.}" = stream ] || cat "$file"; done
  done | awk '$3 != 0 { bad = 1 } END { exit !bad }'
}

print_report() {
  local name
  echo "Run of \`bench/run.sh$(printf ' %s' "${arguments[@]}")\` on $(date -u +%Y-%m-%d):" \
    "$(nproc) cores, $(free -g | awk '/^Mem/ { print $2 }') GiB," \
    "$(uname -sr), $(df --output=fstype "$trees" | tail -1);" \
    "$([ "$cold" = 1 ] && echo "cold cache (dropped before each run)" || echo "warm cache")," \
    "1 warm-up + $runs timed runs;" \
    "load average $load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after."
  echo
  for name in "${measured[@]}"; do
    echo "- $name tree: \`$(basename "${tree_of[$name]}")\`, ${entries_of[$name]} entries" \
      "outside dot-folders (which a chart leaves out; the peers walk them too)," \
      "${lines_of[$name]} chart lines"
  done
  echo; print_commands
  [ "$export_only" = 0 ] || return 0
  [ "$cold" = 1 ] || { echo; print_ratios; echo; print_stream; }
  echo; print_parallel_ratios
  if any_run_failed; then
    echo; echo "**Some runs failed (exit status in the table): the ratios that use them mean nothing.**"
  fi
  [ "${#measured[@]}" -lt 2 ] || [ "$cold" = 1 ] || { echo; print_growth; }
}

main() {
  arguments=("$@")
  parse_arguments "$@"
  choose_keys
  install_missing
  build_tools
  local small=$((entries / 10))
  make_tree_if_missing 2 "$small"
  [ "$small_only" = 1 ] || make_tree_if_missing 1 "$entries"
  out=$(mktemp -d /tmp/quovrel-bench.XXXXXX)
  trap 'rm -rf "$out"' EXIT
  load_before=$(cut -d' ' -f1-3 /proc/loadavg)
  [ "$export_only" = 0 ] || command_keys=("${export_keys[@]}")
  measured=(small)
  tree_of[small]=$(tree_path 2 "$small")
  measure_tree small "${tree_of[small]}"
  ! stream_wanted || measure_stream small "${tree_of[small]}"
  if [ "$small_only" != 1 ]; then
    measured+=(large)
    tree_of[large]=$(tree_path 1 "$entries")
    measure_tree large "${tree_of[large]}"
    ! stream_wanted || measure_stream large "${tree_of[large]}"
  fi
  print_report
}

main "$@"
