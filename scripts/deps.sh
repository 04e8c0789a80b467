#!/usr/bin/env bash
# Installs the Debian packages that one kind of build needs and that are missing, and
# only those; a no-op on a machine that has them.
#
#   deps.sh [GROUP...]    GROUP: build (default), test, bench, fuzz, coverage, all
#
# build     what every build needs: the compiler, CMake, Ninja, and pkg-config, Cairo,
#           libpng, CLI11 and the DejaVu fonts for the screen library and the program;
#           pybind11, the Python headers and numpy for the Python package
# test      build + GoogleTest/GoogleMock (also the sanitizer builds), pytest, and the
#           footprint library whose outlines the import tests read (their tests skip
#           without it; installed without recommends, which would bring the whole
#           design suite)
# bench     build + Google Benchmark, OpenCV's Python module (a peer for the Python bench)
# fuzz      build + clang and its runtime libraries (libFuzzer, sanitizers)
# coverage  test + gcovr
#
# DISPC_SKIP_DEPS=1 skips the check (for machines whose packages are managed by other
# means). Where packages are missing and cannot be installed (no apt-get, or neither
# root nor sudo), the script lists them and exits with status 1.
set -euo pipefail

if [ -n "${DISPC_SKIP_DEPS:-}" ] && [ "${DISPC_SKIP_DEPS}" != 0 ]; then
  echo "deps: skipped (DISPC_SKIP_DEPS=${DISPC_SKIP_DEPS})"
  exit 0
fi

build=(cmake ninja-build g++ pkg-config libcairo2-dev libpng-dev libcli11-dev fonts-dejavu-core
       pybind11-dev python3-dev python3-numpy)
test=(libgtest-dev libgmock-dev python3-pytest kicad-footprints poppler-utils)
bench=(libbenchmark-dev python3-opencv)
# The unversioned runtime package follows the default clang of the release.
fuzz=(clang libclang-rt-dev)
coverage=(gcovr)

need=("${build[@]}")
for group in "${@:-build}"; do
  case "$group" in
    build) ;;
    test) need+=("${test[@]}") ;;
    bench) need+=("${bench[@]}") ;;
    fuzz) need+=("${fuzz[@]}") ;;
    coverage) need+=("${test[@]}" "${coverage[@]}") ;;
    all) need+=("${test[@]}" "${bench[@]}" "${fuzz[@]}" "${coverage[@]}") ;;
    *) echo "deps: unknown group '$group' (build, test, bench, fuzz, coverage, all)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${need[@]}"; do
  [[ " ${missing[*]} " == *" $p "* ]] && continue
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
reason=""
if ! command -v apt-get >/dev/null 2>&1; then
  reason="apt-get is not available"
elif [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
  else
    reason="not running as root and sudo is not available"
  fi
fi
if [ -n "$reason" ]; then
  cat >&2 <<EOF
deps: cannot install the missing packages: $reason.
Install these Debian 12 packages by hand (or their equivalents on another system):

  apt-get install ${missing[*]}

then run this again, or set DISPC_SKIP_DEPS=1 to build without this check.
EOF
  exit 1
fi

echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
