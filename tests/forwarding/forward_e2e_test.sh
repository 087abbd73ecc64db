#!/usr/bin/env bash
# End to end: jobsim.exe plays the port monitor for a 3-page job forwarded to
# two cups-pdf queues with 2 copies; jobhelper.exe does the forwarding. Checks
# the four PDFs (title, pages, text in order), that every page key and spool
# file is gone, and the log line by line.
set -uo pipefail
source "$(dirname "$(realpath "$0")")/../common/checks.sh"
build=${JH_BUILD_DIR:?}
pdf=$build/cups/pdf
tag=e2e$$
job=$((4000 + $$ % 1000))
doc="${tag}_forwarded"
work=$build/test-work/$tag


mkdir -p "$work/spool"
cat > "$work/job.ini" <<INI
[Job]
Printer=Fwd E2E Printer
JobNumber=$job
DocumentName=$doc
Pages=3
Copies=2
RedirectPath=Fwd E2E Printer\\Redirect $tag
RedirectPrinters=JH_PDF_A,JH_PDF_B
LogFile=$(winpath "$work/redirect.log")
PageText=$tag content of page %d
SpoolDir=$(winpath "$work/spool")
TimeoutSec=90
INI
sed -i 's/$/\r/' "$work/job.ini"

"$build/wine-exec.sh" "$build/bin/jobsim.exe" "$(winpath "$work/job.ini")" >"$work/jobsim.out" 2>&1
check "jobsim and jobhelper ended with 0" [ $? -eq 0 ]

# PDFs titled by the document name, once cups-pdf has finished them.
titled() {
    local queue=$1 f t found=()
    for _ in $(seq 1 150); do
        found=()
        for f in "$pdf/$queue"/"${doc}"*.pdf; do
            [ -e "$f" ] || continue
            t=$(pdfinfo "$f" 2>/dev/null | sed -n 's/^Title: *//p')
            [ "$t" = "$doc" ] && found+=("$f")
        done
        [ ${#found[@]} -ge 2 ] && break
        sleep 0.2
    done
    printf '%s\n' "${found[@]}"
}
page_text() { pdftotext -f "$2" -l "$2" "$1" - 2>/dev/null | tr -s ' \n\f' ' '; }

total=0
for q in JH_PDF_A JH_PDF_B; do
    mapfile -t docs < <(titled $q)
    check "two documents on $q" [ ${#docs[@]} -eq 2 ]
    total=$((total + ${#docs[@]}))
    for f in "${docs[@]}"; do
        check "$q: three pages" [ "$(pdfinfo "$f" | sed -n 's/^Pages: *//p')" = 3 ]
        for p in 1 2 3; do
            text=$(page_text "$f" $p)
            check "$q: page $p shows its own content" grep -q "$tag content of page $p" <<<"$text"
            for o in 1 2 3; do
                [ $o -ne $p ] && check "$q: page $p without page $o" eval '! grep -q "$tag content of page $o" <<<"$text"'
            done
        done
    done
done
check "four documents in all" [ $total -eq 4 ]

# Every page key and spool file is gone.
check "spool folder empty" [ -z "$(ls -A "$work/spool")" ]
keys=$("$build/wine-exec.sh" reg query "HKCU\\SOFTWARE\\Quennor Software LLC\\Fwd E2E Printer\\Forwarding" 2>/dev/null | grep -c "_" || true)
check "no page or document key left" [ "$keys" = 0 ]

# The log, without timestamps.
expected=$(printf '%s\n' "Redirect printing started." "Document Name = $doc" "Redirect Printers Count = 2" \
    "Number of copies = 2" "Redirect Printer Names:" $'\tJH_PDF_A' $'\tJH_PDF_B' \
    "Printing page: 1" "Printing page: 2" "Printing page: 3" \
    "Printing successfully finished (copy: 0)." "Printing successfully finished (copy: 1)." \
    "Printing successfully finished (copy: 0)." "Printing successfully finished (copy: 1)." \
    "Redirect printing finished." "---------------------------")
actual=$(sed 's/\r$//' "$work/redirect.log" | cut -c23-)
check "log lines" [ "$actual" = "$expected" ]
check "log timestamps" eval '! sed "s/\r$//" "$work/redirect.log" | grep -qvE "^\[[0-9]{2}/[0-9]{2}/[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}\] "'
if [ "$actual" != "$expected" ]; then
    diff <(echo "$expected") <(echo "$actual")
fi

"$build/wine-exec.sh" reg delete "HKCU\\SOFTWARE\\Quennor Software LLC\\Fwd E2E Printer" /f >/dev/null 2>&1
if [ $failures -ne 0 ]; then
    cat "$work/jobsim.out"
    echo "$failures check(s) failed"
    exit 1
fi
rm -rf "$work"
echo "all checks passed"
