#!/usr/bin/env bash
# Tests of scripts/lib/apt.sh and scripts/setup against fake apt-get, dpkg,
# dpkg-query, id, sudo and sleep first on PATH: no network, no root, no
# waiting. Each case states what is installed and what apt does on each
# call, and checks the exit status, the exact sequence of calls (updates,
# installs, pauses) and the lines the helper prints.
#   bash scripts/tests/apt_helper_test.sh
# The cases' commands are single-quoted on purpose: they expand when run.
# shellcheck disable=SC2016
set -euo pipefail

scripts=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fakes=$work/bin
mkdir "$fakes"

# Every fake appends what it was asked to $FAKE/calls, one call a line.
# apt-get takes its behaviour for its n-th update and n-th install from the
# n-th word of $FAKE_UPDATE and $FAKE_INSTALL (the last word repeats).
cat >"$fakes/apt-get" <<'EOF'
#!/usr/bin/env bash
set -euo pipefail
via=""; [ -z "${FAKE_VIA_SUDO:-}" ] || via="sudo "
[ "${DEBIAN_FRONTEND:-}" = noninteractive ] || via="${via}interactive "
pick() { # pick COUNTER WORDS...
  local n; n=$(($(cat "$FAKE/$1" 2>/dev/null || echo 0) + 1)); echo "$n" >"$FAKE/$1"; shift
  local words=("$@"); echo "${words[$(( n <= ${#words[@]} ? n - 1 : ${#words[@]} - 1 ))]}"
}
args=("$@"); pkgs=(); cmd=""
for a in "${args[@]}"; do
  if [ -n "$cmd" ]; then pkgs+=("$a"); fi
  case $a in update | install) cmd=$a ;; esac
done
echo "$via$cmd${pkgs[*]:+ ${pkgs[*]}}" >>"$FAKE/calls"
if [ "$cmd" = update ]; then
  # shellcheck disable=SC2086
  case $(pick update_n ${FAKE_UPDATE:-ok}) in
    ok) echo "Reading package lists..." ;;
    partial)
      echo "Err:4 http://deb.debian.org/debian-security bookworm-security/main i386 Packages"
      echo "  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 203.0.113.80 80]"
      echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 203.0.113.80 80]" >&2
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
      exit 100 ;;
    locked)
      echo "E: Could not get lock /var/lib/apt/lists/lock. It is held by process 4242 (apt-get)" >&2
      exit 100 ;;
  esac
  exit 0
fi
# shellcheck disable=SC2086
case $(pick install_n ${FAKE_INSTALL:-ok}) in
  ok) printf '%s\n' "${pkgs[@]}" >>"$FAKE/installed" ;;
  noop) ;;
  unmet)
    cat <<'MSG'
Reading package lists...
Building dependency tree...
Some packages could not be installed. This may mean that you have
requested an impossible situation or if you are using the unstable
distribution that some required packages have not yet been created
or been moved out of Incoming.
The following information may help to resolve the situation:

The following packages have unmet dependencies:
 libwine:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 (>= 1.0.0) but it is not going to be installed
                Depends: libkrb5-3:i386 (>= 1.6.dfsg.2) but it is not going to be installed
 libcurl4:i386 : Depends: zlib1g:i386 (>= 1:1.1.4) but it is not going to be installed
MSG
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100 ;;
  unknown)
    echo "E: Unable to locate package ${pkgs[0]}" >&2
    exit 100 ;;
esac
EOF
cat >"$fakes/dpkg-query" <<'EOF'
#!/usr/bin/env bash
# dpkg-query -W -f=FORMAT NAME...: "name:arch status" for each name known.
# $FAKE/installed holds "name", "name=hold" (held) or "name=rc" (removed,
# its configuration files left).
shift 2
declare -A state
while IFS= read -r line; do
  case $line in *=*) state[${line%%=*}]=${line#*=} ;; ?*) state[$line]=ii ;; esac
done <"$FAKE/installed"
rc=0
for pkg in "$@"; do
  case $pkg in *:*) full=$pkg ;; *) full=$pkg:amd64 ;; esac
  case ${state[$pkg]:-} in
    ii) echo "$full install ok installed" ;;
    hold) echo "$full hold ok installed" ;;
    rc) echo "$full deinstall ok config-files" ;;
    *) echo "dpkg-query: no packages found matching $pkg" >&2; rc=1 ;;
  esac
done
exit $rc
EOF
cat >"$fakes/dpkg" <<'EOF'
#!/usr/bin/env bash
case $1 in
  --print-foreign-architectures) cat "$FAKE/archs" ;;
  --add-architecture) echo "${FAKE_VIA_SUDO:+sudo }add-architecture $2" >>"$FAKE/calls"; echo "$2" >>"$FAKE/archs" ;;
  *) echo "fake dpkg: $*" >&2; exit 2 ;;
esac
EOF
cat >"$fakes/id" <<'EOF'
#!/usr/bin/env bash
[ "$1" = -u ] && echo "${FAKE_UID:-0}"
EOF
cat >"$fakes/sudo" <<'EOF'
#!/usr/bin/env bash
FAKE_VIA_SUDO=1 exec "$@"
EOF
cat >"$fakes/sleep" <<'EOF'
#!/usr/bin/env bash
echo "sleep $1" >>"$FAKE/calls"
EOF
chmod +x "$fakes"/*

# Every package of the setup table, for cases that start from a machine
# that has them all ("*"), or all but some ("* -wine32:i386").
mapfile -t table < <("$scripts/setup" --list all | awk 'NR > 1 { print $1 }')
# How many packages a selection of groups has, by the table.
packages() { "$scripts/setup" --list "$@" | awk 'NR > 1' | wc -l; }
n_build=$(packages build)
n_all=$(packages all)
n_windows=$(packages windows)
n_rel_win=$(packages reliability windows)

failures=0
count=0
# check NAME [installed=...] [archs=...] [uid=...] [update=...] [install=...]
#       [pauses=...] cmd=... rc=N calls=... [out=REGEX]... [not=REGEX]...
# cmd runs in bash after sourcing the helper; $SETUP is scripts/setup.
# calls lists the fakes' calls joined by "; ".
check() {
  local name=$1; shift
  local installed="" archs="" uid=0 update=ok install=ok pauses=unset cmd="" rc=0 calls=""
  local outs=() nots=() kv
  for kv in "$@"; do
    case $kv in
      out=*) outs+=("${kv#out=}") ;;
      not=*) nots+=("${kv#not=}") ;;
      installed=* | archs=* | uid=* | update=* | install=* | pauses=* | cmd=* | rc=* | calls=*)
        printf -v "${kv%%=*}" '%s' "${kv#*=}" ;;
      *) echo "check $name: unknown field $kv" >&2; exit 2 ;;
    esac
  done
  count=$((count + 1))
  local fake=$work/case$count
  mkdir "$fake"
  local p words
  : >"$fake/calls"
  read -ra words <<<"$archs"
  printf '%s\n' "${words[@]}" >"$fake/archs"
  : >"$fake/installed"
  read -ra words <<<"$installed" # read, not a bare $installed: "*" must not glob
  for p in "${words[@]}"; do
    case $p in
      '*') printf '%s\n' "${table[@]}" >>"$fake/installed" ;;
      -*) grep -vxF -- "${p#-}" "$fake/installed" >"$fake/keep" || true; mv "$fake/keep" "$fake/installed" ;;
      *) echo "$p" >>"$fake/installed" ;;
    esac
  done

  local envs=(PATH="$fakes:$PATH" FAKE="$fake" FAKE_UID="$uid" FAKE_UPDATE="$update" FAKE_INSTALL="$install"
              SETUP="$scripts/setup" TMPDIR="$fake")
  [ "$pauses" = unset ] || envs+=(APT_RETRY_PAUSES="$pauses")
  local got_rc=0 out
  out=$(env -u APT_RETRY_PAUSES "${envs[@]}" bash -c "source '$scripts/lib/apt.sh'; $cmd" 2>&1) || got_rc=$?
  local got_calls
  got_calls=$(paste -sd';' "$fake/calls" | sed 's/;/; /g')

  local bad=()
  [ "$got_rc" = "$rc" ] || bad+=("exit status $got_rc, want $rc")
  [ "$got_calls" = "$calls" ] || bad+=("calls: [$got_calls]" "want:  [$calls]")
  for p in "${outs[@]}"; do grep -qE -- "$p" <<<"$out" || bad+=("no line matches: $p"); done
  for p in "${nots[@]}"; do ! grep -qE -- "$p" <<<"$out" || bad+=("a line matches: $p"); done
  # The helper cleans up after itself.
  local left
  left=$(find "$fake" -mindepth 1 -maxdepth 1 -name 'tmp.*' | wc -l)
  [ "$left" -eq 0 ] || bad+=("$left temporary files left behind")
  if [ ${#bad[@]} -eq 0 ]; then
    echo "ok    $name"
  else
    failures=$((failures + 1))
    echo "FAIL  $name"
    printf '      %s\n' "${bad[@]}"
    # shellcheck disable=SC2001 # every line, not one substitution
    sed 's/^/      | /' <<<"$out"
  fi
}

# The reason apt gives in the unmet case, condensed to one line.
unmet_reason='libwine:i386 : Depends: libgstreamer-plugins-base1\.0-0:i386 \(>= 1\.0\.0\) but it is not going to be installed \(and 2 more unmet dependencies\)'
three_installs='update; install cmake; sleep 5; update; install cmake; sleep 15; update; install cmake'

# --- the helper: when apt runs at all
check "everything there: no apt, no network" installed="cmake g++" \
  cmd='apt_install cmake g++' rc=0 calls='' not='.'
check "only the missing one is installed" installed="cmake" \
  cmd='apt_install cmake g++' rc=0 calls='update; install g++' out='^apt: installed g\+\+$'
check "an empty list does nothing" cmd='apt_install' rc=0 calls=''
check "removed with its configuration left counts as missing, held as installed" \
  installed="cmake=rc g++=hold wine32:i386" cmd='apt_missing cmake g++ wine32:i386 wine32:amd64 wine32' rc=0 calls='' \
  out='^cmake$' out='^wine32:amd64$' not='^g\+\+$' not='^wine32(:i386)?$'

# --- updates
check "a partial index failure is retried, then tolerated loudly" installed="" update=partial \
  cmd='apt_install cmake' rc=0 calls='update; sleep 5; update; sleep 15; update; install cmake' \
  out='^apt: index update failed partly \(Failed to fetch http://[^ ]*/binary-i386/Packages\.xz File has unexpected size \(374820 != 376004\)\. Mirror sync in progress\?\): going on with what is there$' \
  not='IP: 203'
check "an update that recovers needs no warning" update="partial ok" \
  cmd='apt_install cmake' rc=0 calls='update; sleep 5; update; install cmake' \
  out='^apt: index update attempt 1/3 failed \(exit 100\): Failed to fetch' not='going on with what is there'
check "an update that fails outright stops before installing" update=locked \
  cmd='apt_install cmake' rc=1 calls='update; sleep 5; update; sleep 15; update' \
  out='^apt: index update failed \(exit 100\):$' out='Could not get lock /var/lib/apt/lists/lock'
check "the pauses are configurable, and give the number of attempts" update=locked pauses="1 2 3" \
  cmd='apt_install cmake' rc=1 calls='update; sleep 1; update; sleep 2; update; sleep 3; update'
check "no pauses: one attempt" install=unmet pauses="" \
  cmd='apt_install cmake' rc=1 calls='update; install cmake'
check "one update for several installs in one process" installed="" install="ok" \
  cmd='apt_install cmake && apt_install g++' rc=0 calls='update; install cmake; install g++'

# --- required installs
check "an install that fails twice is tried a third time, with an update before each" install="unmet unmet ok" \
  cmd='apt_install cmake' rc=0 calls="$three_installs" \
  out="^apt: install attempt 1/3 failed \\(exit 100\\): $unmet_reason; again in 5 s\$" out='^apt: installed cmake$'
check "an install that keeps failing fails, with apt's errors shown" install=unmet \
  cmd='apt_install cmake' rc=1 calls="$three_installs" \
  out='^  \| E: Unable to correct problems, you have held broken packages\.$' \
  out='^  \|  libcurl4:i386 : Depends: zlib1g:i386' out="^apt: cannot install cmake: $unmet_reason\$"
check "an unknown package fails with apt's error line" install=unknown \
  cmd='apt_install cmake' rc=1 calls="$three_installs" out='^apt: cannot install cmake: Unable to locate package cmake$'
check "apt-get succeeding without installing the name is a failure" install=noop \
  cmd='apt_install cmake' rc=1 calls='update; install cmake' \
  out='^apt: cannot install cmake: apt-get succeeded, but cmake is still not installed'
check "a failed required install in a script stops it" install=unmet pauses="" \
  cmd='set -e; apt_install cmake; echo went on' rc=1 calls='update; install cmake' not='went on'

# --- optional installs and the i386 architecture
check "an optional package apt cannot install: distinct status, one-line reason" install=unmet archs="i386" \
  cmd='apt_install_optional wine32:i386 || { rc=$?; echo "reason=$APT_REASON"; exit $rc; }' rc=3 \
  calls='update; install wine32:i386; sleep 5; update; install wine32:i386; sleep 15; update; install wine32:i386' \
  out="^reason=$unmet_reason\$" out="^apt: optional wine32:i386 not installed: $unmet_reason\$" not='^  \|'
check "after a partial index failure the reason says so" install=unmet update=partial archs="i386" pauses="" \
  cmd='apt_install_optional wine32:i386 || { rc=$?; echo "reason=$APT_REASON"; exit $rc; }' rc=3 \
  calls='update; install wine32:i386' out="^reason=$unmet_reason; the index update had failed partly\$"
check "an optional package that installs" archs="i386" \
  cmd='apt_install_optional wine32:i386' rc=0 calls='update; install wine32:i386'
check "an optional package already there" installed="wine32:i386" \
  cmd='apt_install_optional wine32:i386' rc=0 calls=''
check "an i386 package adds the architecture first" archs="" \
  cmd='apt_install wine32:i386' rc=0 calls='add-architecture i386; update; install wine32:i386'
check "other packages leave the architectures alone" archs="" \
  cmd='apt_install wine64' rc=0 calls='update; install wine64'
check "not root: apt goes through sudo, with the front end kept" uid=1000 archs="" \
  cmd='apt_install wine32:i386' rc=0 calls='sudo add-architecture i386; sudo update; sudo install wine32:i386'

# --- scripts/setup
check "setup: the default group is build, optional packages of other groups untouched" \
  installed="* -cmake -wine32:i386" cmd='"$SETUP"' rc=0 calls='update; install cmake' \
  out="^setup: build: $n_build of $n_build packages present\$"
check "setup: a machine with everything runs no apt" installed="*" cmd='"$SETUP" all' rc=0 calls='' \
  out="^setup: build cups clang reliability windows debian views: $n_all of $n_all packages present\$"
check "setup: an optional package that cannot be installed is reported, setup succeeds" \
  installed="* -wine32:i386" archs="i386" install=unmet pauses="" \
  cmd='"$SETUP" --report "$FAKE/report" windows && sed "s/^/report: /" "$FAKE/report"' rc=0 \
  calls='update; install wine32:i386' \
  out="^setup: windows: $((n_windows - 1)) of $n_windows packages present\$" \
  out="^setup: optional wine32:i386 NOT INSTALLED: $unmet_reason\$" \
  out="^report: wine32:i386	$unmet_reason\$"
check "setup: required packages first, then the optional one, one update" \
  installed="* -valgrind -wine32:i386" archs="i386" cmd='"$SETUP" reliability windows' rc=0 \
  calls='update; install valgrind; install wine32:i386' out="^setup: reliability windows: $n_rel_win of $n_rel_win packages present\$"
check "setup: a required package that cannot be installed fails setup" \
  installed="* -cmake" install=unmet pauses="" cmd='"$SETUP" cups build' rc=1 calls='update; install cmake' \
  not='^setup: .* present'
check "setup: --list installs nothing" installed="" cmd='"$SETUP" --list windows' rc=0 calls='' \
  out='^wine32:i386 +windows +optional +missing +Wine' not='^valgrind '
check "setup: an unknown group is refused" cmd='"$SETUP" build windoze' rc=2 calls='' \
  out='^setup: unknown group windoze'

echo "$count cases, $failures failed"
[ "$failures" -eq 0 ]
