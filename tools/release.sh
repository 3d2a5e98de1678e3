#!/usr/bin/env bash
# Builds the release: a stripped Nimbrel.exe in dist/Nimbrel-<version>-win64.zip with a user
# README and the licence texts of what is linked, and dist/Nimbrel-<version>-relink.zip with
# what the LGPL asks for (the program's objects and static libraries, the link line and
# FFmpeg's source) with the dav1d that FFmpeg is built with. Then relinks from that archive
# and checks the exe in a fresh Wine prefix.
#   tools/release.sh            build, package, check
#   tools/release.sh --no-check build and package only
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
check=1
[ "${1:-}" = "--no-check" ] && check=0

"$root/tools/setup.sh"
build="$root/build-release"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
BUILD_DIR="$build" "$root/tools/build.sh" Nimbrel

# 1.7.1.0 -> 1.7.1
version=$(sed -nE 's/^project\(Nimbrel VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
version=${version%.0}
ffmpeg_prefix=$(sed -nE 's/^FFMPEG_PREFIX:INTERNAL=(.*)/\1/p' "$build/CMakeCache.txt")
ffmpeg_debian=$(sed -nE 's/^version=(.*)/\1/p' "$ffmpeg_prefix/flags.txt")   # 7:5.1.9-0+deb12u1
ffmpeg_debian=${ffmpeg_debian#*:}
ffmpeg_upstream=${ffmpeg_debian%%-*}
ffmpeg_orig=$(cd "${NIMBREL_CACHE:-/var/cache/nimbrel}/src" && ls ffmpeg_"$ffmpeg_upstream".orig.tar.* | grep -v '\.asc$' | head -n 1)
ffmpeg_orig_path="${NIMBREL_CACHE:-/var/cache/nimbrel}/src/$ffmpeg_orig"
dav1d_prefix=$(sed -nE 's/^dav1d_prefix=(.*)/\1/p' "$ffmpeg_prefix/flags.txt")
dav1d_debian=$(sed -nE 's/^version=(.*)/\1/p' "$dav1d_prefix/flags.txt")        # 1.0.0-2+deb12u1
dav1d_debian=${dav1d_debian#*:}
dav1d_upstream=${dav1d_debian%%-*}
dav1d_orig_path=$(ls "${NIMBREL_CACHE:-/var/cache/nimbrel}/src/dav1d_$dav1d_upstream".orig.tar.* | grep -v '\.asc$' | head -n 1)

dist="$root/dist"
name="Nimbrel-$version"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$dist"

fill() {  # template -> stdout with the version placeholders filled in
  sed -e "s|@VERSION@|$version|g" -e "s|@FFMPEG_VERSION@|$ffmpeg_upstream|g" \
      -e "s|@FFMPEG_DEBIAN@|$ffmpeg_debian|g" -e "s|@FFMPEG_UPSTREAM@|$ffmpeg_upstream|g" \
      -e "s|@FFMPEG_ORIG@|$ffmpeg_orig|g" -e "s|@DAV1D_VERSION@|$dav1d_upstream|g" \
      -e "s|@DAV1D_DEBIAN@|$dav1d_debian|g" "$1"
}
# Files in the archives carry the time of the last commit, so a rebuild gives the same zip.
stamp=$(git -C "$root" log -1 --format=%cI 2>/dev/null || date -Iseconds)
crlf() { sed 's/$/\r/'; }   # texts a Windows user opens in Notepad

# --- the program zip ---------------------------------------------------------------------
app="$stage/$name"
mkdir -p "$app/licenses"
x86_64-w64-mingw32-strip -o "$app/Nimbrel.exe" "$build/bin/Nimbrel.exe"
fill "$root/tools/release/README.txt" | crlf >"$app/README.txt"
{
  echo "FFmpeg $ffmpeg_upstream, linked statically into Nimbrel.exe: libavformat, libavcodec,"
  echo "libswscale, libswresample, libavutil. Built LGPL-only (no GPL or non-free parts) from"
  echo "$ffmpeg_orig, the original archive of Debian's source package ffmpeg $ffmpeg_debian,"
  echo "unmodified. The archive and the configure options are in $name-relink.zip."
  echo "FFmpeg is licensed under the GNU Lesser General Public License 2.1 or later (LGPL-2.1.txt)."
  echo
  echo "FFmpeg's own licence statement (LICENSE.md in its source):"
  echo
  tar -xJf "$ffmpeg_orig_path" -O "ffmpeg-$ffmpeg_upstream/LICENSE.md"
} | crlf >"$app/licenses/FFmpeg.txt"
{
  echo "dav1d $dav1d_upstream, the AV1 decoder FFmpeg uses, linked statically into Nimbrel.exe. Built"
  echo "from Debian's source package dav1d $dav1d_debian (the original archive with Debian's"
  echo "patches). It is licensed under the BSD 2-clause licence (COPYING in its source):"
  echo
  tar -xJf "$dav1d_orig_path" -O "dav1d-$dav1d_upstream/COPYING"
} | crlf >"$app/licenses/dav1d.txt"
crlf </usr/share/common-licenses/LGPL-2.1 >"$app/licenses/LGPL-2.1.txt"
crlf </usr/share/common-licenses/GPL-3 >"$app/licenses/GPL-3.txt"
{
  echo "libgcc and libstdc++ (GCC 12, MinGW-w64 build from Debian 12's gcc-mingw-w64) are linked"
  echo "statically. They are licensed under the GNU General Public License version 3 (GPL-3.txt)"
  echo "with version 3.1 of the GCC Runtime Library Exception, which follows."
  echo
  sed -n '/^GCC RUNTIME LIBRARY EXCEPTION$/,/requirements of the license of GCC\.$/p' \
    /usr/share/doc/gcc-mingw-w64-base/copyright
} | crlf >"$app/licenses/GCC-runtime.txt"
{
  echo "The MinGW-w64 runtime (start-up code, C runtime glue) and its winpthreads library are"
  echo "linked statically. Their copyright and licence texts, as Debian 12's mingw-w64 package"
  echo "records them (winpthreads: the expat and BSD-3-clause-Lockless sections):"
  echo
  cat /usr/share/doc/mingw-w64-common/copyright
} | crlf >"$app/licenses/MinGW-w64.txt"
{
  echo "zlib 1.2.13 (Debian 12's libz-mingw-w64) is linked statically into Nimbrel.exe."
  echo
  cat /usr/share/doc/libz-mingw-w64/copyright
} | crlf >"$app/licenses/zlib.txt"
strings "$ffmpeg_prefix/lib/libavutil.a" | grep 'license: LGPL version 2.1 or later' >/dev/null ||
  { echo "release: the FFmpeg build is not LGPL-only" >&2; exit 1; }
# winpthreads must really be inside, else its licence is not needed; fail loudly if linking changes.
x86_64-w64-mingw32-nm "$build/bin/Nimbrel.exe" | grep ' T pthread_create$' >/dev/null ||
  { echo "release: winpthreads no longer linked: update the licence list" >&2; exit 1; }

# The engine's test hooks and probe live only in the engine the tests link.
if x86_64-w64-mingw32-nm -C "$build/bin/Nimbrel.exe" | grep -E ' T MediaEngine(Set|Use|GetCounters)'; then
  echo "release: the exe carries the engine's test hooks" >&2; exit 1
fi

zip_app="$dist/$name-win64.zip"
rm -f "$zip_app"
(cd "$stage" && find "$name" -exec touch -d "$stamp" {} + &&
 zip -q -X -9 -r "$zip_app" "$name")

# --- the relink zip ----------------------------------------------------------------------
rl="$stage/$name-relink"
mkdir -p "$rl/obj" "$rl/lib" "$rl/ffmpeg" "$rl/dav1d"
read -r -a objects <"$build/CMakeFiles/Nimbrel.dir/objects1"
for o in "${objects[@]}"; do cp "$build/$o" "$rl/obj/"; done
cp "$build/libnimbrel_core.a" "$build/engine/player/libnimbrel_engine.a" "$build/libnimbrel_text.a" "$rl/lib/"
cp "$ffmpeg_orig_path" "$rl/ffmpeg/"
# dav1d as FFmpeg's configure finds it (headers, library, a pkg-config file that works where
# the archive is unpacked); the link line names its library here.
cp -r "$dav1d_prefix/include" "$dav1d_prefix/lib" "$rl/dav1d/"
sed -i 's|^prefix=.*|prefix=${pcfiledir}/../..|' "$rl/dav1d/lib/pkgconfig/dav1d.pc"
[ -f "$ffmpeg_orig_path.asc" ] && cp "$ffmpeg_orig_path.asc" "$rl/ffmpeg/"   # its upstream signature
sed -n '/^--/p' "$ffmpeg_prefix/flags.txt" | tr '\n' ' ' | sed 's/ $/\n/' >"$rl/ffmpeg/configure-options.txt"
fill "$root/tools/release/RELINK.txt" >"$rl/RELINK.txt"

# The link line CMake used, with this archive's paths.
line=$(grep -E 'g\+\+' "$build/CMakeFiles/Nimbrel.dir/link.txt")
libs=$(tr -s ' \n' ' ' <"$build/CMakeFiles/Nimbrel.dir/linkLibs.rsp")
objs=""
for o in "${objects[@]}"; do objs+=" obj/$(basename "$o")"; done
line=${line/-Wl,--whole-archive CMakeFiles\/Nimbrel.dir\/objects.a -Wl,--no-whole-archive/$objs}
line=${line/@CMakeFiles\/Nimbrel.dir\/linkLibs.rsp/$libs}
line=$(sed -E -e 's#^/usr/bin/x86_64-w64-mingw32-g\+\+-posix#"${CXX:-x86_64-w64-mingw32-g++-posix}"#' \
  -e 's# -Wl,--out-implib,[^ ]+##' -e 's#-o bin/Nimbrel\.exe#-o Nimbrel.exe#' \
  -e 's#-L"[^"]*"#-L"$FFMPEG_LIB"#' -e 's# (engine/player/)?(libnimbrel_[a-z]+\.a)# lib/\2#g' \
  -e 's# -ldav1d # dav1d/lib/libdav1d.a #' \
  -e 's/  +/ /g' <<<"$line")
if grep -qE 'CMakeFiles|/var/cache|build-release' <<<"$line"; then
  echo "release: the link line still names build paths: $line" >&2; exit 1
fi
cat >"$rl/link.sh" <<EOF
#!/bin/sh
# Links Nimbrel.exe from this archive against the static FFmpeg in \$FFMPEG_LIB.
set -e
cd "\$(dirname "\$0")"
: "\${FFMPEG_LIB:?set FFMPEG_LIB to the folder holding libavformat.a and the others}"
set -x
$line
EOF
chmod +x "$rl/link.sh"

zip_rl="$dist/$name-relink.zip"
rm -f "$zip_rl"
(cd "$stage" && find "$name-relink" -exec touch -d "$stamp" {} + &&
 zip -q -X -9 -r "$zip_rl" "$name-relink")

# --- checks ------------------------------------------------------------------------------
# Relinking from the archive gives the same program.
mkdir "$stage/relink-check"
unzip -q "$zip_rl" -d "$stage/relink-check"
FFMPEG_LIB="$ffmpeg_prefix/lib" "$stage/relink-check/$name-relink/link.sh" 2>/dev/null
x86_64-w64-mingw32-strip "$stage/relink-check/$name-relink/Nimbrel.exe"
# The two exes may differ only in the PE time stamp (bytes 137-140) and checksum (217-220).
relinked="$stage/relink-check/$name-relink/Nimbrel.exe"
diffs=$(cmp -l "$relinked" "$app/Nimbrel.exe" | awk '$1 < 137 || ($1 > 140 && $1 < 217) || $1 > 220' | wc -l || true)
if [ "$(stat -c %s "$relinked")" != "$(stat -c %s "$app/Nimbrel.exe")" ] || [ "$diffs" != 0 ]; then
  echo "release: relinking from $(basename "$zip_rl") gives a different exe" >&2; exit 1
fi
echo "release: relinking from $(basename "$zip_rl") gives the same exe (apart from its time stamp)"

echo "release: the exe imports only system DLLs:" \
  $(x86_64-w64-mingw32-objdump -p "$app/Nimbrel.exe" | sed -n 's/.*DLL Name: //p' | tr '\n' ' ')
unzip -l "$zip_app"
ls -l "$zip_app" "$zip_rl"
if [ $check = 1 ]; then
  "$root/tools/release-check.sh" "$zip_app"
fi
