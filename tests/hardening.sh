#!/bin/sh
# hardening.sh BINARY: the binary itself shows PIE, full RELRO, the stack
# protector and fortified calls.
set -u
bin=${1:?usage: hardening.sh BINARY}
fail=0

no() {
	echo "$bin: $1" >&2
	fail=1
}

readelf -hW "$bin" | grep -q 'Type: *DYN' || no "not a position-independent executable"
readelf -lW "$bin" | grep -q 'GNU_RELRO' || no "no RELRO segment"
readelf -dW "$bin" | grep -Eq 'BIND_NOW|FLAGS_1.*NOW' || no "relocations not bound at start (-z now)"
syms=$(readelf --dyn-syms -W "$bin")
echo "$syms" | grep -q '__stack_chk_fail' || no "no stack protector"
echo "$syms" | grep -Eq '__[a-z]+_chk@' || no "no fortified calls (_FORTIFY_SOURCE)"
[ "$fail" -eq 0 ] && echo "$bin: PIE, full RELRO, stack protector, fortified"
exit "$fail"
