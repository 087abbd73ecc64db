#!/usr/bin/env bash
# End to end: a job of 6 pages x 2 copies to JH_PDF_A and JH_PDF_B while the
# spooler's back end (cupsd) or one queue is away for a while.
#   fault_e2e_test.sh start    cupsd down when forwarding starts, back 5 s later
#   fault_e2e_test.sh middle   cupsd down from page 3 on, back 5 s later
#   fault_e2e_test.sh end      cupsd down after the last page, back 10 s later
#   fault_e2e_test.sh reject   JH_PDF_B rejects jobs from page 3 on, until
#                              its documents have failed to end
#   fault_e2e_test.sh stall    cupsd stands still for 6 s from the last page
#                              on, while the job ends its documents and a
#                              second job starts its own
# Both queues get both copies of every job, whole and each page its own; the
# log shows each printer that was tried again and then printed; keys, spool
# files and the kept pages are gone. The log is printed. A second argument
# (a Linux path) replaces jobhelper.exe, for example an older build.
set -uo pipefail
source "$(dirname "$(realpath "$0")")/../common/checks.sh"
fault=${1:?start|middle|end|reject|stall}
program=${2:-}
build=${JH_BUILD_DIR:?}
cups=$(dirname "$(realpath "$0")")/../../scripts/cups.sh
pdf=$build/cups/pdf
tag=fault$$
job=$((9000 + $$ % 1000))
doc=${tag}doc
work=$build/test-work/$tag
root="HKCU\\SOFTWARE\\Quennor Software LLC\\Fault Printer"

wine() { "$build/wine-exec.sh" "$@"; }
messages() { tr -d '\r' 2>/dev/null < "$work/redirect.log" | cut -c23-; }
# wait_for LINE: waits (up to 60 s) until the log holds LINE.
wait_for() {
    for _ in $(seq 1 600); do messages | grep -qxF "$1" && return 0; sleep 0.1; done
    fail "the log never said: $1"
}

# write_job NAME JOB PAGE-DELAY-MS [KEY=VALUE...]: a job description; its
# document is named <doc><NAME>.
write_job() {
    local name=$1 number=$2 delay=$3
    shift 3
    {
        printf '%s\n' "[Job]" "Printer=Fault Printer" "JobNumber=$number" "DocumentName=$doc$name" "Pages=6" \
            "Copies=2" "RedirectPath=Fault Printer\\Redirect $tag" "RedirectPrinters=JH_PDF_A,JH_PDF_B" \
            "LogFile=$(winpath "$work/redirect.log")" "PageText=$doc$name content of page %d" \
            "SpoolDir=$(winpath "$work/spool")" "PageDelayMs=$delay" "TimeoutSec=150" "$@"
        [ -n "$program" ] && echo "Program=$(winpath "$(realpath "$program")")"
    } | sed 's/$/\r/' > "$work/$name.ini"
}

# run_sim NAME: starts jobsim on NAME.ini in the background; pids[NAME] is
# its process.
declare -A pids
run_sim() {
    wine "$build/bin/jobsim.exe" "$(winpath "$work/$1.ini")" >"$work/$1.out" 2>&1 &
    pids[$1]=$!
}

mkdir -p "$work/spool"
delay=1000
[ "$fault" = start ] && delay=200
write_job job $job $delay
jobs=(job)
if [ "$fault" = stall ]; then
    # Its helper starts with the first one, and starts its documents 8 s
    # later, while cupsd stands still and the first job's documents end.
    write_job second $((job + 2)) 0 "DocumentDelayMs=8000"
    run_sim second
    jobs+=(second)
fi

if [ "$fault" = start ]; then
    # Another job runs meanwhile, as some program always does on a desktop,
    # so that the spooler keeps its queues while cupsd is down (the first
    # process to load the spooler while cupsd cannot be reached gets none).
    write_job holder $((job + 1)) 0 "NoRedirect=1" "End=none" "TimeoutSec=100"
    run_sim holder
    # Its helper is running once it has taken the "No Redirect" away.
    seen=0
    for _ in $(seq 1 100); do
        if wine reg query "$root\\Forwarding\\$((job + 1))_0" >/dev/null 2>&1; then seen=1
        elif [ $seen = 1 ]; then break; fi
        sleep 0.2
    done
    "$cups" pause "$build"
fi
run_sim job
case $fault in
    start) sleep 5; "$cups" resume "$build" ;;
    middle) wait_for "Printing page: 3"; "$cups" pause "$build"; sleep 5; "$cups" resume "$build" ;;
    end) wait_for "Printing page: 6"; "$cups" pause "$build"; sleep 10; "$cups" resume "$build" ;;
    reject)
        wait_for "Printing page: 3"
        CUPS_SERVER=$build/cups/cups.sock cupsreject JH_PDF_B
        wait_for "Printer JH_PDF_B will be tried again."
        CUPS_SERVER=$build/cups/cups.sock cupsaccept JH_PDF_B ;;
    stall) wait_for "Printing page: 6"; "$cups" stall "$build" 6 ;;
esac
for name in "${jobs[@]}"; do
    wait "${pids[$name]}"
    check "jobsim and jobhelper of $name ended with 0" [ $? -eq 0 ]
done
if [ "$fault" = start ]; then
    wine reg add "$root\\$((job + 1))" /v "Job Status" /t REG_SZ /d "Job Finished" /f >/dev/null 2>&1
    wait "${pids[holder]}"
fi

# Both copies of each job on each queue, each page its own and in order.
for name in "${jobs[@]}"; do
    want=$(for p in 1 2 3 4 5 6; do printf '%s:%s ' "$doc$name" "$p"; done)
    for q in JH_PDF_A JH_PDF_B; do
        found=()
        for _ in $(seq 1 100); do
            mapfile -t found < <(ls "$pdf/$q/$doc$name"*.pdf 2>/dev/null)
            [ ${#found[@]} -ge 2 ] && pdfinfo "${found[1]}" >/dev/null 2>&1 && break
            sleep 0.2
        done
        check "two documents of $doc$name on $q" [ ${#found[@]} -eq 2 ]
        for f in "${found[@]}"; do
            check "$(basename "$f"): its six pages" [ "$(page_marks "$f")" = "$want" ]
        done
        echo "$doc$name on $q: ${#found[@]} documents"
    done
done

echo "log:"
messages | sed 's/^/    /'
check "no printer given up" eval '! messages | grep -q "given up"'
check "every copy printed" \
    [ "$(messages | grep -c '^Printing successfully finished (copy: [01])\.$')" = $((4 * ${#jobs[@]})) ]
for q in JH_PDF_A JH_PDF_B; do
    if messages | grep -qxF "Printer $q will be tried again."; then
        check "$q printed after its tries" eval "messages | grep -qE '^Printer $q printed the document after [0-9]+ tries\.$'"
    fi
done
check "the separator is the job's last line" [ "$(messages | tail -1)" = "---------------------------" ]
check "spool folder empty" [ -z "$(ls -A "$work/spool")" ]
temp=$(echo "$build"/wineprefix/drive_c/users/*/Temp)
kept=$(ls -d "$temp/jobhelper_${job}_"* "$temp/jobhelper_$((job + 2))_"* 2>/dev/null | wc -l)
check "no kept pages left" [ "$kept" = 0 ]
keys=$(wine reg query "$root" /s 2>/dev/null | tr -d '\r' | grep -cE "\\\\($job|$((job + 2)))(_[0-9]+)?$")
check "no key of the job left" [ "$keys" = 0 ]

wine reg delete "$root" /f >/dev/null 2>&1
rm -f "$pdf"/JH_PDF_[AB]/"$doc"*.pdf
if [ $failures -ne 0 ]; then
    cat "$work"/*.out
    echo "$failures check(s) failed"
    exit 1
fi
rm -rf "$work"
echo "all checks passed"
