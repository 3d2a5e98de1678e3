#!/usr/bin/env bash
# Builds the media engine's libraries (engine/player) as static MinGW-w64 libraries from
# Debian's source packages: dav1d (the AV1 decoder, with Debian's patches) and FFmpeg's
# libavformat, libavcodec, libswscale, libswresample and libavutil (minimal and LGPL-only,
# with dav1d). Each is cached outside the work tree, keyed by its source version and flags:
#   ${NIMBREL_CACHE:-/var/cache/nimbrel}/dav1d-<version>-<hash>/{include,lib}
#   ${NIMBREL_CACHE:-/var/cache/nimbrel}/ffmpeg-<version>-<hash>/{include,lib}  (libdav1d.a beside)
# Only the first run pays the build (a few minutes); later runs are quick and quiet.
#
#   build-ffmpeg.sh                 build if needed; silent when cached
#   build-ffmpeg.sh --print-prefix  the same, then print the prefix on standard output
#
# Needs root for apt (it adds a deb-src entry for the suites already configured if there is
# none, and installs the build tools when missing). Build output goes to logs in the cache.
set -euo pipefail

print_prefix=0
for a in "$@"; do
  case "$a" in
    --print-prefix) print_prefix=1 ;;
    *) echo "build-ffmpeg: unknown argument $a" >&2; exit 2 ;;
  esac
done

cache=${NIMBREL_CACHE:-/var/cache/nimbrel}
cross=x86_64-w64-mingw32
recipe=2   # bump when the build steps change in a way the flags do not show

dav1d_flags=(
  --buildtype=release --default-library=static --libdir=lib
  -Denable_tools=false -Denable_tests=false -Denable_examples=false -Denable_docs=false
  -Dbitdepths=8,16 -Denable_asm=true
)

flags=(
  --target-os=mingw32 --arch=x86_64 --enable-cross-compile
  --cross-prefix=${cross}- --cc=${cross}-gcc-posix --cxx=${cross}-g++-posix
  --pkg-config=pkg-config --pkg-config-flags=--static
  --enable-static --disable-shared --enable-pic
  --disable-programs --disable-doc --disable-network --disable-autodetect
  --disable-debug --disable-everything
  --disable-avdevice --disable-avfilter --disable-postproc
  --enable-avformat --enable-avcodec --enable-swscale --enable-swresample
  --enable-w32threads --enable-zlib --enable-libdav1d
  --enable-protocol=file
  # mpegvideo: the program stream demuxer tells MPEG-1/2 video by probing with it.
  --enable-demuxer=flv,live_flv,mov,matroska,avi,wav,mpegts,mpegps,mpegvideo,mp3,flac,ogg
  --enable-decoder=h264,hevc,flv,vp6f,vp6a,vp6,mpeg4,h263,vp9,flashsv,flashsv2
  --enable-decoder=vp8,libdav1d,mpeg1video,mpeg2video,msmpeg4v1,msmpeg4v2,msmpeg4v3,mjpeg,png
  --enable-decoder=aac,aac_latm,mp3,mp3float,adpcm_swf,nellymoser,ac3,eac3,opus,alac,flac
  --enable-decoder=vorbis,dca,mp1,mp1float,mp2,mp2float,adpcm_ms,adpcm_ima_wav,adpcm_ima_qt
  --enable-decoder=pcm_s16le,pcm_s16be,pcm_u8,pcm_s8,pcm_alaw,pcm_mulaw,pcm_s24le,pcm_s24be
  --enable-decoder=pcm_s32le,pcm_s32be,pcm_f32le,pcm_f32be,pcm_f64le,pcm_f64be
  --enable-decoder=pcm_u16le,pcm_u16be,pcm_u24le,pcm_u24be,pcm_u32le,pcm_u32be,pcm_dvd,pcm_bluray
  --enable-parser=h264,hevc,mpeg4video,h263,vp9,aac,aac_latm,mpegaudio,ac3,opus,flac
  --enable-parser=vp8,av1,mpegvideo,vorbis,dca
  --enable-bsf=vp9_superframe_split,h264_mp4toannexb,hevc_mp4toannexb,extract_extradata,aac_adtstoasc
)

note() { echo "build-ffmpeg: $*" >&2; }

have_deb_src() {
  grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null
}

ensure_deb_src() {
  have_deb_src && return 0
  note "adding deb-src entries for the configured suites"
  local f=/etc/apt/sources.list.d/debian.sources out=/etc/apt/sources.list.d/nimbrel-src.sources
  if [ -f "$f" ]; then
    # Same URIs, suites and components as the deb entries, as deb-src.
    awk 'BEGIN{RS=""; ORS="\n\n"} /Types:[^\n]*deb/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
      "$f" >"$out"
  else
    grep -hE '^deb ' /etc/apt/sources.list 2>/dev/null | sed 's/^deb /deb-src /' \
      >/etc/apt/sources.list.d/nimbrel-src.list
  fi
  apt-get update -qq >/dev/null
}

# A source package's version: that of the installed binary package built from it when present
# (quick, no network), else the candidate from the source lists.
source_version() {  # source-package binary-package
  local v
  v=$(dpkg-query -W -f='${source:Version}' "$2" 2>/dev/null || true)
  if [ -z "$v" ]; then
    ensure_deb_src
    v=$(apt-cache showsrc --only-source "$1" 2>/dev/null | awk '/^Version:/{print $2; exit}')
  fi
  [ -n "$v" ] || { note "cannot determine the $1 source version"; exit 1; }
  echo "$v"
}

dav1d_version=$(source_version dav1d libdav1d6)
version=$(source_version ffmpeg ffmpeg)
dav1d_vtag=${dav1d_version#*:}   # without the epoch
vtag=${version#*:}
dav1d_hash=$(printf '%s\n' "recipe=$recipe" "${dav1d_flags[@]}" | sha256sum | cut -c1-12)
dav1d_prefix="$cache/dav1d-$dav1d_vtag-$dav1d_hash"
# FFmpeg's key holds dav1d's: a new dav1d builds a new FFmpeg.
hash=$(printf '%s\n' "recipe=$recipe" "dav1d=$(basename "$dav1d_prefix")" "${flags[@]}" | sha256sum | cut -c1-12)
prefix="$cache/ffmpeg-$vtag-$hash"

done_print() { [ $print_prefix = 1 ] && echo "$prefix"; exit 0; }
[ -f "$prefix/.complete" ] && done_print

mkdir -p "$cache"
exec 9>"$cache/.ffmpeg-build.lock"
flock 9
[ -f "$prefix/.complete" ] && done_print   # built by another run while we waited

# Build tools: nasm (the decoders' assembly, needed for speed), meson and ninja (dav1d),
# pkg-config (FFmpeg finds dav1d with it) and the MinGW zlib (the flashsv and png decoders
# and compressed moov atoms need it).
need=()
command -v nasm >/dev/null || need+=(nasm)
command -v meson >/dev/null || need+=(meson)
command -v ninja >/dev/null || need+=(ninja-build)
command -v pkg-config >/dev/null || need+=(pkg-config)
[ -f /usr/$cross/lib/libz.a ] || need+=(libz-mingw-w64-dev)
command -v make >/dev/null || need+=(make)
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null 2>&1 || {
    apt-get update -qq >/dev/null; apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null; }
fi

src="$cache/src"
mkdir -p "$src"
# The source package's files in $src (the original archive and, where there is one, Debian's
# part with its patches); prints the original archive's path.
fetch_source() {  # package version
  local upstream=${2#*:} orig
  upstream=${upstream%-*}
  orig=$(ls "$src/$1_$upstream".orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -n 1 || true)
  if [ -z "$orig" ] || [ ! -f "$src/$1_${2#*:}.dsc" ]; then
    ensure_deb_src
    (cd "$src" && { apt-get source --download-only -qq "$1=$2" >/dev/null 2>&1 ||
                    { apt-get update -qq >/dev/null; apt-get source --download-only -qq "$1=$2" >/dev/null; }; })
    orig=$(ls "$src/$1_$upstream".orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -n 1 || true)
  fi
  [ -n "$orig" ] || { note "no source archive for $1 $2"; exit 1; }
  echo "$orig"
}

jobs=$(nproc)
work=$(mktemp -d "$cache/build.XXXXXX")
trap 'rm -rf "$work"' EXIT

# --- dav1d: upstream's archive with Debian's patches, built by meson for MinGW -------------
if [ ! -f "$dav1d_prefix/.complete" ]; then
  note "building dav1d $dav1d_version for MinGW (once) into $dav1d_prefix"
  start=$SECONDS
  orig=$(fetch_source dav1d "$dav1d_version")
  log="$cache/dav1d-$dav1d_vtag-$dav1d_hash.log"
  mkdir "$work/dav1d"
  tar -xf "$orig" -C "$work/dav1d" --strip-components=1
  debian=$(ls "$src/dav1d_$dav1d_vtag".debian.tar.* 2>/dev/null | head -n 1 || true)
  if [ -n "$debian" ]; then
    tar -xf "$debian" -C "$work/dav1d"
    [ -f "$work/dav1d/debian/patches/series" ] &&
      while read -r p _; do
        case "$p" in ''|'#'*) continue ;; esac
        patch -d "$work/dav1d" -p1 -s <"$work/dav1d/debian/patches/$p"
      done <"$work/dav1d/debian/patches/series"
  fi
  cat >"$work/cross.txt" <<CROSS
[binaries]
c = '${cross}-gcc-posix'
ar = '${cross}-ar'
strip = '${cross}-strip'
windres = '${cross}-windres'
[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
CROSS
  stage="$dav1d_prefix.tmp"
  rm -rf "$stage"
  if ! ( meson setup "$work/dav1d-build" "$work/dav1d" --cross-file "$work/cross.txt" \
           --prefix="$stage" "${dav1d_flags[@]}" &&
         ninja -C "$work/dav1d-build" -j"$jobs" install ) >"$log" 2>&1; then
    note "dav1d build failed; see $log"
    tail -n 30 "$log" >&2
    exit 1
  fi
  rm -rf "$dav1d_prefix"
  mv "$stage" "$dav1d_prefix"
  sed -i "s|$stage|$dav1d_prefix|g" "$dav1d_prefix"/lib/pkgconfig/dav1d.pc
  printf '%s\n' "version=$dav1d_version" "${dav1d_flags[@]}" >"$dav1d_prefix/flags.txt"
  touch "$dav1d_prefix/.complete"
  note "dav1d done in $((SECONDS - start)) s: $dav1d_prefix"
fi

# --- FFmpeg: upstream's archive as Debian ships it, with dav1d -----------------------------
note "building FFmpeg $version for MinGW (once; a few minutes) into $prefix"
start=$SECONDS
orig=$(fetch_source ffmpeg "$version")
log="$cache/ffmpeg-$vtag-$hash.log"
tar -xf "$orig" -C "$work"
dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'ffmpeg-*' | head -n 1)
stage="$prefix.tmp"
rm -rf "$stage"
# Only dav1d's pkg-config file is seen: nothing of the build machine's own libraries.
if ! ( cd "$dir" &&
       PKG_CONFIG_LIBDIR="$dav1d_prefix/lib/pkgconfig" PKG_CONFIG_PATH= \
         ./configure --prefix="$stage" "${flags[@]}" &&
       make -j"$jobs" &&
       make install ) >"$log" 2>&1; then
  note "build failed; see $log"
  tail -n 30 "$log" >&2
  exit 1
fi
grep -q '^License: LGPL version 2.1 or later$' "$log" ||
  { note "the FFmpeg build is not LGPL-only; see $log"; exit 1; }
rm -rf "$prefix"
mv "$stage" "$prefix"
# Prefix paths inside the pkg-config files point at the staging folder: fix them.
sed -i "s|$stage|$prefix|g" "$prefix"/lib/pkgconfig/*.pc 2>/dev/null || true
# dav1d beside FFmpeg's libraries: the engine and the relink line take one folder.
cp "$dav1d_prefix/lib/libdav1d.a" "$prefix/lib/"
cp "$dir/ffbuild/config.log" "$prefix/config.log" 2>/dev/null || true
printf '%s\n' "version=$version" "dav1d=$dav1d_version" "dav1d_prefix=$dav1d_prefix" "${flags[@]}" >"$prefix/flags.txt"
touch "$prefix/.complete"
note "FFmpeg done in $((SECONDS - start)) s: $prefix"
done_print
