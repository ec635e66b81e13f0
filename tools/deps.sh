#!/usr/bin/env bash
# Installs with apt-get whatever of Tesra's build and test dependencies is missing.
# Quiet when everything is there; runs "apt-get update" once, only when it must install.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-tools-dev qt6-l10n-tools libgl-dev libpng-dev libjpeg62-turbo-dev zlib1g-dev libdeflate-dev
  qt6-translations-l10n  # Qt's own texts (file dialogs) in the user's language
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth
  time  # GNU time: the load memory benchmark reads its maximum resident size
  libtiff-dev  # the bare library as the reference of the TIFF benchmarks
  # fuzzing
  clang-14 libclang-rt-14-dev
)
if [ "${1:-}" = "--tests" ]; then
  packages+=(
    # outside test images and independent decoders for cross-checks
    gdk-pixbuf-tests libsixel-examples checkit-tiff golang-golang-x-image-dev
    imagemagick netpbm libtiff-tools python3-pil libjpeg-turbo-progs
    libreoffice-calc-nogui  # a real spreadsheet opens the sheet's copied text
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
