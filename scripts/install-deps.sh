#!/usr/bin/env bash
# Installs the Debian packages Rowbit needs, only those missing.
#   install-deps.sh build   what building the program needs
#   install-deps.sh run     + what showing it needs (fonts, Qt's own translations, a virtual
#                           display for headless checks)
#   install-deps.sh test    + the peers that judge the workbook engine, the style checker, and
#                           the checkers of the installed desktop entry and metainfo and of
#                           the .deb's library dependencies, the manual pages' viewer, the
#                           bash completion's home and Debian's package checker (lintian)
#   install-deps.sh fuzz    + clang and its runtime (libFuzzer and the sanitizers)
set -euo pipefail
what=${1:-build}

packages=(cmake ninja-build g++ pkg-config
          qt6-base-dev qt6-svg-dev
          libzip-dev libisal-dev libpugixml-dev libgsf-1-dev nlohmann-json3-dev libcli11-dev
          zlib1g-dev
          fonts-nanum)
case "$what" in
    run)  packages+=(xvfb xauth qt6-translations-l10n) ;;
    test) packages+=(libgtest-dev clang-format python3-xlrd python3-openpyxl python3-xlwt
                    poppler-utils desktop-file-utils appstream dpkg-dev file
                    man-db bash-completion lintian qt6-translations-l10n) ;;
    fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
esac

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
