#!/usr/bin/env bash
# Installs the Debian packages the build needs that are missing, and only those.
# A no-op on a machine that has them all.
set -euo pipefail

need=(cmake ninja-build g++ clang libclang-rt-14-dev
      libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
      pkg-config libcairo2-dev libpng-dev fonts-dejavu-core)

missing=()
for p in "${need[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
