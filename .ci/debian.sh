#!/usr/bin/env bash
# CI: the Debian packages, built the way Debian builds them, then checked
# from the outside:
#   1. dpkg-buildpackage -b in a scratch copy of the tree, test suite included
#   2. lintian: no error and no warning
#   3. the library, -dev and tool packages unpacked into a scratch root, and
#      the packages' autopkgtests (debian/tests) run on it: the C consumer
#      through pkg-config, the CMake consumer through find_package, the
#      packaged tool against the packaged library
#   4. what the tool links, and no test hook in anything shipped
# The build prerequisites (debian/control) must be installed already.
set -euo pipefail
cd "$(dirname "$0")/.."

step() { printf '\n=== %s (%s)\n' "$1" "$(date -u +%H:%M:%S)"; }
failures=()
fail() {
  printf 'FAIL: %s\n' "$1" >&2
  failures+=("$1")
}

if ! unmet=$(dpkg-checkbuilddeps debian/control 2>&1); then
  missing=$(sed -n 's/.*Unmet build dependencies: //p' <<<"$unmet")
  if [ -z "$missing" ]; then
    echo "$unmet" >&2
    exit 1
  fi
  echo "missing build prerequisites: $missing" >&2
  # Version constraints and build profiles are for dpkg, not for apt-get.
  names=$(sed -E 's/ *\([^)]*\)//g; s/ *<[^>]*>//g' <<<"$missing")
  echo "install them with: scripts/setup debian (or apt-get install --no-install-recommends $names)" >&2
  exit 1
fi

source=$(dpkg-parsechangelog -S Source)
version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)

# dpkg-buildpackage writes its results next to the source folder, so both
# live in a scratch folder, kept afterwards for a look at the packages.
work=$(mktemp -d "${TMPDIR:-/tmp}/m4k7db-deb.XXXXXX")
src="$work/$source-$version"
mkdir "$src"

step "Copying the tree to $src"
# The files git tracks or would add: a clean clone gives its commit, a
# working copy its current state, and no build folder comes along.
git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
  tar -c --null -T - | tar -x -C "$src"

step "dpkg-buildpackage -b (tests included)"
# Set outright, so that no nocheck from outside skips the tests.
(cd "$src" && DEB_BUILD_OPTIONS=parallel=2 dpkg-buildpackage -b -us -uc)

step "lintian"
# Informational and pedantic tags are shown for the record; only errors
# and warnings fail.
if ! lintian -I --pedantic --show-overrides --fail-on error,warning "$work/${source}_${version}_${arch}.changes"; then
  fail "lintian reports errors or warnings"
fi

step "Packages"
deb() { printf '%s/%s_%s_%s.%s' "$work" "$1" "$version" "$arch" "${2:-deb}"; }
for pkg in libm4k7db1 libm4k7db-dev m4k7db-tools; do
  if ! [ -f "$(deb "$pkg")" ]; then
    fail "no package $pkg"
    exit 1
  fi
done
for pkg in libm4k7db1 m4k7db-tools; do
  [ -f "$(deb "$pkg-dbgsym" ddeb)" ] || [ -f "$(deb "$pkg-dbgsym")" ] || fail "no package $pkg-dbgsym"
done
printf '%-44s %10s %10s\n' "package" "bytes" "installed"
for f in "$work"/*.deb "$work"/*.ddeb; do
  [ -f "$f" ] || continue
  printf '%-44s %10s %6s KiB\n' "$(basename "$f")" "$(stat -c %s "$f")" "$(dpkg-deb -f "$f" Installed-Size)"
done
for pkg in libm4k7db1 libm4k7db-dev m4k7db-tools; do
  printf '%s Depends: %s\n' "$pkg" "$(dpkg-deb -f "$(deb "$pkg")" Depends)"
done
# Printer data from CUPS is part of the Debian build; a build that did not
# find libcups would quietly lose it.
dpkg-deb -f "$(deb libm4k7db1)" Depends | grep -q 'libcups2' ||
  fail "libm4k7db1 does not depend on libcups2: the library was built without CUPS"
dpkg-deb -f "$(deb m4k7db-tools)" Depends | grep -q 'libm4k7db1' ||
  fail "m4k7db-tools does not depend on libm4k7db1"

step "Unpacking into a scratch root"
root="$work/root"
debug="$work/dbgsym"
for pkg in libm4k7db1 libm4k7db-dev m4k7db-tools; do
  dpkg -x "$(deb "$pkg")" "$root"
done
for f in "$work"/*-dbgsym_*; do
  dpkg -x "$f" "$debug"
done
libdir="$root/usr/lib/$multiarch"
find "$root" -type f -o -type l | sed "s|^$root||" | sort

# debian/tests holds the packages' autopkgtests; here they run on the
# scratch root instead of installed packages.
step "debian/tests/consumers on the scratch root"
c_version=""
if out=$(cd "$src" && M4K7DB_ROOT="$root" AUTOPKGTEST_TMP="$work/consumers" debian/tests/consumers 2>&1); then
  echo "$out"
  c_version=$(sed -n 's/^m4k7db database version //p' <<<"$out")
else
  echo "$out"
  fail "debian/tests/consumers"
fi

step "debian/tests/tool on the scratch root"
(cd "$src" && M4K7DB_ROOT="$root" debian/tests/tool) || fail "debian/tests/tool"
# The packaged tool answers through the packaged library.
out=$(LD_LIBRARY_PATH="$libdir" M4K7DB_PRINTER_DATA='' "$root/usr/bin/m4k7db" get root 2) || true
echo "$out"
if [ -z "$c_version" ] || ! grep -qF "\"$c_version\"" <<<"$out"; then
  fail "the packaged tool does not give the library's version \"$c_version\""
fi
needed=$(objdump -p "$root/usr/bin/m4k7db" | grep NEEDED || true)
echo "$needed"
grep -qE 'NEEDED +libm4k7db\.so\.1$' <<<"$needed" || fail "the tool does not link libm4k7db.so.1"

step "No test hooks shipped"
# The hooks that fail the n-th allocation and fix the clock are for tests
# only. The stripped binaries keep their dynamic symbols; the full tables
# are in the -dbgsym packages, found by build ID.
hook_names='FailAllocationAt|FixClock|m4k7::platform::testing::'
while IFS= read -r -d '' f; do
  head -c 4 "$f" | grep -q $'^\x7fELF' || continue
  name=${f#"$root"}
  hooks=$(nm -D -C "$f" | grep -E "$hook_names" || true)
  [ -z "$hooks" ] || fail "$name exports test hooks: $hooks"
  id=$(readelf -n "$f" | sed -n 's/^ *Build ID: //p')
  file="$debug/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"
  if [ -z "$id" ] || ! [ -f "$file" ]; then
    fail "$name has no debug file in the -dbgsym packages"
    continue
  fi
  hooks=$(nm -C "$file" | grep -E "$hook_names" || true)
  if [ -n "$hooks" ]; then
    fail "$name carries test hooks: $(head -3 <<<"$hooks")"
  else
    echo "$name: no test hooks"
  fi
done < <(find "$root" -type f -print0)

step "done"
echo "packages and logs: $work"
if [ ${#failures[@]} -gt 0 ]; then
  printf '\n%d check(s) failed:\n' "${#failures[@]}" >&2
  printf '  %s\n' "${failures[@]}" >&2
  exit 1
fi
