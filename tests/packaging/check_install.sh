#!/usr/bin/env bash
# Checks of an installation and of the Debian package, one per call:
#   check_install.sh installed CMAKE BUILD_DIR FILE_LIST
#       `cmake --install` into a scratch prefix holds exactly the listed files
#   check_install.sh contents PACKAGE_DIR VERSION FILE_LIST
#       `dpkg-deb -c` lists exactly the listed files below /usr
#   check_install.sh runs PACKAGE_DIR VERSION
#       unpacked with `dpkg -x`, kelvandor-cli --version runs and names VERSION
#   check_install.sh lintian PACKAGE_DIR VERSION
#       lintian reports no error; its other findings are printed
set -euo pipefail
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

package() {
  local deb
  deb=$(ls "$1"/kelvandor_"$2"_*.deb 2>/dev/null | head -n1)
  [ -n "$deb" ] || { echo "no kelvandor_$2_*.deb in $1; ./test.sh builds it" >&2; exit 1; }
  echo "$deb"
}

same_files() {  # LISTED ACTUAL: both sorted
  if ! diff -u --label listed --label actual "$1" "$2"; then
    echo "the files differ from the list (+ unlisted, - missing)" >&2
    exit 1
  fi
}

case "$1" in
  installed)
    "$2" --install "$3" --prefix "$scratch/prefix" >/dev/null
    (cd "$scratch/prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) >"$scratch/actual"
    LC_ALL=C sort "$4" >"$scratch/listed"
    same_files "$scratch/listed" "$scratch/actual"
    ;;
  contents)
    deb=$(package "$2" "$3")
    dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | LC_ALL=C sort \
      >"$scratch/actual"
    LC_ALL=C sort "$4" >"$scratch/listed"
    same_files "$scratch/listed" "$scratch/actual"
    ;;
  runs)
    deb=$(package "$2" "$3")
    dpkg -x "$deb" "$scratch/root"
    version=$("$scratch/root/usr/bin/kelvandor-cli" --version)
    [ "$version" = "kelvandor-cli $3" ] || { echo "--version printed '$version'" >&2; exit 1; }
    ;;
  lintian)
    deb=$(package "$2" "$3")
    lintian --fail-on error --display-level '>=info' "$deb"
    ;;
  *)
    echo "usage: $0 installed|contents|runs|lintian ..." >&2
    exit 2
    ;;
esac
