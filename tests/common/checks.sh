# Shared by the shell tests (sourced): counted checks and Windows paths.
#   check WHAT COMMAND...   runs COMMAND; prints "ok: WHAT" or counts a failure
#   fail WHAT               counts a failure
#   winpath PATH            the Wine path (Z:\...) of a Linux path
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }
winpath() { echo "Z:$1" | tr / '\\'; }
