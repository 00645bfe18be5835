# Sourced by run.sh and test.sh: installs the Debian packages that are missing.

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

# What building and testing the native program needs.
NATIVE_PACKAGES=(cmake make g++ pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev
                 libarchive-dev libgtest-dev libgmock-dev libbenchmark-dev
                 librsvg2-bin libdtl-dev nlohmann-json3-dev patch)

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
                  libdtl-dev nlohmann-json3-dev)

# What the Clang build of the core and the fuzz targets need (./test.sh,
# scripts/fuzz.sh): Debian's Clang 14, its sanitizer and libFuzzer runtimes,
# and llvm-symbolizer for readable reports.
CLANG_PACKAGES=(clang-14 libclang-rt-14-dev llvm-14)
