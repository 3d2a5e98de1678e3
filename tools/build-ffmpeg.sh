#!/usr/bin/env bash
# Builds FFmpeg's libavformat, libavcodec, libswscale, libswresample and libavutil as static
# MinGW-w64 libraries from Debian's `ffmpeg` source package, minimal and LGPL-only, for the
# media engine (engine/player). The result is cached outside the work tree, keyed by the
# source version and the configure flags:
#   ${NIMBREL_CACHE:-/var/cache/nimbrel}/ffmpeg-<version>-<hash>/{include,lib}
# Only the first run pays the build (a few minutes); later runs are quick and quiet.
#
#   build-ffmpeg.sh                 build if needed; silent when cached
#   build-ffmpeg.sh --print-prefix  the same, then print the prefix on standard output
#
# Needs root for apt (it adds a deb-src entry for the suites already configured if there is
# none, and installs the MinGW zlib when missing). Build output goes to a log in the cache.
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
recipe=1   # bump when the build steps change in a way the flags do not show

flags=(
  --target-os=mingw32 --arch=x86_64 --enable-cross-compile
  --cross-prefix=${cross}- --cc=${cross}-gcc-posix --cxx=${cross}-g++-posix
  --pkg-config=false
  --enable-static --disable-shared --enable-pic
  --disable-programs --disable-doc --disable-network --disable-autodetect
  --disable-debug --disable-everything
  --disable-avdevice --disable-avfilter --disable-postproc
  --enable-avformat --enable-avcodec --enable-swscale --enable-swresample
  --enable-w32threads --enable-zlib
  --enable-protocol=file
  --enable-demuxer=flv,live_flv,mov
  --enable-decoder=h264,hevc,flv,vp6f,vp6a,vp6,mpeg4,h263,vp9,flashsv,flashsv2
  --enable-decoder=aac,aac_latm,mp3,mp3float,adpcm_swf,nellymoser,ac3,eac3,opus,alac,flac
  --enable-decoder=pcm_s16le,pcm_s16be,pcm_u8,pcm_s8,pcm_alaw,pcm_mulaw,pcm_s24le,pcm_s24be
  --enable-decoder=pcm_s32le,pcm_s32be,pcm_f32le,pcm_f32be,pcm_f64le,pcm_f64be
  --enable-parser=h264,hevc,mpeg4video,h263,vp9,aac,aac_latm,mpegaudio,ac3,opus,flac
  --enable-bsf=vp9_superframe_split,h264_mp4toannexb,hevc_mp4toannexb,extract_extradata,aac_adtstoasc
)
hash=$(printf '%s\n' "recipe=$recipe" "${flags[@]}" | sha256sum | cut -c1-12)

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

# The source version: the installed native ffmpeg's source version when present (quick, no
# network), else the candidate from the source lists.
version=$(dpkg-query -W -f='${source:Version}' ffmpeg 2>/dev/null || true)
if [ -z "$version" ]; then
  ensure_deb_src
  version=$(apt-cache showsrc --only-source ffmpeg 2>/dev/null | awk '/^Version:/{print $2; exit}')
fi
[ -n "$version" ] || { note "cannot determine the ffmpeg source version"; exit 1; }
vtag=${version#*:}           # drop the epoch
prefix="$cache/ffmpeg-$vtag-$hash"

done_print() { [ $print_prefix = 1 ] && echo "$prefix"; exit 0; }
[ -f "$prefix/.complete" ] && done_print

mkdir -p "$cache"
exec 9>"$cache/.ffmpeg-build.lock"
flock 9
[ -f "$prefix/.complete" ] && done_print   # built by another run while we waited

note "building FFmpeg $version for MinGW (once; a few minutes) into $prefix"

# Build tools: nasm (the decoders' assembly, needed for speed) and the MinGW zlib (the
# flashsv decoders and compressed moov atoms need it).
need=()
command -v nasm >/dev/null || need+=(nasm)
[ -f /usr/$cross/lib/libz.a ] || need+=(libz-mingw-w64-dev)
command -v make >/dev/null || need+=(make)
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null 2>&1 || {
    apt-get update -qq >/dev/null; apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null; }
fi

src="$cache/src"
mkdir -p "$src"
orig=$(ls "$src"/ffmpeg_"${vtag%%-*}".orig.tar.* 2>/dev/null | head -n 1 || true)
if [ -z "$orig" ]; then
  ensure_deb_src
  (cd "$src" && { apt-get source --download-only -qq "ffmpeg=$version" >/dev/null 2>&1 ||
                  { apt-get update -qq >/dev/null; apt-get source --download-only -qq "ffmpeg=$version" >/dev/null; }; })
  orig=$(ls "$src"/ffmpeg_"${vtag%%-*}".orig.tar.* 2>/dev/null | head -n 1 || true)
fi
[ -n "$orig" ] || { note "no source archive for ffmpeg $version"; exit 1; }

work=$(mktemp -d "$cache/build.XXXXXX")
trap 'rm -rf "$work"' EXIT
log="$cache/ffmpeg-$vtag-$hash.log"
tar -xf "$orig" -C "$work"
dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
stage="$prefix.tmp"
rm -rf "$stage"
jobs=$(( $(nproc) + 1 ))
if ! ( cd "$dir" &&
       ./configure --prefix="$stage" "${flags[@]}" &&
       make -j"$jobs" &&
       make install ) >"$log" 2>&1; then
  note "build failed; see $log"
  tail -n 30 "$log" >&2
  exit 1
fi
rm -rf "$prefix"
mv "$stage" "$prefix"
# Prefix paths inside the pkg-config files point at the staging folder: fix them.
sed -i "s|$stage|$prefix|g" "$prefix"/lib/pkgconfig/*.pc 2>/dev/null || true
cp "$dir/ffbuild/config.log" "$prefix/config.log" 2>/dev/null || true
printf '%s\n' "version=$version" "${flags[@]}" >"$prefix/flags.txt"
touch "$prefix/.complete"
note "done: $prefix"
done_print
