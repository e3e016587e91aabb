#!/usr/bin/env bash
# Installs what building and testing the launcher needs on Debian 12: Wine for
# 32- and 64-bit programs, the mingw-w64 cross compilers, CMake and Ninja,
# GoogleTest, clang with its sanitizer and fuzzer runtimes, a JDK, and what
# building the real test VM for Windows needs (make, patch, zlib for Linux and
# for mingw-w64), and ImageMagick and the X utilities for the pictures of the
# dialogs taken under Xvfb.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
# A mirror in the middle of a sync serves index files that do not match for a
# while (then the i386 packages cannot be resolved): try again a few times.
install() {
    $sudo apt-get update -q || return 1
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
    make patch zlib1g-dev libz-mingw-w64-dev imagemagick x11-utils && exit 0
done
exit 1
