#!/usr/bin/env bash
# Builds a static libarchive for the MinGW-w64 cross build from Debian's own
# source package: zip with zlib, no other optional library. Everything stays
# below build/deps/ of the checkout:
#   apt/                 a private sources list, package lists and cache, so
#                        the machine's apt configuration is never changed
#   libarchive-source/   the fetched source package and, in src/, its
#                        unpacked tree, kept so that later runs fetch nothing
#   libarchive-build/    the CMake build
#   mingw-w64/           the result: include/archive*.h, lib/libarchive.a
# Does nothing when the result was built by this same script. Needs the
# packages of WINDOWS_PACKAGES in scripts/deps.sh; no root rights.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/deps.sh"
deps="$root/build/deps"
apt_dir="$deps/apt"
package_dir="$deps/libarchive-source"
source_dir="$package_dir/src"
build_dir="$deps/libarchive-build"
prefix="$deps/mingw-w64"
stamp="$prefix/libarchive.stamp"
# The build is redone whenever this script changes.
recipe="$(sha256sum "$0" | cut -d' ' -f1)"

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  exit 0
fi

# The deb-src lines of the machine's own Debian mirrors for bookworm, from
# the deb822 and one-line files of sources.list.d.
source_lines() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && uris != "" && suites ~ /bookworm/) {
          n = split(uris, u, " "); m = split(suites, s, " ")
          for (i = 1; i <= n; i++) for (j = 1; j <= m; j++)
            if (s[j] ~ /^bookworm/)
              printf "deb-src%s %s %s %s\n", key, u[i], s[j], comps
        }
        types = uris = suites = comps = key = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      /^Types:/ { sub(/^Types:[ \t]*/, ""); types = $0 }
      /^URIs:/ { sub(/^URIs:[ \t]*/, ""); uris = $0 }
      /^Suites:/ { sub(/^Suites:[ \t]*/, ""); suites = $0 }
      /^Components:/ { sub(/^Components:[ \t]*/, ""); comps = $0 }
      /^Signed-By:/ { sub(/^Signed-By:[ \t]*/, ""); if ($0 != "") key = " [signed-by=" $0 "]" }
      END { flush() }
    ' "$f"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -n -E 's/^[[:space:]]*deb[[:space:]]+(.*[[:space:]]bookworm[^[:space:]]*[[:space:]].*)$/deb-src \1/p' "$f"
  done
}

fetch_source() {
  mkdir -p "$apt_dir/sources.list.d" "$apt_dir/state/lists/partial" \
           "$apt_dir/cache/archives/partial"
  source_lines | sort -u > "$apt_dir/sources.list"
  if [ ! -s "$apt_dir/sources.list" ]; then
    echo "mingw-libarchive: no bookworm mirror in /etc/apt/sources.list.d" >&2
    exit 1
  fi
  local apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list"
                  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
                  -o "Dir::State=$apt_dir/state"
                  -o "Dir::Cache=$apt_dir/cache"
                  -o "APT::Sandbox::User=$(id -un)")
  echo "mingw-libarchive: fetching Debian's libarchive source"
  apt-get "${apt_opts[@]}" -qq update
  rm -rf "$package_dir"
  mkdir -p "$package_dir"
  (cd "$package_dir" && apt-get "${apt_opts[@]}" -qq source --download-only libarchive)
  # apt checked the files against the signed package lists.
  dpkg-source --no-check -x "$package_dir"/libarchive_*.dsc "$source_dir" > /dev/null
}

if [ ! -f "$source_dir/CMakeLists.txt" ]; then
  fetch_source
fi

echo "mingw-libarchive: building libarchive for x86_64-w64-mingw32"
rm -rf "$build_dir" "$prefix"
compiler_launcher
off=()
for feature in OPENSSL LIBB2 LZ4 LZO LZMA ZSTD BZip2 LIBXML2 EXPAT PCREPOSIX LIBGCC CNG \
               NETTLE MBEDTLS XATTR ACL ICONV TAR CPIO CAT TEST COVERAGE INSTALL; do
  off+=("-DENABLE_$feature=OFF")
done
# run LOG COMMAND...: runs the command with its output in LOG, shown on failure.
run() {
  local log="$1"
  shift
  if ! "$@" > "$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "mingw-libarchive: failed, see $log" >&2
    exit 1
  fi
}
# The static zlib, so that libarchive is compiled for it rather than for the
# DLL. Its check whether zlib needs ZLIB_WINAPI would start a program under
# Wine; Debian's MinGW zlib does not, and the answer is given beforehand.
zlib=/usr/x86_64-w64-mingw32/lib/libz.a
run "$deps/libarchive-configure.log" \
  cmake -S "$source_dir" -B "$build_dir" -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DENABLE_ZLIB=ON -DZLIB_LIBRARY="$zlib" \
    -DZLIB_WINAPI:INTERNAL= -DZLIB_WINAPI_WITH_LIB:INTERNAL="$zlib" \
    -DPOSIX_REGEX_LIB=NONE \
    "${off[@]}" "${COMPILER_LAUNCHER[@]}"
run "$deps/libarchive-build.log" cmake --build "$build_dir" --target archive_static -j"$(nproc)"

mkdir -p "$prefix/include" "$prefix/lib"
cp "$source_dir/libarchive/archive.h" "$source_dir/libarchive/archive_entry.h" "$prefix/include/"
cp "$build_dir/libarchive/libarchive_static.a" "$prefix/lib/libarchive.a"
echo "$recipe" > "$stamp"
echo "mingw-libarchive: installed in $prefix"
