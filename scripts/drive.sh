#!/usr/bin/env bash
# The main job: builds, then drives the bundled car headless with vqsim.
# Extra arguments go to `vqsim drive`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec build/vqsim drive "$@"
