#!/usr/bin/env bash
# Sourced by every script here: installs, with apt-get, whatever the build and
# the tests need and this Debian machine lacks (quiet when all is present), and
# configures and builds the tree.
set -euo pipefail

# Liberation Sans 2, which the stand-in fonts are made from: fonts-liberation2 on Debian 12;
# from Debian 13 on that package is an empty transitional one and fonts-liberation holds it.
liberationPackage() {
    grep -qx 'VERSION_CODENAME=bookworm' /etc/os-release 2>/dev/null && echo fonts-liberation2 || echo fonts-liberation
}

TARVO_PACKAGES=(
    cmake make g++ doctest-dev                      # native build and unit tests
    g++-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64  # Tarvo.exe
    wine wine64 xvfb xauth libgl1-mesa-dri          # running it
    python3 python3-fonttools "$(liberationPackage)"  # stand-in fonts for the tests
    icoutils zip unzip                              # resource listing, release zip
    wixl msitools faketime                          # the MSI installer, stamped with the commit's time
    osslsigncode openssl                            # signing a release, and the signing test
    x11-utils                                       # run.sh: is there a window manager?
    openbox x11-apps xdotool                        # the desktop test: a window manager, another client, input;
                                                    # the pointer where each Wine test expects it
)

missingPackages() {
    local package
    for package in "${TARVO_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || echo "$package"
    done
}

ensureDependencies() {
    local missing
    missing=$(missingPackages)
    [ -z "$missing" ] && return 0
    if ! command -v apt-get >/dev/null; then
        echo "error: missing packages ($(echo $missing)) and no apt-get to install them; this needs Debian 12 or 13." >&2
        return 1
    fi
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "error: missing packages ($(echo $missing)); run as root or install sudo." >&2
            return 1
        fi
        sudo="sudo"
    fi
    echo "Installing: $(echo $missing)"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    # shellcheck disable=SC2086
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

# Installs what is missing, configures the build folder ($TARVO_BUILD_DIR, else
# build) and builds the given targets (everything when none is given).
prepareBuild() {
    cd "$(dirname "${BASH_SOURCE[0]}")/.."
    ensureDependencies
    build=${TARVO_BUILD_DIR:-build}
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    local targets=()
    for target in "$@"; do targets+=(--target "$target"); done
    cmake --build "$build" "${targets[@]}" -j"$(nproc)"
}
