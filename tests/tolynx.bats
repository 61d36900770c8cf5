#!/usr/bin/env bats
# Black-box tests of the built program, named by $TOLYNX.  Fixtures are
# made here, in each test's own scratch folder, with printf's octal escapes.
# System error texts and numbers are Linux's: ENOENT 2, EIO 5, EACCES 13,
# EISDIR 21, EFBIG 27, ESPIPE 29.

MS='\254\252\002\000'
LYNX='\254\252\002\001'

setup()
{
	: "${TOLYNX:?TOLYNX must name the program under test}"
	cd "$BATS_TEST_TMPDIR" || return
}

# tx ARG...: run the program; its streams land in out and err, its status in rc.
tx()
{
	rc=0
	"$TOLYNX" "$@" >out 2>err || rc=$?
}

# same FILE TEXT: FILE holds exactly TEXT.
same()
{
	if ! printf '%s' "$2" | cmp -s - "$1"; then
		echo "$1 differs; want:"
		printf '%s' "$2" | od -c
		echo "got:"
		od -c "$1"
		return 1
	fi
}

# check STATUS OUT ERR: the last run's status and both streams, byte for byte.
check()
{
	[ "$rc" -eq "$1" ] || { echo "status $rc, want $1"; cat err; return 1; }
	same out "$2"
	same err "$3"
}

# bytes FILE OCTAL: FILE's whole contents are the bytes that OCTAL spells.
bytes()
{
	printf "$2" >"$BATS_TEST_TMPDIR/.want"
	if ! cmp -s "$BATS_TEST_TMPDIR/.want" "$1"; then
		echo "$1: want $(od -An -tx1 "$BATS_TEST_TMPDIR/.want"), got $(od -An -tx1 "$1")"
		return 1
	fi
}

@test "no file named: usage line with argument 0, status 127" {
	tx
	check 127 '' "Usage: $TOLYNX DATFILE ..."$'\n'
	(exec -a 'my tolynx' "$TOLYNX") >out 2>err && rc=0 || rc=$?
	check 127 '' $'Usage: my tolynx DATFILE ...\n'
	[ "$(ls)" = $'err\nout' ]
}

@test "no argument 0 at all: the usage line names tolynx" {
	[ -n "${NOARGV:-}" ] || skip "NOARGV names no helper"
	rc=0
	"$NOARGV" "$TOLYNX" >out 2>err || rc=$?
	check 127 '' $'Usage: tolynx DATFILE ...\n'
}

@test "each header gets its verdict; only an MS file changes, at offset 3" {
	# name | bytes | status | message after the name, or "ok" | bytes after
	while IFS='|' read -r name in st msg after; do
		printf "$in" >"$name"
		tx "$name"
		if [ "$msg" = ok ]; then
			check "$st" "$name was successfully altered"$'\n' ''
		else
			check "$st" '' "$name$msg"$'\n'
		fi
		bytes "$name" "$after" || { echo "case $name"; return 1; }
	done <<'EOF'
empty||126| is not a valid .dat file|
one|\254|126| is not a valid .dat file|\254
sig|\254\252\002|126| is not a valid .dat file|\254\252\002
ms4|\254\252\002\000|0|ok|\254\252\002\001
msbody|\254\252\002\000\000\377body\n|0|ok|\254\252\002\001\000\377body\n
lynx|\254\252\002\001rest|125| is already set for the Lynx ruleset|\254\252\002\001rest
r2|\254\252\002\002|125| is not set for the MS ruleset|\254\252\002\002
rff|\254\252\002\377xy|125| is not set for the MS ruleset|\254\252\002\377xy
bad0|\253\252\002\000|126| is not a valid .dat file|\253\252\002\000
bad1|\254\253\002\000|126| is not a valid .dat file|\254\253\002\000
bad2|\254\252\003\000|126| is not a valid .dat file|\254\252\003\000
text|hello, world\n|126| is not a valid .dat file|hello, world\n
EOF
}

@test "a large MS file keeps its length and every byte but offset 3" {
	{ printf "$MS"; head -c 3000000 /dev/urandom; } >big
	{ printf "$LYNX"; tail -c +5 big; } >want
	tx big
	check 0 $'big was successfully altered\n' ''
	cmp big want
}

@test "the run status is the last failure's, whatever follows it" {
	printf "$MS" >ms1
	printf "$MS" >ms2
	printf 'junk' >junk
	printf "$LYNX" >lynx

	tx ms1 ms1
	check 125 $'ms1 was successfully altered\n' $'ms1 is already set for the Lynx ruleset\n'

	tx junk ms2
	check 126 $'ms2 was successfully altered\n' $'junk is not a valid .dat file\n'
	bytes ms2 '\254\252\002\001'

	printf "$MS" >ms1
	tx ms1 missing
	check 2 $'ms1 was successfully altered\n' $'missing: No such file or directory\n'
	bytes ms1 '\254\252\002\001'

	tx lynx junk
	check 126 '' $'lynx is already set for the Lynx ruleset\njunk is not a valid .dat file\n'
	tx junk lynx
	check 125 '' $'junk is not a valid .dat file\nlynx is already set for the Lynx ruleset\n'
	tx missing junk lynx ms1
	[ "$rc" -eq 125 ]
	bytes junk 'junk'
}

@test "a name that does not exist is reported and not created" {
	tx nope -nope
	check 2 '' $'nope: No such file or directory\n-nope: No such file or directory\n'
	[ ! -e nope ] && [ ! -e -nope ]
}

@test "a directory is refused at the open" {
	mkdir dir
	tx dir
	check 21 '' $'dir: Is a directory\n'
}

@test "devices: /dev/null and /dev/full hold no header and are not written" {
	tx /dev/null /dev/full
	check 126 '' $'/dev/null is not a valid .dat file\n/dev/full is not a valid .dat file\n'
}

@test "a file without write permission is refused at the open, whatever its header" {
	# Root may write anything, so the program runs as nobody there.
	d=$(mktemp -d /tmp/tolynx-ro.XXXXXX)
	chmod 755 "$d"
	cp "$TOLYNX" "$d/prog"
	printf "$MS" >"$d/ms"
	printf "$LYNX" >"$d/lynx"
	printf 'xy' >"$d/short"
	chmod 444 "$d/ms" "$d/lynx" "$d/short"
	as=()
	if [ "$(id -u)" -eq 0 ]; then
		as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
	fi
	rc=0
	(cd "$d" && "${as[@]}" ./prog ms lynx short) >out 2>err || rc=$?
	check 13 '' $'ms: Permission denied\nlynx: Permission denied\nshort: Permission denied\n'
	bytes "$d/ms" "$MS"
	bytes "$d/lynx" "$LYNX"
	rm -rf "$d"
}

@test "a failed read is the system's report and error number" {
	# Reading the process's own memory at offset 0 fails: nothing is mapped there.
	tx /proc/self/mem
	check 5 '' $'/proc/self/mem: Input/output error\n'
}

@test "a failed seek is the system's report and error number" {
	# A FIFO opens for update and yields an MS header, but cannot seek.
	mkfifo fifo
	exec {w}<>fifo
	printf "$MS" >&"$w"
	tx fifo
	exec {w}>&-
	check 29 '' $'fifo: Illegal seek\n'
}

@test "a failed write is reported as a failure and leaves the file unchanged" {
	# With a file size limit of 0 the one-byte write fails with EFBIG; every
	# stream is a pipe so that only the data file meets the limit.
	printf "$MS" >ms
	printf "$MS" >ms2
	{ { st=0; (trap '' XFSZ; ulimit -f 0; exec "$TOLYNX" ms ms2) || st=$?; echo "$st" >rc; } | cat >out; } 2>&1 | cat >err
	rc=$(cat rc)
	check 27 '' $'ms: File too large\nms2: File too large\n'
	bytes ms "$MS"
	bytes ms2 "$MS"
}

@test "the status is the error number wherever standard error goes" {
	rc=0
	"$TOLYNX" nope 2>/dev/null || rc=$?
	[ "$rc" -eq 2 ] || { echo "to /dev/null: $rc"; return 1; }
	rc=0
	"$TOLYNX" nope 2>errfile || rc=$?
	[ "$rc" -eq 2 ] || { echo "to a file: $rc"; return 1; }
	"$TOLYNX" nope 2>&1 | cat >/dev/null
	[ "${PIPESTATUS[0]}" -eq 2 ] || { echo "to a pipe: ${PIPESTATUS[0]}"; return 1; }
	script -qec "$(printf '%q' "$TOLYNX") nope; echo rc=\$?" /dev/null </dev/null >tty
	grep -q '^rc=2' tty || { echo "to a terminal:"; cat tty; return 1; }
}

@test "output to one place keeps argument order" {
	printf "$MS" >a
	printf "$MS" >c
	printf 'bad!' >b
	"$TOLYNX" a b missing c 2>&1 | cat >both
	same both $'a was successfully altered\nb is not a valid .dat file\nmissing: No such file or directory\nc was successfully altered\n'
}

@test "any name works and is printed as given" {
	names=(- -- -x.dat 'with space.dat' '%s%n%d.dat' $'\377\376.dat' $'new\nline.dat' '\x.dat')
	want=
	for n in "${names[@]}"; do
		printf "$MS" >"./$n"
		want+="$n was successfully altered"$'\n'
	done
	tx "${names[@]}"
	check 0 "$want" ''
	for n in "${names[@]}"; do
		bytes "./$n" "$LYNX"
	done
	tx '%n%s' $'\377'
	check 2 '' $'%n%s: No such file or directory\n\377: No such file or directory\n'
}
