# Shared by the shell tests (sourced): counted checks and Windows paths.
#   check WHAT COMMAND...   runs COMMAND; prints "ok: WHAT" or counts a failure
#   fail WHAT               counts a failure
#   winpath PATH            the Wine path (Z:\...) of a Linux path
#   page_marks PDF          what each page of a PDF shows of the text
#                           "<name> content of page <n>", as "name:n " ("x "
#                           for a page without it)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }
winpath() { echo "Z:$1" | tr / '\\'; }
page_marks() {
    pdftotext "$1" - 2>/dev/null | awk -v RS='\f' '
        match($0, /[A-Za-z0-9]+ content of page [0-9]+/) {
            split(substr($0, RSTART, RLENGTH), w, " "); printf "%s:%s ", w[1], w[5]; next }
        NF { printf "x " }'
}
