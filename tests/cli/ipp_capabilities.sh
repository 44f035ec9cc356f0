#!/usr/bin/env bash
# ipp_capabilities.sh TOOL TESTFILE: serves 'TOOL capabilities --format ipp'
# with ippeveprinter on a loopback port and checks it with ipptool: the
# stock get-printer-attributes and validate-job tests, TESTFILE, and every
# media-col-database entry read from ipptool's plist. Exit 77 (skipped)
# without ippeveprinter, unless M4K7DB_REQUIRE_VIEWS=1 makes that a failure.
set -euo pipefail
tool=$1 testfile=$2
stock=/usr/share/cups/ipptool

# -o into a file without write permission: exit 2, the file as it was,
# no temporary file beside it. Checked here, before any skip.
ro=$(mktemp -d)
echo old >"$ro/m4k7.attrs"
chmod a-w "$ro/m4k7.attrs"
if "$tool" capabilities --format ipp -o "$ro/m4k7.attrs" 2>"$ro/err"; then rc=0; else rc=$?; fi
if [ $rc != 2 ] || [ "$(cat "$ro/m4k7.attrs")" != old ] || [ "$(ls "$ro")" != "$(printf 'err\nm4k7.attrs')" ] ||
  ! grep -q "$ro/m4k7.attrs" "$ro/err"; then
  echo "-o into a read-only file: exit $rc, $(ls "$ro" | tr '\n' ' '), $(cat "$ro/err")"
  rm -rf "$ro"
  exit 1
fi
rm -rf "$ro"

missing=""
for p in ippeveprinter ipptool dbus-daemon python3 timeout; do
  command -v "$p" >/dev/null || missing="$missing $p"
done
[ -d "$stock" ] || missing="$missing $stock"
if [ -n "$missing" ]; then
  echo "missing:$missing (cups-ipp-utils, dbus)"
  [ "${M4K7DB_REQUIRE_VIEWS:-0}" = 1 ] && { echo "M4K7DB_REQUIRE_VIEWS=1: failing"; exit 1; }
  exit 77
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

"$tool" capabilities --format ipp -o "$work/m4k7.attrs"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
# ippeveprinter sets up DNS-SD even with -r off and needs a bus for it.
timeout 60 dbus-daemon --session --address="unix:path=$work/bus" --nofork 2>/dev/null &
pids+=($!)
mkdir "$work/spool"
for _ in $(seq 50); do [ -S "$work/bus" ] && break; sleep 0.1; done
DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/bus" timeout 60 ippeveprinter -r off -p "$port" -n localhost \
  -a "$work/m4k7.attrs" -d "$work/spool" -c /bin/false M4K7 >"$work/printer.log" 2>&1 &
pids+=($!)
uri="ipp://localhost:$port/ipp/print"
up=0
for _ in $(seq 50); do
  if timeout 5 ipptool -q "$uri" "$stock/get-printer-attributes.test" 2>/dev/null; then up=1; break; fi
  sleep 0.1
done
[ $up = 1 ] || { echo "ippeveprinter did not answer on port $port"; cat "$work/printer.log"; exit 1; }

: >"$work/page.pwg" # Validate-Job sends the format only
status=0
timeout 30 ipptool -t "$uri" "$stock/get-printer-attributes.test" || status=1
timeout 30 ipptool -t -f "$work/page.pwg" "$uri" "$stock/validate-job.test" || status=1
timeout 30 ipptool -t "$uri" "$testfile" || status=1

# ipptool compares only the first collection of a member path: every entry
# comes from the plist instead.
timeout 30 ipptool -X "$uri" "$stock/get-printer-attributes.test" >"$work/attributes.plist"
python3 - "$work/attributes.plist" <<'PY' || status=1
import plistlib, sys
attrs = {}
for group in plistlib.load(open(sys.argv[1], "rb"))["Tests"][0]["ResponseAttributes"]:
    attrs.update(group)
entries = attrs["media-col-database"]
margins = ("media-top-margin", "media-bottom-margin", "media-left-margin", "media-right-margin")
# size name: margins (top, bottom, left, right) in the normal mode, then the full-length mode
expected = {
    "iso_a4_210x297mm": [(300, 700, 340, 340), (0, 0, 340, 340)],
    "na_letter_8.5x11in": [(300, 700, 640, 630), (0, 0, 340, 930)],
    "custom_size-272_9x13.3in": [(2794, 2794, 508, 508), (0, 0, 340, 2200)],
}
problems = []
for name, want in expected.items():
    got = [tuple(e[m] for m in margins) for e in entries if e["media-size-name"] == name]
    if got != want:
        problems.append(f"{name}: margins {got}, expected {want}")
for e in entries:
    size = e["media-size"]
    if e["media-size-name"] not in attrs["media-supported"]:
        problems.append(f"{e['media-size-name']} is not in media-supported")
    if any(e[m] < 0 for m in margins) or e["media-left-margin"] + e["media-right-margin"] >= size["x-dimension"]:
        problems.append(f"{e['media-size-name']}: margins leave no width")
full = [e for e in entries if e["media-top-margin"] == 0 and e["media-bottom-margin"] == 0]
if len(full) != len(entries) // 2 or any(e.get("media-source") != "m4k7-source-7" for e in full):
    problems.append("the full-length entries are not the half fed from m4k7-source-7")
print("\n".join(problems) or f"media-col-database: {len(entries)} entries as expected")
sys.exit(1 if problems else 0)
PY
exit $status
