#!/usr/bin/env bash
# scripts/deps.sh where it cannot install: with packages missing and no apt-get it
# lists them and stops with status 1; DISPC_SKIP_DEPS skips it; an unknown group is a
# usage error. dpkg-query is replaced by one that finds nothing installed.
set -euo pipefail
# The caller's own setting must not reach the runs below.
unset DISPC_SKIP_DEPS
deps=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin"
printf '#!/bin/sh\nexit 1\n' >"$tmp/bin/dpkg-query"
chmod +x "$tmp/bin/dpkg-query"
for tool in bash cat grep id; do ln -s "$(command -v "$tool")" "$tmp/bin/$tool"; done

rc=0
PATH=$tmp/bin bash "$deps" fuzz 2>"$tmp/err" || rc=$?
[ "$rc" -eq 1 ]
grep -q 'apt-get is not available' "$tmp/err"
# The list names what the group needs: every build's packages and the fuzz toolchain,
# and nothing of the other groups.
grep -q '^  apt-get install cmake ninja-build g++ .* clang libclang-rt-dev$' "$tmp/err"
! grep -q 'libgtest-dev\|libbenchmark-dev' "$tmp/err"

[ "$(DISPC_SKIP_DEPS=1 PATH=$tmp/bin bash "$deps")" = "deps: skipped (DISPC_SKIP_DEPS=1)" ]
rc=0
PATH=$tmp/bin bash "$deps" nonsense 2>/dev/null || rc=$?
[ "$rc" -eq 2 ]
echo "deps test: refusal, skip and usage paths"
