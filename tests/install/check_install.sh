#!/usr/bin/env bash
# Installs a build tree into a fresh prefix and uses the installation as an outside program would: the embedding
# example is built against it once with find_package(KxwObjMgr) and once with pkg-config, and both programs must
# print what the build tree's own kxwdemo prints. Also checks the installed files: the public headers, the versioned
# sonames, the RPATHs that keep the installation self-contained (also once moved), the player, and the run-time data.
#
#   check_install.sh SOURCE_DIR BUILD_DIR KXWDEMO VERSION CXX GENERATOR BINDIR LIBDIR INCLUDEDIR DATADIR [FLAGS]
#
# KXWDEMO is the build tree's example, VERSION the project's version, CXX the compiler of the build, GENERATOR its
# CMake generator, the four DIRs the GNUInstallDirs folders relative to the prefix, FLAGS the compile and link flags
# that an outside program needs with this build (the sanitizers' in a sanitizer build). Skipped (status 77) on a
# machine without readelf, ldd or pkg-config.
set -u
for tool in readelf ldd pkg-config; do
    command -v "$tool" >/dev/null || {
        echo "SKIP: no $tool on this machine"
        exit 77
    }
done
src=$1 build=$2 demo=$3 version=$4 cxx=$5 generator=$6 bindir=$7 libdir=$8 includedir=$9 datadir=${10}
flags=${11:-}
major=${version%%.*}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# Nothing from the caller's environment may lead a program to the build tree's libraries.
unset LD_LIBRARY_PATH PKG_CONFIG_PATH CMAKE_PREFIX_PATH

if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install $build"
    exit 1
fi

# The public headers, every one and nothing else.
(cd "$src/include/kxw" && ls *.h) >"$work/headers.src"
(cd "$prefix/$includedir/kxw" 2>/dev/null && ls) >"$work/headers.installed"
diff -u "$work/headers.src" "$work/headers.installed" >/dev/null ||
    fail "the installed $includedir/kxw/ differs from include/kxw/: $(diff "$work/headers.src" "$work/headers.installed" | tr '\n' ' ')"

# Each library as libX.so.VERSION with its soname libX.so.MAJOR, the link-time name libX.so, and RUNPATH $ORIGIN so
# that it finds the other two beside it.
for lib in KxwObjMgr KxwJsw KxwPlatform; do
    file=$prefix/$libdir/lib$lib.so.$version
    if [ ! -f "$file" ] || [ ! -L "$prefix/$libdir/lib$lib.so.$major" ] || [ ! -L "$prefix/$libdir/lib$lib.so" ]; then
        fail "lib$lib.so.$version with its links lib$lib.so.$major and lib$lib.so is not in $libdir/"
        continue
    fi
    readelf -d "$file" >"$work/$lib.dynamic"
    grep -q "(SONAME).*\[lib$lib\.so\.$major\]" "$work/$lib.dynamic" || fail "lib$lib's soname is not lib$lib.so.$major"
    grep -q '(RUNPATH).*\[\$ORIGIN\]' "$work/$lib.dynamic" || fail "lib$lib's RUNPATH is not \$ORIGIN"
done
if [ -f "$work/KxwObjMgr.dynamic" ]; then
    for needed in KxwJsw KxwPlatform; do
        grep -q "(NEEDED).*\[lib$needed\.so\.$major\]" "$work/KxwObjMgr.dynamic" ||
            fail "libKxwObjMgr does not need lib$needed.so.$major"
    done
fi

# The player finds its libraries in the prefix through its RUNPATH alone.
kxwplay=$prefix/$bindir/kxwplay
readelf -d "$kxwplay" >"$work/kxwplay.dynamic" 2>&1 || fail "kxwplay is not in $bindir/"
lib_from_bin=$(realpath -m --relative-to="$prefix/$bindir" "$prefix/$libdir")
grep -q "(RUNPATH).*\[\$ORIGIN/$lib_from_bin\]" "$work/kxwplay.dynamic" ||
    fail "kxwplay's RUNPATH is not \$ORIGIN/$lib_from_bin: $(grep -E 'R(UN)?PATH' "$work/kxwplay.dynamic")"
grep -q "(NEEDED).*\[libKxwObjMgr\.so\.$major\]" "$work/kxwplay.dynamic" || fail "kxwplay does not need libKxwObjMgr.so.$major"
if ! played=$("$kxwplay" --version 2>&1); then
    fail "installed kxwplay --version failed: $played"
elif [ "$played" != "kxwplay $version" ]; then
    fail "installed kxwplay --version printed \"$played\", not \"kxwplay $version\""
fi

# The applet bridge's archives beside the library, found there by the installed player: a page's applet runs (when
# the build made the bridge and its test applets).
if [ -f "$build/lib/java/VokApplet.jar" ] && [ -f "$build/tests/applet/kxwtest.jar" ]; then
    for jar in VokApplet VokAppletDesktop VokAppletJSObject; do
        [ -f "$prefix/$libdir/java/$jar.jar" ] || fail "$jar.jar is not in $libdir/java/"
    done
    mkdir -p "$work/applet/jars"
    cp "$src/tests/e2e/pages/applet/members.html" "$work/applet/"
    cp "$build/tests/applet/kxwtest.jar" "$work/applet/jars/"
    echo "java_applets_enabled=on" >"$work/applet.settings"
    printf 'goto file://%s/applet/members.html\nexpect document.tester.add(20, 22) == 42\n' "$work" >"$work/applet.steps"
    # The leak check cannot run with a Java VM in the process (a sanitizer build): it is left out of this run.
    if ! applet_run=$(ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$kxwplay" --settings "$work/applet.settings" "$work/applet.steps" 2>&1); then
        fail "the installed kxwplay did not run an applet: $(echo "$applet_run" | grep -E 'FAIL|kxwplay:' | head -3 | tr '\n' ' ')"
    fi
fi

# The files the library reads at run time, when the source tree has them.
if [ -d "$src/data" ]; then
    diff -r "$src/data" "$prefix/$datadir/kxwobjmgr" >"$work/data.diff" 2>&1 ||
        fail "$datadir/kxwobjmgr/ is not a copy of data/: $(head -5 "$work/data.diff" | tr '\n' ' ')"
fi

# A program's libraries must all come from the prefix (ldd shows where the loader finds them).
check_libraries_from_prefix() {
    local program=$1 lib where
    for lib in KxwObjMgr KxwJsw KxwPlatform; do
        where=$(ldd "$program" | sed -n "s/^[[:space:]]*lib$lib\.so\.$major => \([^ ]*\).*/\1/p")
        case $where in
            "$prefix/$libdir/"*) ;;
            *) fail "$(basename "$program") finds lib$lib.so.$major at \"$where\", not in the prefix" ;;
        esac
    done
}

"$demo" >"$work/expected.out" 2>&1 || fail "the build tree's kxwdemo failed"

# The example's output, and its status, from a program built outside the tree.
run_outside_demo() {
    local how=$1 program=$2
    check_libraries_from_prefix "$program"
    if ! "$program" >"$work/$how.out" 2>&1; then
        fail "kxwdemo built with $how failed: $(tail -3 "$work/$how.out" | tr '\n' ' ')"
    elif ! diff -u "$work/expected.out" "$work/$how.out"; then
        fail "kxwdemo built with $how printed other lines than the build tree's"
    else
        echo "kxwdemo built with $how: $(wc -l <"$work/$how.out") lines as the build tree's, status 0"
    fi
}

# (1) find_package(KxwObjMgr), the package found under the prefix only.
if cmake -S "$src/tests/install/consumer" -B "$work/cmake-build" -G "$generator" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DKXW_DEMO_SOURCE="$src/examples/kxwdemo.cpp" \
    >"$work/cmake-configure.log" 2>&1 &&
    cmake --build "$work/cmake-build" >"$work/cmake-build.log" 2>&1; then
    grep -q "KxwObjMgr $version from $prefix/" "$work/cmake-configure.log" ||
        fail "find_package did not take KxwObjMgr $version from the prefix: $(grep 'KxwObjMgr ' "$work/cmake-configure.log")"
    run_outside_demo find_package "$work/cmake-build/kxwdemo"
else
    cat "$work/cmake-configure.log" "$work/cmake-build.log" 2>/dev/null | tail -30
    fail "kxwdemo does not build with find_package(KxwObjMgr)"
fi

# (2) pkg-config, from the installed .pc file only; the program's RPATH points into the prefix.
export PKG_CONFIG_LIBDIR=$prefix/$libdir/pkgconfig
pc_version=$(pkg-config --modversion kxwobjmgr 2>&1)
[ "$pc_version" = "$version" ] || fail "pkg-config --modversion kxwobjmgr gave \"$pc_version\", not \"$version\""
if pc_flags=$(pkg-config --cflags --libs kxwobjmgr 2>&1); then
    # shellcheck disable=SC2086  # the flags are words
    if "$cxx" -Wall -Wextra -Werror $flags "$src/examples/kxwdemo.cpp" $pc_flags \
        -Wl,-rpath,"$prefix/$libdir" -o "$work/kxwdemo-pc" >"$work/pc-build.log" 2>&1; then
        run_outside_demo pkg-config "$work/kxwdemo-pc"
    else
        tail -30 "$work/pc-build.log"
        fail "kxwdemo does not build with pkg-config --cflags --libs kxwobjmgr ($pc_flags)"
    fi
else
    fail "pkg-config --cflags --libs kxwobjmgr: $pc_flags"
fi

# The installation moved elsewhere still holds together: the player's RUNPATH and the .pc file are relative to where
# they are.
moved=$work/moved
mv "$prefix" "$moved"
if ! played=$("$moved/$bindir/kxwplay" --version 2>&1); then
    fail "kxwplay of the moved installation failed: $played"
fi
pc_libdir=$(PKG_CONFIG_LIBDIR=$moved/$libdir/pkgconfig pkg-config --variable=libdir kxwobjmgr 2>&1)
[ "$(realpath -m "$pc_libdir")" = "$moved/$libdir" ] ||
    fail "kxwobjmgr.pc of the moved installation gives the libdir \"$pc_libdir\", not $moved/$libdir"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) of the installation failed"
    exit 1
fi
echo "installation in a fresh prefix: headers, libraries, player and both outside builds as expected"
