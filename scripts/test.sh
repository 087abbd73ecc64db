#!/usr/bin/env bash
# Set-up, build and every test. CTest brings the private CUPS server and the
# Wine environment up before the tests and down after them. Then the Windows
# build check (scripts/msvc-check.sh): every product source compiled by clang
# in MSVC mode. Fails when either fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
status=0
(cd build && ctest --output-on-failure --timeout 900 "$@") || status=$?
scripts/msvc-check.sh || status=1
exit $status
