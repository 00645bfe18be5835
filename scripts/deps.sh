# Sourced by run.sh and test.sh: installs the Debian packages that are missing.

# compiler_launcher: sets COMPILER_LAUNCHER to the CMake options that compile
# through ccache where it is installed, else to options that clear an earlier
# choice. Paths below the checkout are hashed relative to it, so that a clone
# in another folder finds what this one compiled; ccache's own settings
# (CCACHE_DIR and the like) stay the user's.
compiler_launcher() {
  if command -v ccache >/dev/null 2>&1; then
    CCACHE_BASEDIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    export CCACHE_BASEDIR CCACHE_NOHASHDIR=1
    COMPILER_LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  else
    COMPILER_LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER= -DCMAKE_CXX_COMPILER_LAUNCHER=)
  fi
}

# ensure_packages PKG...: installs whichever of the packages is not installed,
# with sudo when not root; does nothing when all are present.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building and testing the native program needs; ccache lets a later
# build, also of another clone, reuse what an earlier one compiled.
NATIVE_PACKAGES=(cmake make g++ pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev
                 libarchive-dev libgtest-dev libgmock-dev libbenchmark-dev
                 librsvg2-bin libdtl-dev nlohmann-json3-dev patch ccache)

# What building the Debian package and checking it and the installation
# needs: the icon renderer above, dpkg-shlibdeps, the validators and the
# manual page tools.
PACKAGING_PACKAGES=(dpkg-dev file desktop-file-utils appstream lintian groff-base man-db)

# What cross-building the core and the native window for Windows and running
# their tests under Wine needs (./test.sh --windows). scripts/mingw-libarchive.sh
# builds libarchive from Debian's source package (dpkg-dev unpacks it) against
# the MinGW zlib; the window's icon is rendered with rsvg-convert and packed
# with icotool; its tests run on a virtual display (xvfb-run, which needs xauth).
# The header-only libraries reach the MinGW compiler through links in the
# build tree (cmake/KelvandorHeaderOnly.cmake), never through /usr/include.
WINDOWS_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix wine64 googletest
                  dpkg-dev libz-mingw-w64-dev librsvg2-bin icoutils xvfb xauth
                  libdtl-dev nlohmann-json3-dev ccache)

# What the Clang build of the core and the fuzz targets need (./test.sh,
# scripts/fuzz.sh): Debian's Clang 14, its sanitizer and libFuzzer runtimes,
# and llvm-symbolizer for readable reports.
CLANG_PACKAGES=(clang-14 libclang-rt-14-dev llvm-14)
