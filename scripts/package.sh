#!/usr/bin/env bash
# Builds the Debian package tavrin_<version>-1_<arch>.deb.
#
#   scripts/package.sh [--build-dir DIR] [--lintian] [OUTDIR]
#
# Without --build-dir it configures and builds a Release build of its own in
# build/package-build with Debian's hardening flags (ccache, when installed,
# keeps its objects for the next package build). With --build-dir it packages
# that build folder as it is, without configuring or building it again (the
# end-to-end test packages the build it tests). Then:
#  - `cmake --install --prefix /usr` into a staging root (DESTDIR): the
#    program, tavrin-launch, tavrinctl, nelta-sim, the desktop entry, the
#    icons, the AppStream record, the manual pages, the completion, the help,
#    the default file set and the udev rule, whatever the build installs;
#  - strips every ELF file, compresses the manual pages, adds the copyright
#    file and changelog.Debian.gz below /usr/share/doc/tavrin;
#  - computes Depends from the binaries' shared libraries (dpkg-shlibdeps);
#  - builds the package with dpkg-deb into OUTDIR (default build/package).
# --lintian runs lintian on the package afterwards and fails on its errors.
# The version is the CMake project version with the Debian revision 1.
# The path of the package is the last line printed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() { sed -n '2,22s/^# \{0,1\}//p' "$0"; }

build=""
out=""
lintian=no
while [ $# -gt 0 ]; do
    case "$1" in
    --build-dir)
        [ $# -ge 2 ] || { echo "package: --build-dir needs a folder" >&2; exit 1; }
        build="$2"
        shift 2
        ;;
    --lintian) lintian=yes; shift ;;
    -h | --help) usage; exit 0 ;;
    -*) echo "package: unknown option $1" >&2; usage >&2; exit 1 ;;
    *)
        [ -z "$out" ] || { echo "package: one output folder only" >&2; exit 1; }
        out="$1"
        shift
        ;;
    esac
done
out="$(realpath -m "${out:-$root/build/package}")"

for tool in cmake dpkg-deb dpkg-shlibdeps dpkg-buildflags strip file gzip; do
    command -v "$tool" >/dev/null || {
        echo "package: $tool missing (scripts/deps.sh installs it)" >&2
        exit 1
    }
done

if [ -z "$build" ]; then
    build="$root/build/package-build"
    # Debian's build flags with all hardening: fortified functions, stack
    # protector, read-only relocations bound at the start; their -O2 in
    # place of CMake's -O3 for Release. No debug information: the package's
    # binaries are stripped.
    buildflags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1" | sed 's/\(^\| \)-g\( \|$\)/ /'; }
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DCMAKE_CXX_FLAGS="$(buildflags CPPFLAGS) $(buildflags CXXFLAGS)" -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
        -DCMAKE_EXE_LINKER_FLAGS="$(buildflags LDFLAGS)" \
        -DTAVRIN_BUILD_TESTS=OFF -DTAVRIN_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)"
fi
build="$(realpath "$build")"
[ -f "$build/CMakeCache.txt" ] || { echo "package: $build is no CMake build folder" >&2; exit 1; }
upstream="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")"
[ -n "$upstream" ] || { echo "package: no project version in $build/CMakeCache.txt" >&2; exit 1; }
version="$upstream-1"
arch="$(dpkg --print-architecture)"

work="$(mktemp -d "${TMPDIR:-/tmp}/tavrin-package.XXXXXX")"
trap 'rm -rf "$work"' EXIT
stage="$work/root"

# The installation, as root:root with the usual modes (dpkg-deb takes the
# owners from --root-owner-group, the modes from the files).
umask 022
DESTDIR="$stage" cmake --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log" >&2; exit 1; }
[ -x "$stage/usr/bin/tavrin" ] || {
    echo "package: the build installs no usr/bin/tavrin (a build with TAVRIN_BUILD_UI=ON is needed)" >&2
    exit 1
}

# Stripped as dh_strip does: no symbols, no debug sections, no .comment.
elf=()
while IFS= read -r -d '' f; do
    if file -b "$f" | grep -q '^ELF'; then elf+=("$f"); fi
done < <(find "$stage" -type f -print0)
for f in "${elf[@]}"; do
    strip --remove-section=.comment --remove-section=.note "$f"
done

# Manual pages compressed, the documentation Debian wants.
find "$stage/usr/share/man" -type f -name '*.[0-9]' -exec gzip -9n {} + 2>/dev/null || true
doc="$stage/usr/share/doc/tavrin"
mkdir -p "$doc"
install -m 0644 "$root/packaging/copyright" "$doc/copyright"
# The entry's date is that of the sources' last commit, so that the same
# sources give the same package.
stamp="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}"
sed -e "s/@VERSION@/$version/" -e "s/@UPSTREAM@/$upstream/" \
    -e "s/@DATE@/$(LC_ALL=C date -u -R -d "@$stamp")/" \
    "$root/packaging/changelog.in" | gzip -9n >"$doc/changelog.Debian.gz"
chmod 0644 "$doc/changelog.Debian.gz"
find "$stage" -type d -exec chmod 0755 {} +

# Depends: the packages of the shared libraries the binaries load, with the
# versions their symbols need.
depends=""
if [ ${#elf[@]} -gt 0 ]; then
    cp -r "$root/packaging/debian" "$work/debian"
    shlib_args=()
    for f in "${elf[@]}"; do shlib_args+=("-e$f"); done
    depends="$(cd "$work" && dpkg-shlibdeps -O "${shlib_args[@]}" 2>"$work/shlibdeps.log" |
        sed -n 's/^shlibs:Depends=//p')" || { cat "$work/shlibdeps.log" >&2; exit 1; }
    rm -rf "$work/debian"
fi
[ -n "$depends" ] || { echo "package: no dependencies found for the binaries" >&2; exit 1; }

mkdir -p "$stage/DEBIAN"
installed_size="$(du -k -s --apparent-size --exclude=DEBIAN "$stage" | cut -f1)"
sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@INSTALLED_SIZE@/$installed_size/" \
    -e "s/@DEPENDS@/$depends/" "$root/packaging/control.in" >"$stage/DEBIAN/control"
chmod 0644 "$stage/DEBIAN/control"
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) \
    >"$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/md5sums"

mkdir -p "$out"
deb="$out/tavrin_${version}_${arch}.deb"
SOURCE_DATE_EPOCH="$stamp" dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null

if [ "$lintian" = yes ]; then
    command -v lintian >/dev/null || { echo "package: lintian missing (apt-get install lintian)" >&2; exit 1; }
    lintian --fail-on error "$deb" >&2
fi
echo "$deb"
