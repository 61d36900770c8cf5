#!/usr/bin/env bats
# Black-box tests of the built program, named by $TOLYNX.  A name ending in
# .exe is the Windows build, run under Wine ($WINE, by default wine64).
# Fixtures are made here, in each test's own scratch folder, with printf's
# octal escapes.  System error texts and numbers are the platform's: on
# Linux ENOENT 2, EIO 5, EACCES 13, EISDIR 21, EFBIG 27, ESPIPE 29; the
# Windows C runtime's are noted where they differ.

MS='\254\252\002\000'
LYNX='\254\252\002\001'

setup()
{
	: "${TOLYNX:?TOLYNX must name the program under test}"
	TOLYNX=$(realpath "$TOLYNX")
	[ -z "${NOARGV:-}" ] || NOARGV=$(realpath "$NOARGV")
	win=
	nl=$'\n'
	if [[ $TOLYNX == *.exe ]]; then
		win=1
		nl=$'\r\n' # the console's text mode
		if [ -z "${WINE:-}" ]; then
			WINE=wine64
			[ -x /usr/lib/wine/wine64 ] && WINE=/usr/lib/wine/wine64
		fi
		export WINEDEBUG=${WINEDEBUG:--all}
	fi
	cd "$BATS_TEST_TMPDIR" || return
}

native_only()
{
	[ -z "$win" ] || skip "$1"
}

windows_only()
{
	[ -n "$win" ] || skip "$1"
}

# prog ARG...: run the program under test.
prog()
{
	if [ -n "$win" ]; then
		"$WINE" "$TOLYNX" "$@"
	else
		"$TOLYNX" "$@"
	fi
}

# tx ARG...: run the program; its streams land in out and err, its status in rc.
tx()
{
	rc=0
	prog "$@" >out 2>err || rc=$?
}

# same FILE TEXT: FILE holds exactly TEXT, each newline the platform's.
same()
{
	local want=${2//$'\n'/$nl}
	if ! printf '%s' "$want" | cmp -s - "$1"; then
		echo "$1 differs; want:"
		printf '%s' "$want" | od -c
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
	if [ -n "$win" ]; then
		# Argument 0 is the program's Windows path, as Wine maps it.
		check 127 '' "Usage: Z:${TOLYNX//\//\\} DATFILE ..."$'\n'
	else
		check 127 '' "Usage: $TOLYNX DATFILE ..."$'\n'
		(exec -a 'my tolynx' "$TOLYNX") >out 2>err && rc=0 || rc=$?
		check 127 '' $'Usage: my tolynx DATFILE ...\n'
	fi
	[ "$(ls)" = $'err\nout' ]
}

@test "no argument 0 at all: the usage line names tolynx" {
	native_only "Windows always has a command line"
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
msbody|\254\252\002\000\000\377body\n\r\n\032|0|ok|\254\252\002\001\000\377body\n\r\n\032
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
	bytes ms2 "$LYNX"

	printf "$MS" >ms1
	tx ms1 missing
	check 2 $'ms1 was successfully altered\n' $'missing: No such file or directory\n'
	bytes ms1 "$LYNX"

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
	if [ -n "$win" ]; then
		check 13 '' $'dir: Permission denied\n' # EACCES: Windows opens no folder as a file
	else
		check 21 '' $'dir: Is a directory\n'
	fi
}

@test "devices: /dev/null and /dev/full hold no header and are not written" {
	native_only "Linux devices"
	tx /dev/null /dev/full
	check 126 '' $'/dev/null is not a valid .dat file\n/dev/full is not a valid .dat file\n'
}

@test "a file without write permission is refused at the open, whatever its header" {
	# Root may write anything, so the program runs as nobody there.
	d=$(mktemp -d /tmp/tolynx-ro.XXXXXX)
	chmod 755 "$d"
	printf "$MS" >"$d/ms"
	printf "$LYNX" >"$d/lynx"
	printf 'xy' >"$d/short"
	chmod 444 "$d/ms" "$d/lynx" "$d/short"
	as=()
	if [ "$(id -u)" -eq 0 ]; then
		as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
	fi
	rc=0
	if [ -n "$win" ]; then
		# Wine wants a prefix of the user's own; it is made before the run,
		# so that none of Wine's start-up talk reaches the captured streams.
		cp "$TOLYNX" "$d/prog.exe"
		[ "$(id -u)" -eq 0 ] && chown 65534 "$d"
		wenv=(env HOME="$d" WINEPREFIX="$d/pfx" WINEDEBUG=-all)
		(cd "$d" && "${as[@]}" "${wenv[@]}" "$WINE" wineboot --init) >/dev/null 2>&1
		(cd "$d" && "${as[@]}" "${wenv[@]}" "$WINE" prog.exe ms lynx short) >out 2>err || rc=$?
		"${as[@]}" "${wenv[@]}" "${WINE%/*}/wineserver" -k >/dev/null 2>&1 || true
	else
		cp "$TOLYNX" "$d/prog"
		(cd "$d" && "${as[@]}" ./prog ms lynx short) >out 2>err || rc=$?
	fi
	check 13 '' $'ms: Permission denied\nlynx: Permission denied\nshort: Permission denied\n'
	bytes "$d/ms" "$MS"
	bytes "$d/lynx" "$LYNX"
	rm -rf "$d"
}

@test "a failed read is the system's report and error number" {
	native_only "reads the Linux process's own memory"
	# Reading the process's own memory at offset 0 fails: nothing is mapped there.
	tx /proc/self/mem
	check 5 '' $'/proc/self/mem: Input/output error\n'
}

@test "a failed seek is the system's report and error number" {
	native_only "a FIFO"
	# A FIFO opens for update and yields an MS header, but cannot seek.
	mkfifo fifo
	exec {w}<>fifo
	printf "$MS" >&"$w"
	tx fifo
	exec {w}>&-
	check 29 '' $'fifo: Illegal seek\n'
}

@test "a failed write is reported as a failure and leaves the file unchanged" {
	native_only "the Linux file size limit"
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
	prog nope 2>/dev/null || rc=$?
	[ "$rc" -eq 2 ] || { echo "to /dev/null: $rc"; return 1; }
	rc=0
	prog nope 2>errfile || rc=$?
	[ "$rc" -eq 2 ] || { echo "to a file: $rc"; return 1; }
	prog nope 2>&1 | cat >/dev/null
	[ "${PIPESTATUS[0]}" -eq 2 ] || { echo "to a pipe: ${PIPESTATUS[0]}"; return 1; }
	cmd=$(printf '%q ' ${win:+"$WINE"} "$TOLYNX")
	script -qec "${cmd}nope; echo rc=\$?" /dev/null </dev/null >tty
	grep -q '^rc=2' tty || { echo "to a terminal:"; cat -v tty; return 1; }
}

@test "with a standard stream closed, no message lands in a data file" {
	# The data file may then get the stream's descriptor.
	printf 'junk' >junk
	printf "$LYNX" >lynx
	printf "$MS" >ms
	rc=0
	prog junk lynx ms 2>&- || rc=$?
	[ "$rc" -eq 125 ] || { echo "stderr closed: status $rc"; return 1; }
	bytes junk 'junk'
	bytes lynx "$LYNX"
	bytes ms "$LYNX"

	printf "$MS" >ms
	rc=0
	prog ms junk lynx >&- 2>err || rc=$?
	[ "$rc" -eq 125 ] || { echo "stdout closed: status $rc"; return 1; }
	same err $'junk is not a valid .dat file\nlynx is already set for the Lynx ruleset\n'
	bytes ms "$LYNX"
	bytes junk 'junk'
	bytes lynx "$LYNX"
}

@test "output to one place keeps argument order" {
	printf "$MS" >a
	printf "$MS" >c
	printf 'bad!' >b
	prog a b missing c 2>&1 | cat >both
	same both $'a was successfully altered\nb is not a valid .dat file\nmissing: No such file or directory\nc was successfully altered\n'
}

# switch_all NAME...: every NAME, made an MS file, is switched in one run
# and reported under its name exactly.
switch_all()
{
	local n want=
	for n in "$@"; do
		printf "$MS" >"./$n"
		want+="$n was successfully altered"$'\n'
	done
	tx "$@"
	check 0 "$want" ''
	for n in "$@"; do
		bytes "./$n" "$LYNX"
	done
}

@test "hyphens, blanks and percent signs are plain names, printed as given" {
	switch_all - -- -x.dat 'with space.dat' ' lead' '%s%n%d.dat'
	tx '%n%s'
	check 2 '' $'%n%s: No such file or directory\n'
}

@test "bytes that are not UTF-8, a newline and a backslash are names too" {
	native_only "Windows names are UTF-16, and its paths split at backslashes"
	switch_all $'\377\376.dat' $'new\nline.dat' '\x.dat'
	tx $'\377'
	check 2 '' $'\377: No such file or directory\n'
}

@test "the start-up code expands *.dat: each match once, the rest untouched" {
	windows_only "the shell expands patterns on Linux"
	for n in a b c; do printf "$MS" >"$n.dat"; done
	printf "$MS" >d.txt
	printf "$MS" >dat
	tx '*.dat'
	[ "$rc" -eq 0 ] || { echo "status $rc"; cat err; return 1; }
	same err ''
	# The order is the start-up code's; each match comes once.
	sort out >sorted
	same sorted $'a.dat was successfully altered\nb.dat was successfully altered\nc.dat was successfully altered\n'
	for n in a b c; do bytes "$n.dat" "$LYNX"; done
	bytes d.txt "$MS"
	bytes dat "$MS"
}

@test "a pattern that matches nothing reaches the open as it was given" {
	windows_only "the shell expands patterns on Linux"
	printf "$MS" >a.txt
	tx 'none*.dat' 'a?.dat'
	# EINVAL: Windows file names may not hold * or ?.
	check 22 '' $'none*.dat: Invalid argument\na?.dat: Invalid argument\n'
	bytes a.txt "$MS"
}

@test "a quoted name with a space is one file" {
	windows_only "the shell splits the command line on Linux"
	printf "$MS" >'my file.dat'
	printf "$MS" >my
	printf "$MS" >file.dat
	tx 'my file.dat'
	check 0 $'my file.dat was successfully altered\n' ''
	bytes 'my file.dat' "$LYNX"
	bytes my "$MS"
	bytes file.dat "$MS"
}
