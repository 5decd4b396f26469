#!/usr/bin/env bash
# Builds the Linux launcher and runs it against the demo portal, which this
# script starts on 127.0.0.1:18614 (the default build's portal address) and
# stops afterwards. Arguments are passed on as the launcher's command line
# text, e.g. `scripts/run.sh -u` for the uninstall question.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh linux
source scripts/lib.sh
start_display

portal=build/linux/tools/demo_portal/demo_portal
portal_pid=""
if [ -x "$portal" ] && ! curl -s -o /dev/null "http://127.0.0.1:18614/"; then
  "$portal" --port 18614 &
  portal_pid=$!
fi
status=0
if [ $# -gt 0 ]; then
  build/linux/src/Quellmoor "$*" || status=$?
else
  build/linux/src/Quellmoor || status=$?
fi
[ -z "$portal_pid" ] || kill "$portal_pid" 2>/dev/null || true
exit $status
