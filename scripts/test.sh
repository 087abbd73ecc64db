#!/usr/bin/env bash
# Set-up, build and every test. CTest brings the private CUPS server and the
# Wine environment up before the tests and down after them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
cd build
ctest --output-on-failure --timeout 900 "$@"
