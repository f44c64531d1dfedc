#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Safe to run again; works as root on a fresh machine with no package lists yet.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libx11-dev libpixman-1-dev libfreetype-dev libfontconfig-dev libicu-dev
  libpng-dev libjpeg62-turbo-dev zlib1g-dev libsqlite3-dev
  fonts-dejavu-core fonts-liberation xvfb
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then sudo="sudo"; else
    echo "setup: missing packages (${missing[*]}) and not root; install them or run as root" >&2
    exit 1
  fi
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! $sudo apt-get update -qq >/dev/null; then
  echo "setup: apt-get update failed; cannot install ${missing[*]}" >&2
  exit 1
fi
if ! $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
  echo "setup: apt-get install failed for: ${missing[*]}" >&2
  exit 1
fi
