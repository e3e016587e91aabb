#!/usr/bin/env bash
# Builds the launcher and runs its tests or the sample application.
#
#   ./build.sh sample   build both executables and the sample, run Sample.exe under Wine
#   ./build.sh test     build everything and run all tests (native, then both Windows builds)
#   ./build.sh build    build everything, run nothing
#
# Build folders go to build/ (LAUNCHER_BUILD_DIR); the Windows tests run in a
# throw-away Wine prefix there (LAUNCHER_WINE_PREFIX), never in ~/.wine.
set -euo pipefail

root=$(cd "$(dirname "$0")" && pwd)
build=${LAUNCHER_BUILD_DIR:-$root/build}
prefix=${LAUNCHER_WINE_PREFIX:-$build/wineprefix}
jobs=${LAUNCHER_JOBS:-$(nproc)}

# A fresh machine gets the packages first (as root, or through sudo).
ensure_tools() {
    local tool
    for tool in cmake ninja wine wineserver i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix javac \
        wrestool osslsigncode mvn; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            "$root/cmake/install-packages.sh"
            return
        fi
    done
    [ -d /usr/src/googletest ] && [ -f /usr/i686-w64-mingw32/lib/libz.a ] && command -v patch >/dev/null \
        && [ -x /usr/bin/import ] && command -v xwininfo >/dev/null \
        && /usr/bin/python3 -c 'import pefile' 2>/dev/null \
        || "$root/cmake/install-packages.sh"
}

configure_native() {
    local cxx=g++ cc=gcc fuzz=OFF
    if command -v clang++ >/dev/null 2>&1; then cxx=clang++ cc=clang fuzz=ON; fi
    cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_COMPILER=$cxx -DCMAKE_C_COMPILER=$cc \
        -DLAUNCHER_SANITIZE=ON -DLAUNCHER_FUZZ=$fuzz >/dev/null
}

configure_windows() {  # name toolchain [cmake options]
    cmake -S "$root" -B "$build/$1" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2" -DLAUNCHER_WINE_PREFIX="$prefix" "${@:3}" >/dev/null
}

build_windows() {
    # Each architecture's end-to-end tests use the other's executables (the
    # 64-bit sibling, stand-in runtimes of the other machine type).
    configure_windows win64 toolchain-x86_64-mingw.cmake -DLAUNCHER_SIBLING_BUILD_DIR="$build/win32"
    cmake --build "$build/win64" -j "$jobs"
    configure_windows win32 toolchain-i686-mingw.cmake -DLAUNCHER_SIBLING_BUILD_DIR="$build/win64"
    cmake --build "$build/win32" -j "$jobs"
}

build_all() {
    configure_native
    cmake --build "$build/native" -j "$jobs"
    build_windows
}

stop_wine() {
    "$root/cmake/wine-prefix.sh" "$prefix" stop
}

# Some kernels run no 32-bit Linux programs (IA32 emulation left out or turned
# off), and Wine's 32-bit loader with them: "Exec format error". There only the
# 64-bit Wine can run, so "wine" is pointed at it and the 32-bit Windows
# programs cannot run at all; their tests are left out, and said so.
x86_runs=yes
use_wine64_only() {
    # LAUNCHER_WINE64_ONLY=1 takes this way on any machine, to try it out.
    local loader=/usr/lib/wine/wine
    if [ -z "${LAUNCHER_WINE64_ONLY:-}" ] && [ -x "$loader" ] && "$loader" --version >/dev/null 2>&1; then
        return 0
    fi
    x86_runs=no
    local shim="$build/wine64-only"
    mkdir -p "$shim"
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/$name"
        chmod +x "$shim/$name"
    done
    export PATH="$shim:$PATH"
    echo "== this machine cannot run 32-bit programs: Wine runs 64-bit only, the 32-bit build's tests are skipped" >&2
}

case "${1:-}" in
    build|test|sample) ensure_tools ;;
esac

case "${1:-}" in
    build)
        build_all
        ;;
    test)
        build_all
        use_wine64_only
        trap stop_wine EXIT
        "$root/cmake/wine-prefix.sh" "$prefix"
        status=0
        for dir in native win32 win64; do
            echo "== tests: $dir"
            if [ "$dir" = win32 ] && [ "$x86_runs" = no ]; then
                echo "skipped: this machine cannot run 32-bit programs"
                continue
            fi
            # Wine now and then fails to start a program at all ("ShellExecuteEx
            # failed"); such a test is run again, a real failure fails every time.
            (cd "$build/$dir" && ctest --output-on-failure -j "$jobs" --repeat until-pass:3) || status=1
        done
        exit $status
        ;;
    sample)
        build_windows
        use_wine64_only
        trap stop_wine EXIT
        "$root/cmake/wine-prefix.sh" "$prefix"
        # No Windows JDK can be installed here: the sample runs on the real
        # test VM (Avian, built for Windows by the test build; see
        # tests/realjvm), laid out as a runtime beside the executable in a
        # copy of dist/sample. With a JDK or JRE registered on Windows,
        # dist/sample runs as it is.
        run="$build/sample-run"
        rm -rf "$run"
        cp -a "$root/dist/sample" "$run"
        mkdir -p "$run/jre/bin/server"
        arch=win32
        if [ "$x86_runs" = no ]; then
            # The same application on the 64-bit build of the launcher.
            arch=win64
            java -jar "$root/dist/launcher-brand.jar" --arch x64 --output "$run/Sample.exe" \
                --settings "$root/sample/Sample.ini" --messages en
        fi
        cp "$build/$arch/bin/realjvm.dll" "$run/jre/bin/server/jvm.dll"
        : > "$run/jre/bin/java.dll"
        echo "== running $run/Sample.exe under Wine"
        set +e
        WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
            timeout 120 wine "$run/Sample.exe" hello "two words"
        code=$?
        set -e
        echo "== SampleApp's System.out went to $run/sample-output.log:"
        cat "$run/sample-output.log" 2>/dev/null || true
        echo "== Sample.exe ended with exit code $code (a shell sees the low byte: 255 is -1)"
        [ "$code" -eq 0 ]
        ;;
    *)
        sed -n '2,9p' "$0"
        exit 2
        ;;
esac
