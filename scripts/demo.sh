#!/usr/bin/env bash
# Shrinks a sample picture the project makes itself, from an executable folder of its own.
set -euo pipefail
build=${1:-build}
echo "Kobanto is built in $build/kobanto."
echo "Picture shrinking is not built yet, so the demo stops here without converting anything."
