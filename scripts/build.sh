#!/usr/bin/env bash
# Configures and builds the cross-built program, tools and tests into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset mingw >/dev/null
cmake --build build --parallel "$(nproc)"
