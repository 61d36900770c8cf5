#!/usr/bin/env bash
# bench/run.sh [BUILD_DIR]: measures tolynx against the baseline on 10,000
# small MS files, and on one 1 GiB file.  Needs strace.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
tolynx=$build/tolynx
base=$build/bench/baseline
files=10000
rounds=${ROUNDS:-21}

work=$(mktemp -d "${TMPDIR:-/tmp}/tolynx-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

for ((i = 0; i < files; i++)); do
	printf '\254\252\002\000%060d' "$i" >"f$i.dat"
done
names=(f*.dat)

reset() { "$base" 0 "${names[@]}"; }
# elapsed CMD...: microseconds that CMD takes, its output discarded.
elapsed()
{
	local t0=${EPOCHREALTIME/./}
	"$@" >/dev/null
	echo $((${EPOCHREALTIME/./} - t0))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# System calls per file, over the whole run.
reset
strace -c -f -o calls "$tolynx" "${names[@]}" >/dev/null
calls=$(awk '$NF == "total" { print $(NF - 2) }' calls)
reset
strace -c -f -o calls "$base" 1 "${names[@]}"
bcalls=$(awk '$NF == "total" { print $(NF - 2) }' calls)

# Paired runs, the order alternating, so that drift hits both alike.
: >ratios
: >tt
: >tb
for ((r = 0; r < rounds; r++)); do
	if ((r % 2 == 0)); then
		reset; t=$(elapsed "$tolynx" "${names[@]}")
		reset; b=$(elapsed "$base" 1 "${names[@]}")
	else
		reset; b=$(elapsed "$base" 1 "${names[@]}")
		reset; t=$(elapsed "$tolynx" "${names[@]}")
	fi
	echo "$t" >>tt
	echo "$b" >>tb
	awk -v t="$t" -v b="$b" 'BEGIN { printf "%.4f\n", t / b }' >>ratios
done
rm -f f*.dat

# One 1 GiB file (sparse) against a 4-byte one: what is asked of the system,
# and whether the time follows the size.
printf '\254\252\002\000' >small.dat
cp small.dat big.dat
truncate -s 1G big.dat
strace -P big.dat -o trace "$tolynx" big.dat >/dev/null 2>&1
# Bytes asked of the system for the file, over every kind of read.
asked=$(awk -F', ' '/^(read|pread64|readv|preadv2?)\(/ { sub(/\).*/, "", $NF); n += $NF } END { print n + 0 }' trace)
seq=$(awk -F'(' '/^[a-z]/ { printf "%s%s", sep, $1; sep = " " }' trace)
: >ts
: >tg
for ((r = 0; r < 51; r++)); do
	printf '\000' | dd of=small.dat bs=1 seek=3 conv=notrunc status=none
	printf '\000' | dd of=big.dat bs=1 seek=3 conv=notrunc status=none
	elapsed "$tolynx" small.dat >>ts
	elapsed "$tolynx" big.dat >>tg
done

mt=$(median <tt)
mb=$(median <tb)
mr=$(median <ratios)
ms=$(median <ts)
mg=$(median <tg)
cat <<REPORT
tolynx benchmark: $files files of 64 bytes, $rounds paired rounds
  system calls per file   tolynx $(awk -v c="$calls" -v n=$files 'BEGIN { printf "%.2f", c / n }')  baseline $(awk -v c="$bcalls" -v n=$files 'BEGIN { printf "%.2f", c / n }')  (target: tolynx <= 6)
  median time             tolynx ${mt} us  baseline ${mb} us
  median paired ratio     $mr  (target: <= 1.2)
  1 GiB file              bytes read: $asked (target: 4); calls: $seq
  median time, 1 GiB      ${mg} us  against ${ms} us for a 4-byte file
REPORT
awk -v c="$calls" -v n=$files -v r="$mr" -v a="$asked" \
	'BEGIN { exit !(c / n <= 6 && r <= 1.2 && a == 4) }' ||
	{ echo "a target was missed" >&2; exit 1; }
