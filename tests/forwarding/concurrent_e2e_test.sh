#!/usr/bin/env bash
# Jobs forwarded at the same time: jobsim jobs with their own job numbers, one
# printer name and one log file, each 3 pages x COPIES copies to JH_PDF_A and
# JH_PDF_B. Every page shows its document's name and number, so that a
# document carrying another job's pages is seen.
#   concurrent_e2e_test.sh                      4 jobs of 2 copies at once;
#       checks every document page by page, the shared log line by line and
#       that every key and spool file is consumed.
#   concurrent_e2e_test.sh --figures [JOBS] [PROGRAM]
#       JOBS (20) jobs of 2 copies at once, then the same jobs one after
#       another; prints the figures of both runs. PROGRAM (a Linux path)
#       replaces jobhelper.exe, for example the build of an older version.
#   concurrent_e2e_test.sh --staggered [JOBS] [GAP] [PROGRAM]
#       JOBS (60) jobs of 1 copy started GAP (0.25) s apart; prints figures.
# Needs the build's test environment: in the build folder, ctest -R env_up.
set -uo pipefail
source "$(dirname "$(realpath "$0")")/../common/checks.sh"
here=$(dirname "$(realpath "$0")")
build=${JH_BUILD_DIR:-$(realpath "$here/../../build")}
pdf=$build/cups/pdf
tag=cc$$
printer="Concurrent Printer"
mode=${1:-test}
jobs=4 pages=3 copies=2 gap=0 program=""
case $mode in
    --figures) jobs=${2:-20} program=${3:-} ;;
    --staggered) jobs=${2:-60} gap=${3:-0.25} copies=1 program=${4:-} ;;
esac
work=$build/test-work/$tag

wine() { "$build/wine-exec.sh" "$@"; }
now() { date +%s.%N; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
root="HKCU\\SOFTWARE\\Quennor Software LLC\\$printer"

# write_jobs PHASE FIRST-JOB: one job description per job, documents named
# <tag><phase><nn>.
write_jobs() {
    local phase=$1 first=$2 i
    mkdir -p "$work/$phase/spool"
    for i in $(seq 1 "$jobs"); do
        local doc=$tag$phase$(printf %02d "$i")
        {
            echo "[Job]"
            echo "Printer=$printer"
            echo "JobNumber=$((first + i))"
            echo "DocumentName=$doc"
            echo "Pages=$pages"
            echo "Copies=$copies"
            echo "RedirectPrinters=JH_PDF_A,JH_PDF_B"
            # jobsim rewrites the redirect settings key of its job (deleted,
            # then written again): one key per job, all naming one log file.
            echo "RedirectPath=$printer\\Redirect $i"
            echo "LogFile=$(winpath "$work/$phase/redirect.log")"
            echo "PageText=$doc content of page %d"
            echo "SpoolDir=$(winpath "$work/$phase/spool")"
            echo "TimeoutSec=240"
            [ -n "$program" ] && echo "Program=$(winpath "$(realpath "$program")")"
        } | sed 's/$/\r/' > "$work/$phase/job$i.ini"
    done
}

# run_jobs PHASE at-once|in-turn: runs the jobs, GAP seconds apart at once;
# sets elapsed and ended (the number of jobsim runs that ended with 0).
run_jobs() {
    local phase=$1 how=$2 i t0 pids=()
    t0=$(now)
    for i in $(seq 1 "$jobs"); do
        wine "$build/bin/jobsim.exe" "$(winpath "$work/$phase/job$i.ini")" >"$work/$phase/jobsim$i.out" 2>&1 &
        pids+=($!)
        [ "$how" = in-turn ] && { wait $!; echo "exit code $?" >>"$work/$phase/jobsim$i.out"; }
        [ "$how" = at-once ] && sleep "$gap"
    done
    if [ "$how" = at-once ]; then
        for i in "${!pids[@]}"; do wait "${pids[$i]}"; echo "exit code $?" >>"$work/$phase/jobsim$((i + 1)).out"; done
    fi
    ended=$(cat "$work/$phase"/jobsim*.out | grep -c "^exit code 0$")
    elapsed=$(seconds_since "$t0")
}

# collect PHASE: waits for the phase's PDFs (all of them, or none new for 20 s)
# and fills docs[file]=title.
declare -A docs
collect() {
    local phase=$1 want=$((jobs * copies * 2)) last f t
    docs=()
    last=$(date +%s)
    while [ ${#docs[@]} -lt $want ] && [ $(($(date +%s) - last)) -lt 20 ]; do
        for f in "$pdf"/JH_PDF_[AB]/"$tag$phase"*.pdf; do
            [ -e "$f" ] && [ -z "${docs[$f]:-}" ] || continue
            t=$(pdfinfo "$f" 2>/dev/null | sed -n 's/^Title: *//p')
            [ -n "$t" ] && { docs[$f]=$t; last=$(date +%s); }
        done
        sleep 0.5
    done
}

# One job's log messages, its document name left out.
job_messages() {
    local p c q
    printf '%s\n' "Redirect printing started." "Document Name = *" "Redirect Printers Count = 2" \
        "Number of copies = $copies" "Redirect Printer Names:" $'\tJH_PDF_A' $'\tJH_PDF_B'
    for p in $(seq 1 "$pages"); do echo "Printing page: $p"; done
    for q in A B; do
        for c in $(seq 0 $((copies - 1))); do echo "Printing successfully finished (copy: $c)."; done
    done
    printf '%s\n' "Redirect printing finished." "---------------------------"
}

# examine PHASE: sets good_docs (whole, with their own pages), good_pages,
# short_jobs (jobs without their COPIES documents on a queue), logged_jobs,
# torn, log_order, keys_left and files_left; prints each document or job
# that is short.
examine() {
    local phase=$1 f want i n
    local log=$work/$phase/redirect.log
    good_docs=0 good_pages=0 short_jobs=0
    declare -A per_job=()
    for f in "${!docs[@]}"; do
        n=$(pdfinfo "$f" 2>/dev/null | sed -n 's/^Pages: *//p')
        want=$(seq 1 "$pages" | sed "s/^/${docs[$f]}:/" | tr '\n' ' ')
        if [ "$(page_marks "$f")" = "$want" ] && [ "$n" = "$pages" ]; then
            good_docs=$((good_docs + 1)) good_pages=$((good_pages + n))
            per_job[${docs[$f]}:${f%/*}]=$((${per_job[${docs[$f]}:${f%/*}]:-0} + 1))
        else
            echo "  $f: pages '$(page_marks "$f")'"
        fi
    done
    for i in $(seq 1 "$jobs"); do
        for f in A B; do
            n=${per_job[$tag$phase$(printf %02d "$i"):$pdf/JH_PDF_$f]:-0}
            [ "$n" = "$copies" ] || { echo "  job $i: $n documents on JH_PDF_$f"; short_jobs=$((short_jobs + 1)); }
        done
    done
    touch "$log"
    torn=$(grep -cvaE $'^\\[[0-9]{2}/[0-9]{2}/[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}\\] [^\r]*\r$' "$log")
    logged_jobs=$(tr -d '\r' < "$log" | sed -n "s/^.\{22\}Document Name = \($tag$phase[0-9]*\)$/\1/p" | sort -u | wc -l)
    job_messages > "$work/$phase/job.txt"
    tr -d '\r' < "$log" | cut -c23- | sed 's/^Document Name = .*/Document Name = */' > "$work/$phase/messages.txt"
    log_order=$(awk -v k="$jobs" -f "$here/logorder.awk" "$work/$phase/job.txt" "$work/$phase/messages.txt")
    log_order=${log_order:-ok}
    keys_left=$(wine reg query "$root" /s 2>/dev/null | tr -d '\r' | grep -cE '\\[0-9]+(_[0-9]+)?$')
    files_left=$(find "$work/$phase/spool" -type f | wc -l)
}

spl_files() { find "$build/wineprefix/drive_c/windows/system32/spool/printers" -name '*.SPL' 2>/dev/null | wc -l; }

cleanup() {
    rm -f "$pdf"/JH_PDF_[AB]/"$tag"*.pdf
    wine reg delete "$root" /f >/dev/null 2>&1
}

wine reg delete "$root" /f >/dev/null 2>&1
# Lines of the log that tell of printers tried again, counted by their kind.
retry_lines() {
    tr -d '\r' < "$1" | cut -c23- | sed -nE 's/^Printer [^ ]+ (will be tried again|printed the document after|given up after).*/\1/p' |
        sort | uniq -c | awk '{ n = $1; $1 = ""; printf "%s%s \"%s\"", sep, n, substr($0, 2); sep = ", " }'
}

if [ "$mode" = --figures ] || [ "$mode" = --staggered ]; then
    base=$((7000 + $$ % 100 * 100))
    report() {
        local all=$((jobs * copies * 2))
        printf '%-12s %5s docs of %d whole with their own pages, %5s pages of %d, %2d of %d jobs logged (order: %s, torn lines %d),' \
            "$1" "$good_docs" $all "$good_pages" $((all * pages)) "$logged_jobs" "$jobs" "${log_order%%:*}" "$torn"
        printf ' %d keys, %d spool files, %d system spool files left, %d of %d jobsim runs ended with 0, %.1f s\n' \
            "$keys_left" "$files_left" "$(spl_files)" "$ended" "$jobs" "$elapsed"
        printf '%-12s printers tried again: %s\n' "" "$(retry_lines "$work/$2/redirect.log")"
    }
    write_jobs c $base
    if [ "$mode" = --staggered ]; then
        run_jobs c at-once; collect c; examine c; report "${gap} s apart" c; kept=$short_jobs
    else
        write_jobs s $((base + 50))
        run_jobs c at-once; collect c; examine c; report "at once" c; kept=$short_jobs
        run_jobs s in-turn; collect s; examine s; report "in turn" s; kept=$((kept + short_jobs))
    fi
    cleanup
    if [ $kept = 0 ]; then rm -rf "$work"; else echo "job descriptions, logs and jobsim output: $work"; fi
    exit 0
fi

write_jobs c $((6000 + $$ % 100 * 10))
run_jobs c at-once
check "every jobsim run ended with 0" [ "$ended" = "$jobs" ]
collect c
examine c
check "$copies document(s) of every job on each queue, every page its own and in order" \
    [ "$good_docs:$short_jobs" = "$((jobs * copies * 2)):0" ]
check "no line torn" [ "$torn" = 0 ]
check "every job's lines whole and in order: $log_order" [ "$log_order" = ok ]
check "every job named in the log" [ "$logged_jobs" = "$jobs" ]
check "no key of a job left" [ "$keys_left" = 0 ]
check "spool folder empty" [ "$files_left" = 0 ]

if [ $failures -ne 0 ]; then
    cat "$work"/c/jobsim*.out
    tr -d '\r' < "$work/c/redirect.log"
    cleanup
    echo "$failures check(s) failed"
    exit 1
fi
cleanup
rm -rf "$work"
echo "all checks passed"
