#!/usr/bin/env bash
# Builds (once) a Wine that runs 32-bit Windows code inside 64-bit processes
# ("new WoW64": --enable-archs=i386,x86_64), from Debian's own source of Wine
# 10.0, and prints the folder it is installed in (its bin/ holds wine,
# wineserver, ...). Nothing comes from outside Debian's archive, and no i386
# packages are needed.
#
#   tools/wow64-wine.sh            build when missing, then print the folder
#   tools/wow64-wine.sh --where    print the folder if it is built, else fail
#
# The result is cached outside the checkout, keyed by the Wine source version
# and the configuration below: $VELLOX_WINE_CACHE (default
# /var/cache/vellox-wow64-wine). A build from scratch takes about 50 minutes
# on two cores; an unchanged re-run returns at once. Progress goes to stderr.
set -euo pipefail

src_version='10.0~repack-6'   # Debian trixie's source package
src_suite=trixie
cache=${VELLOX_WINE_CACHE:-/var/cache/vellox-wow64-wine}

# Modules a COM add-in, its host and its setup never touch: Direct3D, media
# foundation and DirectShow, DirectX audio and play, the old MSVC runtimes,
# the HTML engine, WMI (it needs DXGI). Leaving them out shortens the build.
disabled=(
  d2d1 d3d10 d3d10_1 d3d10core d3d11 d3d12 d3d12core d3d8 d3d8thk d3d9 d3dim d3dim700 d3drm d3dxof
  ddraw ddrawex dx8vb dxdiagn dxgi dxva2 wined3d wbemprox
  d3dcompiler_{33,34,35,36,37,38,39,40,41,42,43,46,47}
  d3dx9_{24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40,41,42,43}
  d3dx10_{33,34,35,36,37,38,39,40,41,42,43} d3dx11_42 d3dx11_43
  dmband dmcompos dmime dmloader dmscript dmstyle dmsynth dmusic dmusic32 dswave dplay dplayx dsdmo
  xaudio2_{0,1,2,3,4,5,6,7,8,9} x3daudio1_{0,1,2,3,4,5,6,7} xapofx1_{1,2,3,4,5}
  mf mfasfsrcsnk mfh264enc mfmediaengine mfmp4srcsnk mfplat mfplay mfreadwrite mfsrcsnk
  colorcnv msauddecmft msmpeg2vdec msvproc resampledmo wmvdecod ir50_32 mp3dmod wmadmod
  amstream evr mciqtz32 qasf qcap qdvd qedit quartz winegstreamer wmp wmvcore
  windows.media windows.media.devices windows.media.mediacontrol windows.media.speech
  msvcp{60,70,71,80,90,100,110,120,120_app} msvcr{70,71,80,90,100,110,120,120_app} msvcirt
  mshtml npmshtml winevulkan vulkan-1
)
options=(
  --enable-archs=i386,x86_64 --enable-maintainer-mode --disable-tests
  --without-alsa --without-capi --without-cups --without-dbus --without-gphoto --without-gstreamer
  --without-krb5 --without-netapi --without-opencl --without-opengl --without-osmesa --without-oss
  --without-pcap --without-pcsclite --without-pulse --without-sane --without-sdl --without-udev
  --without-usb --without-v4l2 --without-vulkan --without-wayland --without-gnutls
)
key=$(printf '%s\n' "$src_version" "${options[@]}" "${disabled[@]}" | sha256sum | cut -c1-12)
install="$cache/wine-10.0-$key"
work="$cache/work-$key"

if [ -f "$install/.complete" ]; then echo "$install"; exit 0; fi
if [ "${1:-}" = --where ]; then
  echo "wow64-wine: not built yet (tools/wow64-wine.sh builds it)" >&2
  exit 1
fi

started=$(date +%s)
say() { printf 'wow64-wine [%3d min] %s\n' $(( ($(date +%s) - started) / 60 )) "$*" >&2; }
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
mkdir -p "$work"
log="$work/build.log"

# 1. What the build needs from bookworm (the mingw compilers for both PE sides,
#    the generators of maintainer mode, X11 and font development files).
say "1/6 build packages"
packages=(gcc-mingw-w64-i686 gcc-mingw-w64-x86-64 autoconf flex bison gettext pkgconf perl python3 unzip
  dpkg-dev icoutils imagemagick librsvg2-bin fontforge-nox libxml-libxml-perl
  libx11-dev libxext-dev libxfixes-dev libxrandr-dev libxi-dev libxcursor-dev libxrender-dev
  libxinerama-dev libxcomposite-dev libxxf86vm-dev libxkbfile-dev libfreetype-dev libfontconfig-dev
  libunwind-dev libgettextpo-dev make)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# 2. The source and the newer data its generators want, from the same archive
#    this machine uses, through a private apt state (the system's sources and
#    package lists stay as they are).
if [ ! -f "$work/.fetched" ]; then
  say "2/6 source $src_version and $src_suite's unicode, CLDR and Khronos data"
  mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' | awk '$2 == "bookworm" { print $1; exit }')
  [ -n "$mirror" ] || { echo "wow64-wine: no bookworm archive in the apt sources" >&2; exit 1; }
  apt_dir="$work/apt"
  rm -rf "$apt_dir" "$work/src" "$work/data"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$work/data" "$work/dl"
  printf 'deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] %s %s main\ndeb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] %s %s main\n' \
    "$mirror" "$src_suite" "$mirror" "$src_suite" > "$apt_dir/sources.list"
  apt_private=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache::Archives="$apt_dir/archives"
    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o APT::Sandbox::User=root)
  apt-get "${apt_private[@]}" update -qq
  (cd "$work/dl" && apt-get "${apt_private[@]}" source -qq --download-only "wine=$src_version" >/dev/null &&
   apt-get "${apt_private[@]}" download -qq unicode-data unicode-idna unicode-cldr-core khronos-api libvulkan-dev >/dev/null)
  for deb in "$work"/dl/*.deb; do dpkg-deb -x "$deb" "$work/data"; done
  # Debian's patches minus its own install layout (it writes into /usr) and
  # its system-zlib and ARM ones.
  dpkg-source --skip-patches -x "$work"/dl/wine_*.dsc "$work/src" >/dev/null
  (cd "$work/src" && for p in $(grep -vE '^(#|$|debianization/|system/|arm/)' debian/patches/series); do
     patch -p1 -s < "debian/patches/$p"; done)
  touch "$work/.fetched"
fi
cd "$work/src"
data="$work/data/usr/share"

# 3. The files the repack dropped, regenerated as Debian's rules do, from the
#    unpacked data instead of the installed one.
if [ ! -f "$work/.generated" ]; then
  say "3/6 generated sources (unicode tables take about 7 minutes)"
  sed -i "s|/usr/share/doc/unicode-data/|$data/doc/unicode-data/|; s|\"/usr/share/unicode|\"$data/unicode|" tools/make_unicode
  sed -i "s|/usr/share/khronos-api/|$data/khronos-api/|" dlls/opengl32/make_opengl
  {
    ./tools/make_unicode
    ./tools/make_requests
    ./tools/make_specfiles
    (cd dlls/dsound && ./make_fir)
    (cd dlls/opengl32 && ./make_opengl)
    (cd dlls/winevulkan && ./make_vulkan -x "$data/vulkan/registry/vk.xml" -X "$data/vulkan/registry/video.xml")
  } >> "$log" 2>&1 || { tail -30 "$log" >&2; exit 1; }
  ln -sf /usr/share/misc/config.sub tools; ln -sf /usr/share/misc/config.guess tools
  # The icons Debian links from shared pictures (its rules list them).
  while read -r target link; do ln -sf "$target" "$link"; done <<'EOF'
../../dlls/user32/resources/oic_hand.svg dlls/display.drv16/oic_hand.svg
../../dlls/user32/resources/oic_note.svg dlls/comctl32/idi_tt_info_md.svg
../../dlls/user32/resources/oic_note.svg dlls/comctl32/idi_tt_info_sm.svg
../../dlls/user32/resources/oic_bang.svg dlls/comctl32/idi_tt_warn_md.svg
../../dlls/user32/resources/oic_bang.svg dlls/comctl32/idi_tt_warn_sm.svg
../../dlls/user32/resources/oic_hand.svg dlls/comctl32/idi_tt_error_md.svg
../../dlls/user32/resources/oic_hand.svg dlls/comctl32/idi_tt_error_sm.svg
../../dlls/shell32/resources/move.svg dlls/comctl32/idi_dragarrow.svg
../../dlls/shell32/resources/image.svg programs/regedit/bin.svg
../../dlls/shell32/resources/folder.svg programs/regedit/folder.svg
../../dlls/shell32/resources/document.svg programs/regedit/string.svg
../../dlls/shell32/resources/mycomputer.svg programs/regedit/computer.svg
../../dlls/shell32/resources/folder_open.svg programs/regedit/folderopen.svg
../../dlls/shell32/resources/window.svg programs/taskmgr/window.svg
../../dlls/shell32/resources/window.svg programs/taskmgr/windowsm.svg
../../dlls/shell32/resources/drive.svg dlls/comdlg32/hdisk.svg
../../dlls/shell32/resources/folder.svg dlls/comdlg32/folder.svg
../../dlls/shell32/resources/network.svg dlls/comdlg32/network.svg
../../dlls/shell32/resources/folder_open.svg dlls/comdlg32/folder2.svg
../../dlls/shell32/resources/disk_drive.svg dlls/comdlg32/floppy.svg
../../dlls/shell32/resources/optical_drive.svg dlls/comdlg32/cdrom.svg
EOF
  touch "$work/.generated"
fi

# 4. Configure, in the source tree (maintainer mode rebuilds icons and fonts there).
if [ ! -f "$work/.configured" ]; then
  say "4/6 configure"
  [ -x configure ] || autoreconf -fi >> "$log" 2>&1
  dis_flags=(); for m in "${disabled[@]}"; do dis_flags+=("--disable-$m"); done
  ./configure --prefix="$install" "${options[@]}" "${dis_flags[@]}" CFLAGS="-O2 -g0" >> "$log" 2>&1 ||
    { tail -30 "$log" >&2; exit 1; }
  touch "$work/.configured"
fi

# 5. Build, with a line of progress every minute.
say "5/6 make -j$(nproc) (about 45 minutes from scratch; log: $log)"
# Both PE sides compile each C file of the Windows modules: about twice
# their number of object files in all.
total=$(( 2 * $(find dlls programs -name '*.c' -not -path '*/tests/*' | wc -l) ))
{ make -C include >> "$log" 2>&1 && make -j"$(nproc)" >> "$log" 2>&1; echo $? > "$work/make.rc"; } &
builder=$!
while kill -0 "$builder" 2>/dev/null; do
  sleep 60
  compiled=$(find dlls programs -path '*-windows/*' -name '*.o' 2>/dev/null | wc -l)
  say "   building: $compiled of about $total Windows object files compiled"
done
wait "$builder" || true
[ "$(cat "$work/make.rc")" = 0 ] || { tail -40 "$log" >&2; echo "wow64-wine: build failed, see $log" >&2; exit 1; }

# 6. Install, check that it is a WoW64 build, drop the build tree.
say "6/6 install"
rm -rf "$install"
make install >> "$log" 2>&1 || { tail -30 "$log" >&2; exit 1; }
version=$("$install/bin/wine" --version 2>/dev/null || true)
case "$version" in
  wine-10.0*) ;;
  *) echo "wow64-wine: the installed wine answers '$version'" >&2; exit 1 ;;
esac
[ -f "$install/lib/wine/i386-windows/kernel32.dll" ] ||
  { echo "wow64-wine: no 32-bit side in $install" >&2; exit 1; }
touch "$install/.complete"
cd /; rm -rf "$work"
say "done: $version in $install"
echo "$install"
