#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root), then configures and builds the release tree.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake ninja-build g++ pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
    libssl-dev libopenblas-dev
    qt6-base-dev libqt6opengl6-dev libglu1-mesa-dev libgl-dev
    xvfb xauth libgl1-mesa-dri fonts-liberation2 fonts-dejavu-core
    clang libclang-rt-14-dev locales
    dpkg-dev lintian desktop-file-utils python3-jsonschema jq
    libsqlite3-dev qt6-svg-dev chromium
    ansible-core ansible-lint slurm-wlm munge
    qemu-user clang-format clang-tidy
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi

cmake --preset release
cmake --build --preset release
