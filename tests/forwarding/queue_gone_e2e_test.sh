#!/usr/bin/env bash
# End to end: a redirect queue removed from CUPS in the middle of a job and
# added again later. The job forwards 3 pages x 2 copies to JH_PDF_A and to a
# queue of the test's own, which is deleted once page 1 has been forwarded.
# The removed queue's documents fail to end, and the log says it is tried
# again; once the queue is back it is sent the whole document again.
# JH_PDF_A's documents come out whole; the job finishes and consumes its keys
# and spool files.
set -uo pipefail
source "$(dirname "$(realpath "$0")")/../common/checks.sh"
build=${JH_BUILD_DIR:?}
pdf=$build/cups/pdf
tag=gone$$
queue=JH_GONE_$$
job=$((8000 + $$ % 1000))
doc="${tag}_doc"
work=$build/test-work/$tag

lpadmin_() { CUPS_SERVER=$build/cups/cups.sock lpadmin "$@"; }
add_queue() {
    lpadmin_ -p "$queue" -E -v file:///dev/null -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>&1 |
        grep -v "drivers are deprecated"
}
messages() { tr -d '\r' 2>/dev/null < "$work/redirect.log" | cut -c23-; }

# Wine reads the CUPS queues when the first process that loads the spooler
# starts: the queue is there before jobhelper starts. Its output goes
# nowhere; only its removal matters.
add_queue
mkdir -p "$work/spool"
cat > "$work/job.ini" <<INI
[Job]
Printer=Queue Gone Printer
JobNumber=$job
DocumentName=$doc
Pages=3
Copies=2
RedirectPath=Queue Gone Printer\\Redirect $tag
RedirectPrinters=JH_PDF_A,$queue
LogFile=$(winpath "$work/redirect.log")
PageText=$doc content of page %d
SpoolDir=$(winpath "$work/spool")
PageDelayMs=1000
TimeoutSec=90
INI
sed -i 's/$/\r/' "$work/job.ini"

"$build/wine-exec.sh" "$build/bin/jobsim.exe" "$(winpath "$work/job.ini")" >"$work/jobsim.out" 2>&1 &
sim=$!
for _ in $(seq 1 100); do messages | grep -qx "Printing page: 1" && break; sleep 0.1; done
check "page 1 forwarded before the queue is removed" eval 'messages | grep -qx "Printing page: 1"'
lpadmin_ -x "$queue"
for _ in $(seq 1 300); do messages | grep -qxF "Printer $queue will be tried again." && break; sleep 0.1; done
add_queue
wait $sim
check "jobsim and jobhelper ended with 0" [ $? -eq 0 ]

found=()
for _ in $(seq 1 100); do
    mapfile -t found < <(ls "$pdf/JH_PDF_A/${doc}"*.pdf 2>/dev/null)
    [ ${#found[@]} -ge 2 ] && [ -n "$(pdfinfo "${found[1]}" 2>/dev/null)" ] && break
    sleep 0.2
done
check "two documents on JH_PDF_A" [ ${#found[@]} -eq 2 ]
for f in "${found[@]}"; do
    check "$f: three pages" [ "$(pdfinfo "$f" 2>/dev/null | sed -n 's/^Pages: *//p')" = 3 ]
done

expected=$(printf '%s\n' "Redirect printing started." "Document Name = $doc" "Redirect Printers Count = 2" \
    "Number of copies = 2" "Redirect Printer Names:" $'\tJH_PDF_A' $'\t'"$queue" \
    "Printing page: 1" "Printing page: 2" "Printing page: 3" \
    "Printing successfully finished (copy: 0)." "Printing successfully finished (copy: 1)." \
    "Error at EndDoc (copy: 0) N" "Error at EndDoc (copy: 1) N" "Printer $queue will be tried again." \
    "Printing successfully finished (copy: 0)." "Printing successfully finished (copy: 1)." \
    "Printer $queue printed the document after N tries." \
    "Redirect printing finished." "---------------------------")
actual=$(messages | sed -E 's/^(Error at EndDoc \(copy: [0-9]\)) [0-9]+$/\1 N/; s/after [0-9]+ tries/after N tries/')
check "log lines" [ "$actual" = "$expected" ]
[ "$actual" != "$expected" ] && diff <(echo "$expected") <(echo "$actual")
check "spool folder empty" [ -z "$(ls -A "$work/spool")" ]
keys=$("$build/wine-exec.sh" reg query "HKCU\\SOFTWARE\\Quennor Software LLC\\Queue Gone Printer" /s 2>/dev/null |
    tr -d '\r' | grep -cE "\\\\${job}(_[0-9]+)?$" || true)
check "no key of the job left" [ "$keys" = 0 ]

lpadmin_ -x "$queue" 2>/dev/null
"$build/wine-exec.sh" reg delete "HKCU\\SOFTWARE\\Quennor Software LLC\\Queue Gone Printer" /f >/dev/null 2>&1
rm -f "${found[@]}"
if [ $failures -ne 0 ]; then
    cat "$work/jobsim.out"
    echo "$failures check(s) failed"
    exit 1
fi
rm -rf "$work"
echo "all checks passed"
