#!/usr/bin/env bash
# End to end: jobsim.exe plays the port monitor for jobs forwarded to the PDF
# queue JH_PDF_C; the PDFs are read back with pdftotext.
#  1. 3 pages, 2 copies, Bates format 1 of the job's printer (prefix ABC,
#     6 digits padded with 0, starting at 40) and the annotation
#     "Page <<PAGENUM>> of <<DOCNAME>> | <date>": every page of every copy
#     carries "ABC  0000nn" and "Page n of <document>", and the log has the
#     success lines.
#  2. The same job with a device mode one byte short: the stamps' failure
#     lines are logged and the pages still print, without the stamps.
set -euo pipefail
build=${JH_BUILD_DIR:?}
queue=JH_PDF_C
pdfdir=$build/cups/pdf/$queue
work=$build/stamping_e2e
rm -rf "$work"
mkdir -p "$work"
wine="$build/wine-exec.sh"
printer="Stamp E2E Printer"
fail=0

winpath() { printf 'Z:%s' "${1//\//\\}"; }
err() { echo "FAIL: $*" >&2; fail=1; }

# The Bates format, as the driver's user interface stores it: all text.
fmtkey="HKCU\\SOFTWARE\\Quennor Software LLC\\$printer\\BatesNumbering\\1"
"$wine" reg delete "HKCU\\SOFTWARE\\Quennor Software LLC\\$printer" /f >/dev/null 2>&1 || true
setfmt() { "$wine" reg add "$fmtkey" /v "$1" /t REG_SZ /d "$2" /f >/dev/null; }
setfmt "Name" "Court"
setfmt "Use prefix" "1"
setfmt "Prefix" "ABC"
setfmt "Transparent" "1"
setfmt "Position" "4"
setfmt "X Offset" "-50"
setfmt "Y Offset" "-50"
setfmt "Offset unit" "1"
setfmt "Color" "0"
setfmt "Font Height" "0"
setfmt "Font Facename" ""
setfmt "Bates Number Length" "6"
setfmt "Bates Padding Character" "0"

# Runs one job; $1 tag (also the document name), $2 job number, $3 extra
# [DevMode] lines. Leaves the new PDFs' names in $work/$1.pdfs.
run_job() {
    local tag=$1 job=$2 extra=$3 dir=$work/$1
    mkdir -p "$dir/spool"
    ls "$pdfdir" > "$dir/before" 2>/dev/null || true
    cat > "$dir/job.ini" <<INI
[Job]
Printer=$printer
JobNumber=$job
DocumentName=$tag
Pages=3
Copies=2
RedirectPrinters=$queue
LogFile=$(winpath "$dir/redirect.log")
SpoolDir=$(winpath "$dir/spool")
BatesStart=40
BatesFormat=0
TimeoutSec=120
[DevMode]
; Bates numbering on; annotation on with its text and the date, transparent.
Flags=0x08000000
AnnotationFlags=0x8087
AnnotationText=Page <<PAGENUM>> of <<DOCNAME>>
AnnotationSeparator=|
$extra
INI
    "$wine" "$build/bin/jobsim.exe" "$(winpath "$dir/job.ini")" > "$dir/jobsim.out" 2>&1 \
        || err "$tag: jobsim exit code $? (see $dir/jobsim.out)"
    # cups-pdf writes asynchronously: wait for both copies, titled by the document.
    local found=""
    for _ in $(seq 1 240); do
        found=$(ls "$pdfdir" 2>/dev/null | grep -vxF -f "$dir/before" || true)
        local n=0 f
        for f in $found; do
            [ "$(pdfinfo "$pdfdir/$f" 2>/dev/null | sed -n 's/^Title: *//p')" = "$tag" ] && n=$((n + 1))
        done
        [ "$n" -ge 2 ] && break
        sleep 0.5
    done
    : > "$dir/pdfs"
    for f in $found; do
        [ "$(pdfinfo "$pdfdir/$f" 2>/dev/null | sed -n 's/^Title: *//p')" = "$tag" ] && echo "$pdfdir/$f" >> "$dir/pdfs"
    done
    [ "$(wc -l < "$dir/pdfs")" -eq 2 ] || err "$tag: expected 2 PDFs, found $(wc -l < "$dir/pdfs")"
}

# Log messages without their timestamps.
messages() { tr -d '\r' < "$1" | sed 's/^\[[0-9/ :]*\] //'; }

count_lines() { messages "$1" | grep -cxF "$2" || true; }

# pdftotext shows any run of blanks as one; the two blanks between prefix and
# number show as a gap wider than one blank (about 0.3 of the word height)
# before the number. Gives the gap in hundredths of the word height.
gap_before() { # $1 pdf, $2 page, $3 word
    pdftotext -bbox -f "$2" -l "$2" "$1" - | awk -v w="$3" '
        /<word / {
            match($0, /xMin="[0-9.]+"/); x0 = substr($0, RSTART + 6, RLENGTH - 7) + 0
            match($0, /xMax="[0-9.]+"/); x1 = substr($0, RSTART + 6, RLENGTH - 7) + 0
            match($0, /yMin="[0-9.]+"/); y0 = substr($0, RSTART + 6, RLENGTH - 7) + 0
            match($0, /yMax="[0-9.]+"/); y1 = substr($0, RSTART + 6, RLENGTH - 7) + 0
            t = $0; sub(/.*">/, "", t); sub(/<\/word>.*/, "", t)
            if (t == w && prev != "") { printf "%d\n", (x0 - prevx1) * 100 / (y1 - y0); exit }
            prev = t; prevx1 = x1
        }'
}

# ---- 1. stamped job ----
run_job "stamped report" 611 ""
date_re='[0-9]{4}/[0-9]{2}/[0-9]{2}'
while read -r pdf; do
    pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
    [ "$pages" = 3 ] || err "$pdf: $pages pages"
    for p in 1 2 3; do
        text=$(pdftotext -layout -f "$p" -l "$p" "$pdf" -)
        num=$(printf '%06d' $((39 + p)))
        grep -qE "ABC +$num\$" <<<"$text" || err "$pdf page $p: no 'ABC  $num' in: $text"
        gap=$(gap_before "$pdf" "$p" "$num")
        [ "${gap:-0}" -ge 45 ] || err "$pdf page $p: gap before $num is ${gap:-none}/100 of its height, not two blanks"
        grep -qE "Page $p of stamped report \| $date_re" <<<"$text" \
            || err "$pdf page $p: no annotation in: $text"
        grep -qF "Content of page $p" <<<"$text" || err "$pdf page $p: page content missing"
    done
done < "$work/stamped report/pdfs"
log="$work/stamped report/redirect.log"
for c in 0 1; do
    n=$(count_lines "$log" "Annotations added successfully (copy: $c).")
    [ "$n" = 3 ] || err "stamped: 'Annotations added successfully (copy: $c).' $n times, not 3"
    n=$(count_lines "$log" "Bates number added successfully (copy: $c).")
    [ "$n" = 3 ] || err "stamped: 'Bates number added successfully (copy: $c).' $n times, not 3"
done
if messages "$log" | grep -q "failed"; then err "stamped: failure lines in the log"; fi

# ---- 2. device mode of the wrong size ----
run_job "short devmode" 612 "Size=6878"
while read -r pdf; do
    for p in 1 2 3; do
        text=$(pdftotext -layout -f "$p" -l "$p" "$pdf" -)
        grep -qF "Content of page $p" <<<"$text" || err "short: $pdf page $p not printed"
        if grep -qE "ABC|Page $p of" <<<"$text"; then err "short: $pdf page $p stamped"; fi
    done
done < "$work/short devmode/pdfs"
log="$work/short devmode/redirect.log"
for c in 0 1; do
    for line in "Adding watermark failed (copy: $c)." "Adding annotations failed (copy: $c)." \
                "Adding Bates number failed (copy: $c)."; do
        n=$(count_lines "$log" "$line")
        [ "$n" = 3 ] || err "short: '$line' $n times, not 3"
    done
done

"$wine" reg delete "HKCU\\SOFTWARE\\Quennor Software LLC\\$printer" /f >/dev/null 2>&1 || true
if [ "$fail" = 0 ]; then
    echo "stamping end to end: OK"
    rm -f $(cat "$work"/*/pdfs)
fi
exit "$fail"
