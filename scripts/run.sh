#!/usr/bin/env bash
# Builds the window program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target quorvex
exec build/app/quorvex "$@"
