# shellcheck shell=bash
# The one way this project installs Debian packages: scripts/setup and the
# .ci scripts go through these functions and nowhere else call apt-get.
#
#   source scripts/lib/apt.sh
#   apt_missing PACKAGE...           the ones not installed, one a line
#   apt_install PACKAGE...           installs the missing ones; 0, or 1 with
#                                    apt's errors shown
#   apt_install_optional PACKAGE     0 installed (or there already);
#                                    $APT_NOT_INSTALLABLE (3) when apt cannot
#                                    install it, with the reason in one line
#                                    in $APT_REASON; 1 when apt cannot run
#
# A machine that has every package asked for runs no apt-get at all, so
# it never touches the network. Mirrors fail now and then (an index that
# is mid-sync, a security update whose other architecture is not out yet),
# so updates and installs are tried again, and an index that fails to
# download is only a warning: what we need may well install from the rest.
#
# APT_RETRY_PAUSES: seconds to wait before each further attempt, "5 15" by
# default (three attempts); "0 0" tries three times without waiting, "" once.

APT_NOT_INSTALLABLE=3
APT_REASON=""
APT__UPDATED=""        # set once an update has run in this process
APT__UPDATE_PARTIAL="" # set when that update failed for some indexes

export DEBIAN_FRONTEND=noninteractive

# Runs a command as root: directly, or through sudo.
apt__as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  else
    # sudo drops the environment; the front end is given again.
    sudo env DEBIAN_FRONTEND=noninteractive "$@"
  fi
}

apt__can_be_root() {
  [ "$(id -u)" -eq 0 ] && return 0
  command -v sudo >/dev/null 2>&1 && return 0
  echo "apt: $* missing, and this is not root and there is no sudo: run it as root" >&2
  return 1
}

apt__pauses() {
  # Word splitting is the point: "5 15" is two pauses.
  # shellcheck disable=SC2206
  APT__PAUSES=(${APT_RETRY_PAUSES-5 15})
}

apt_missing() {
  [ $# -gt 0 ] || return 0
  # One dpkg-query for all: it takes a while on a full system. A name
  # with an architecture (wine32:i386) asks for that architecture's copy,
  # a plain one for any; held packages count, removed ones whose
  # configuration files are left do not.
  { dpkg-query -W -f='${Package}:${Architecture} ${Status}\n' "$@" 2>/dev/null || true; } |
    awk -v want="$*" '
      $3 == "ok" && $4 == "installed" { ok[$1] = 1; split($1, name, ":"); ok[name[1]] = 1 }
      END { n = split(want, w, " "); for (i = 1; i <= n; i++) if (!(w[i] in ok)) print w[i] }'
}

# One line from apt's output that says why it failed: the first unmet
# dependency (and how many more there are), else the first error.
apt__reason() {
  awk '
    function tidy(s) { sub(/^E: /, "", s); sub(/ *\[IP: [^]]*\]/, "", s); gsub(/[ \t]+/, " ", s); sub(/^ /, "", s); sub(/ $/, "", s); return s }
    /unmet dependencies:?$/ { block = 1; next }
    block && /^ +([^ ].* : )?(Pre-?)?Depends:|^ +([^ ].* : )?(Breaks|Conflicts):/ {
      if (first == "") first = tidy($0)
      n++
      next
    }
    block && !/^ / { block = 0 }
    /^E: / && err == "" { err = tidy($0) }
    END {
      if (first != "") {
        printf "%s", first
        if (n > 1) printf " (and %d more unmet dependencies)", n - 1
      } else if (err != "") {
        printf "%s", err
      }
    }' "$1"
}

# apt-get update, up to $1 attempts (default: one more than the pauses).
# 0 when the index is updated, or updated in part (with a warning);
# 1 when the update failed outright, with apt's output shown.
apt__update() {
  apt__pauses
  local attempts=${1:-$((${#APT__PAUSES[@]} + 1))} attempt=1 rc log
  log=$(mktemp)
  while :; do
    rc=0
    apt__as_root apt-get -q -o DPkg::Lock::Timeout=120 update >"$log" 2>&1 || rc=$?
    [ "$rc" -eq 0 ] && break
    [ "$attempt" -ge "$attempts" ] && break
    echo "apt: index update attempt $attempt/$attempts failed (exit $rc): $(apt__reason "$log"); again in ${APT__PAUSES[$((attempt - 1))]:-0} s" >&2
    sleep "${APT__PAUSES[$((attempt - 1))]:-0}"
    attempt=$((attempt + 1))
  done
  APT__UPDATED=1
  APT__UPDATE_PARTIAL=""
  if grep -q 'Some index files failed to download' "$log"; then
    # Loud: a later failure to install most likely comes from here.
    APT__UPDATE_PARTIAL=1
    echo "apt: index update failed partly ($(apt__reason "$log")): going on with what is there" >&2
    rc=0
  elif [ "$rc" -ne 0 ]; then
    echo "apt: index update failed (exit $rc):" >&2
    tail -n 40 "$log" | sed 's/^/  | /' >&2
  fi
  rm -f "$log"
  return "$rc"
}

# What every install needs first: root, the i386 architecture when an
# i386 package is asked for, and a fresh index.
apt__prepare() {
  apt__can_be_root "$@" || return 1
  local pkg
  for pkg in "$@"; do
    case $pkg in
      *:i386)
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
          echo "apt: adding the i386 architecture for $pkg" >&2
          apt__as_root dpkg --add-architecture i386 || return 1
          APT__UPDATED="" # the new architecture has no index yet
        fi
        break ;;
    esac
  done
  [ -n "$APT__UPDATED" ] || apt__update
}

# apt-get install, with an update and a pause between attempts. Leaves the
# last attempt's output in $APT__LOG (the caller removes it).
apt__install_tries() {
  apt__pauses
  local attempts=$((${#APT__PAUSES[@]} + 1)) attempt=1 rc
  APT__LOG=$(mktemp)
  while :; do
    rc=0
    apt__as_root apt-get -q -y --no-install-recommends -o DPkg::Lock::Timeout=120 install "$@" \
      >"$APT__LOG" 2>&1 || rc=$?
    if [ "$rc" -eq 0 ]; then
      # apt-get can succeed without installing the name asked for (a
      # virtual package): only dpkg's word counts.
      local still
      still=$(apt_missing "$@" | tr '\n' ' ')
      [ -z "$still" ] && return 0
      echo "E: apt-get succeeded, but ${still% } is still not installed (not a real package name?)" >>"$APT__LOG"
      return 1
    fi
    [ "$attempt" -ge "$attempts" ] && return "$rc"
    echo "apt: install attempt $attempt/$attempts failed (exit $rc): $(apt__reason "$APT__LOG"); again in ${APT__PAUSES[$((attempt - 1))]:-0} s" >&2
    sleep "${APT__PAUSES[$((attempt - 1))]:-0}"
    # A mirror in the middle of a sync may have finished by now.
    apt__update 1 || true
    attempt=$((attempt + 1))
  done
}

apt_install() {
  local missing
  mapfile -t missing < <(apt_missing "$@")
  [ ${#missing[@]} -eq 0 ] && return 0
  apt__prepare "${missing[@]}" || return 1
  echo "apt: installing ${missing[*]}" >&2
  local rc=0
  apt__install_tries "${missing[@]}" || rc=$?
  if [ "$rc" -eq 0 ]; then
    echo "apt: installed ${missing[*]}" >&2
  else
    echo "apt: the last attempt said:" >&2
    tail -n 60 "$APT__LOG" | sed 's/^/  | /' >&2
    echo "apt: cannot install ${missing[*]}: $(apt__reason "$APT__LOG")" >&2
    rc=1
  fi
  rm -f "$APT__LOG"
  return "$rc"
}

apt_install_optional() {
  APT_REASON=""
  [ -z "$(apt_missing "$1")" ] && return 0
  apt__prepare "$1" || return 1
  echo "apt: installing $1 (optional)" >&2
  if apt__install_tries "$1"; then
    echo "apt: installed $1" >&2
    rm -f "$APT__LOG"
    return 0
  fi
  APT_REASON=$(apt__reason "$APT__LOG")
  [ -n "$APT_REASON" ] || APT_REASON="apt-get install failed without an error line"
  [ -z "$APT__UPDATE_PARTIAL" ] || APT_REASON="$APT_REASON; the index update had failed partly"
  rm -f "$APT__LOG"
  echo "apt: optional $1 not installed: $APT_REASON" >&2
  return "$APT_NOT_INSTALLABLE"
}
