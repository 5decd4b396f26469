#!/usr/bin/env bash
# Builds the Linux launcher and runs it. Arguments are passed on as the
# launcher's command line text.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh linux
source scripts/lib.sh
start_display
exec_args=()
[ $# -gt 0 ] && exec_args=("$*")
build/linux/src/Quellmoor "${exec_args[@]}"
