#!/usr/bin/env bash
# install_test.sh BUILD BINDIR LIBDIR VERSION CXX CXXFLAGS LDFLAGS CC [PYTHON SITEDIR]
# Installs BUILD into a temporary prefix, then, with no library path set: runs the
# installed program, builds the programs of consumer/ through the CMake package and
# one of them through pkg-config, and runs them; with PYTHON, imports the package from
# the prefix's SITEDIR and from the build tree with PYTHONPATH alone. What they print
# shows on failure.
set -euo pipefail
trap 'echo "install test: failed: $BASH_COMMAND (line $LINENO)" >&2' ERR
build=$1 bindir=$2 libdir=$3 version=$4 cxx=$5 cxxflags=$6 ldflags=$7 cc=$8 python=${9:-} site=${10:-}
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
major=${version%%.*}
unset LD_LIBRARY_PATH

# A prefix spelled with a detour: the pkg-config files name it normalised.
mkdir -p "$tmp/detour"
cmake --install "$build" --prefix "$tmp/detour/../prefix" >/dev/null

# Run paths: the program looks in the library directory relative to itself, and each
# library finds the ones it needs beside itself.
runpath=$(readelf -d "$prefix/$bindir/dispc" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
[ "$runpath" = "\$ORIGIN/$(realpath -m --relative-to="$prefix/$bindir" "$prefix/$libdir")" ]
needed=$(ldd "$prefix/$libdir/libzscreen.so")
for lib in dispc zfound; do
  [[ $needed == *"lib$lib.so.$major => $prefix/$libdir/lib$lib.so.$major "* ]]
done

# The installed program.
[ "$("$prefix/$bindir/dispc" --version)" = "dispc $version" ]
demo=$("$prefix/$bindir/dispc" demo -o "$tmp/out")
echo "$demo"
[[ $demo == *"scene replay: pixels identical"* ]]
[ -s "$tmp/out/scene.png" ]

# Through the CMake package.
cmake -S "$here/consumer" -B "$tmp/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_C_FLAGS="$cxxflags"
cmake --build "$tmp/consumer"
"$tmp/consumer/screen_consumer" "$tmp/cmake.png"
[ -s "$tmp/cmake.png" ]
# It needs the foundation library only through the display core's run path.
[[ $(readelf -d "$tmp/consumer/core_consumer") != *"[libzfound.so"* ]]
"$tmp/consumer/core_consumer"
"$tmp/consumer/grlist_consumer" >/dev/null

# Through pkg-config: each library's file brings the one below it.
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
[ "$(pkg-config --modversion zscreen)" = "$version" ]
libs=" $(pkg-config --libs zscreen) "
for lib in zscreen dispc zfound; do [[ $libs == *" -l$lib "* ]]; done
[[ " $(pkg-config --cflags zscreen) " == *" -I$prefix/include "* ]]
# shellcheck disable=SC2046,SC2086
"$cxx" $cxxflags -o "$tmp/pc_consumer" "$here/consumer/screen_consumer.cpp" $(pkg-config --cflags --libs zscreen) \
  -Wl,-rpath,"$(pkg-config --variable=libdir zscreen)" $ldflags
"$tmp/pc_consumer" "$tmp/pkgconfig.png"
[ -s "$tmp/pkgconfig.png" ]
# shellcheck disable=SC2046,SC2086
"$cc" $cxxflags -o "$tmp/pc_grlist" "$here/../grlist/c_program.c" $(pkg-config --cflags --libs grlist) \
  -Wl,-rpath,"$(pkg-config --variable=libdir grlist)" $ldflags && "$tmp/pc_grlist" >/dev/null
# The Python package, from the prefix and from the build tree: each draws and reads back.
if [ -n "$python" ]; then
  check='import dispc, sys
s = dispc.zcScreen(8, 8)
dispc.zcUITablet(s).draw_circle((4, 4), 2, "red")
assert s.pel(6, 4) == (255, 0, 0)
print(dispc.__file__)'
  # A sanitized build's module needs its runtime preloaded (DISPC_PYTHON_PRELOAD).
  run() { (cd "$tmp" && LD_PRELOAD="${DISPC_PYTHON_PRELOAD:-}" ASAN_OPTIONS=detect_leaks=0 PYTHONPATH="$1" "$python" -c "$check"); }
  from_prefix=$(run "$prefix/$site")
  [[ $from_prefix == "$prefix/$site/dispc/"* ]]
  from_build=$(run "$build/python")
  [[ $from_build == "$build/python/dispc/"* ]]
fi
echo "install test: prefix, program and both consumers work"
