#!/usr/bin/env bash
# Installs what building and testing the launcher needs on Debian 12: Wine for
# 32- and 64-bit programs, the mingw-w64 cross compilers, CMake and Ninja,
# GoogleTest, clang with its sanitizer and fuzzer runtimes, a JDK, and what
# building the real test VM for Windows needs (make, patch, zlib for Linux and
# for mingw-w64), and ImageMagick and the X utilities for the pictures of the
# dialogs taken under Xvfb; for the branding tool's tests, the independent
# readers of executables (python3-pefile, icoutils, osslsigncode) and Maven
# with the plugins a jar build and the exec plugin need, from Debian's own
# repository (offline).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
# A mirror in the middle of a sync serves index files that do not match its
# release file for a while, seen for hours with bookworm-security's i386 index;
# without it the i386 packages cannot be resolved. Such an index is fetched
# once as the mirror has it and used as an older copy would be (the packages
# are still checked against it); otherwise try again a few times.
lists=/var/lib/apt/lists
take_unmatched_indexes() {  # apt-get update's output
    local url
    for url in $(sed -n 's/^E: Failed to fetch \(http[^ ]*\/Packages\.xz\) .*unexpected size.*/\1/p' "$1" | sort -u); do
        local name
        name=$(printf '%s' "${url#*://}" | sed 's|/|_|g; s|\.xz$||')
        echo "using $url as the mirror has it" >&2
        $sudo /usr/lib/apt/apt-helper download-file "$url" /tmp/unmatched-index.xz >/dev/null &&
            $sudo /usr/lib/apt/apt-helper cat-file /tmp/unmatched-index.xz | $sudo tee "$lists/$name" >/dev/null ||
            return 1
    done
}
install() {
    local log
    log=$(mktemp)
    if ! $sudo apt-get update -q 2>&1 | tee "$log"; then :; fi
    if grep -q '^E: ' "$log"; then
        take_unmatched_indexes "$log" || { rm -f "$log"; return 1; }
    fi
    rm -f "$log"
    $sudo apt-get install -y -q --no-install-recommends "$@"
}
for attempt in 1 2 3 4 5 6; do
    [ "$attempt" -eq 1 ] || { echo "apt failed; trying again in 60 s" >&2; sleep 60; }
    # wine64 must be named: without it prefixes are 32-bit and no x64 exe runs.
    install \
    wine wine32:i386 wine64 \
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix \
    cmake ninja-build googletest g++ clang libclang-rt-14-dev \
    openjdk-17-jdk-headless xvfb xauth \
    make patch zlib1g-dev libz-mingw-w64-dev imagemagick x11-utils \
    python3-pefile icoutils osslsigncode openssl \
    maven libexec-maven-plugin-java libmaven-resources-plugin-java libmaven-compiler-plugin-java \
    libsurefire-java libmaven-jar-plugin-java && exit 0
done
exit 1
