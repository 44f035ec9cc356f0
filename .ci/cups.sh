#!/usr/bin/env bash
# CI: what the Linux build needs to read printer data from CUPS and to run
# the CUPS tests (each starts its own scheduler on a private socket). Run
# before the main build so that it finds libcups.
set -euo pipefail

need=()
for pkg in libcups2-dev cups-daemon cups-client; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
