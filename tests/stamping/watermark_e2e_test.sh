#!/usr/bin/env bash
# End to end: jobsim.exe plays the port monitor for two forwarded jobs with a
# watermark; jobhelper.exe forwards them to a cups-pdf queue; pdftoppm reads
# single pixels of the pages back.
#  - job 1: a bitmap-file watermark stretched over the page, and a separate
#    JPEG first-page picture from the printer's "Watermark" key;
#  - job 2: a JPEG watermark stretched to the page width;
#  - job 3: a bitmap file cut short, logged as a failure on every page.
# The loader libraries are copies under names that only the printer-driver
# directory's "3" folder holds.
set -uo pipefail
source "$(dirname "$(realpath "$0")")/../common/checks.sh"
build=${JH_BUILD_DIR:?}
pdf=$build/cups/pdf
run() { "$build/wine-exec.sh" "$@"; }
tag=wm$$
job=$((5000 + $$ % 1000))
printer="WM E2E Printer"
regkey="HKCU\\SOFTWARE\\Quennor Software LLC\\$printer"
work=$build/test-work/$tag


mkdir -p "$work/spool"
pic() { run "$build/bin/wm_picture.exe" "$(winpath "$work/$1")" "$2" "$3" "$4"; }
check "pictures written" pic normal.bmp 40 40 000064
check "first-page picture written" pic first.jpg 40 40 640000
check "band picture written" pic band.jpg 100 50 006400

# The libraries, where only the "3" look-up finds them.
driverdir=$(run "$build/bin/wm_picture.exe" driverdir | tr -d '\r')
three=$(run winepath -u "$driverdir\\3" 2>/dev/null | tr -d '\r')
check "printer-driver directory found" test -n "$driverdir" -a -n "$three"
mkdir -p "$three"
cleanup() {
    rm -f "$three/qn_${tag}_jpeg.dll" "$three/qn_${tag}_tiff.dll"
    run reg delete "$regkey" /f >/dev/null 2>&1
}
trap cleanup EXIT
cp "$build/bin/jpegloader.dll" "$three/qn_${tag}_jpeg.dll"
cp "$build/bin/tiffloader.dll" "$three/qn_${tag}_tiff.dll"

run reg delete "$regkey" /f >/dev/null 2>&1
run reg add "$regkey\\Watermark" /v "First Image Portrait" /t REG_SZ /d "$(winpath "$work/first.jpg")" /f >/dev/null
run reg add "$regkey\\Watermark" /v "First Image Portrait Position" /t REG_DWORD /d 1 /f >/dev/null

# Writes job.ini for document $1 with $2 pages and the device-mode lines that follow.
write_job() {
    local doc=$1 pages=$2
    shift 2
    {
        echo "[Job]"
        echo "Printer=$printer"
        echo "JobNumber=$job"
        echo "DocumentName=$doc"
        echo "Pages=$pages"
        echo "Copies=1"
        echo "RedirectPath=$printer\\Redirect $tag"
        echo "RedirectPrinters=JH_PDF_A"
        echo "LogFile=$(winpath "$work/$doc.log")"
        echo "PageText=$tag page %d"
        echo "SpoolDir=$(winpath "$work/spool")"
        echo "TimeoutSec=120"
        echo "[DevMode]"
        echo "WatermarkBrightness=0x001E001E"
        echo "JpegLoaderLibrary=C:\\Program Files\\Quennor\\qn_${tag}_jpeg.dll"
        echo "TiffLoaderLibrary=C:\\Program Files\\Quennor\\qn_${tag}_tiff.dll"
        printf '%s\n' "$@"
    } | sed 's/$/\r/' >"$work/job.ini"
    run "$build/bin/jobsim.exe" "$(winpath "$work/job.ini")" >"$work/$doc.jobsim" 2>&1
}

# The PDF titled $1 on the queue, once cups-pdf has finished it.
titled() {
    local f t
    for _ in $(seq 1 200); do
        for f in "$pdf/JH_PDF_A"/*.pdf; do
            [ -e "$f" ] || continue
            t=$(pdfinfo "$f" 2>/dev/null | sed -n 's/^Title: *//p')
            [ "$t" = "$1" ] && { echo "$f"; return; }
        done
        sleep 0.3
    done
}

# "R G B" of the pixel at fractions ($3, $4) of page $2 of PDF $1, at 50 dpi.
pixel() {
    local w h x y
    read -r w h < <(pdfinfo -f "$2" -l "$2" "$1" | sed -n "s/^Page *$2 size: *\([0-9.]*\) x \([0-9.]*\).*/\1 \2/p")
    x=$(awk -v w="$w" -v f="$3" 'BEGIN { printf "%d", w * 50 / 72 * f }')
    y=$(awk -v h="$h" -v f="$4" 'BEGIN { printf "%d", h * 50 / 72 * f }')
    pdftoppm -r 50 -f "$2" -l "$2" -x "$x" -y "$y" -W 1 -H 1 -singlefile "$1" "$work/px"
    tail -c 3 "$work/px.ppm" | od -An -tu1 | awk '{ print $1, $2, $3 }'
}

# near "R G B" R G B: each component within 14.
near() {
    local r g b
    read -r r g b <<<"$1"
    [ -n "$r" ] && awk -v r="$r" -v g="$g" -v b="$b" -v R="$2" -v G="$3" -v B="$4" \
        'function d(a, b) { return a > b ? a - b : b - a } BEGIN { exit !(d(r, R) <= 14 && d(g, G) <= 14 && d(b, B) <= 14) }'
}

# check_pixel WHAT PDF PAGE FX FY R G B
check_pixel() {
    local got
    got=$(pixel "$2" "$3" "$4" "$5")
    if near "$got" "$6" "$7" "$8"; then echo "ok: $1"; else fail "$1 (got $got, want $6 $7 $8)"; fi
}

# Job 1: bitmap watermark stretched to fit, a separate first-page picture.
doc1=${tag}_bmp
write_job "$doc1" 3 "WatermarkFlags=0x405" "WatermarkFilePortrait=$(winpath "$work/normal.bmp")"
check "job 1: jobsim and jobhelper ended with 0" [ $? -eq 0 ]
f1=$(titled "$doc1")
check "job 1: PDF printed" [ -n "$f1" ]
if [ -n "$f1" ]; then
    check "job 1: three pages" [ "$(pdfinfo "$f1" | sed -n 's/^Pages: *//p')" = 3 ]
    check_pixel "job 1 page 1: first-page picture, lightened, in the blank area" "$f1" 1 0.3 0.9 176 76 76
    check_pixel "job 1 page 1: first-page picture up to the corner" "$f1" 1 0.02 0.02 176 76 76
    for p in 2 3; do
        check_pixel "job 1 page $p: bitmap picture, lightened" "$f1" $p 0.3 0.9 76 76 176
        check_pixel "job 1 page $p: bitmap picture up to the corner" "$f1" $p 0.02 0.02 76 76 176
    done
    for p in 1 2 3; do
        check_pixel "job 1 page $p: red box drawn over the watermark" "$f1" $p 0.62 0.54 200 30 30
        check_pixel "job 1 page $p: blue disc drawn over the watermark" "$f1" $p 0.2 0.58 0 0 160
    done
fi
check "job 1: three watermark lines in the log" \
    [ "$(grep -c 'Watermark added successfully (copy: 0)\.' "$work/$doc1.log" 2>/dev/null)" = 3 ]

# Job 2: JPEG watermark stretched to the page width, centred down the page.
doc2=${tag}_jpeg
write_job "$doc2" 2 "WatermarkFlags=0x9" "WatermarkFilePortrait=$(winpath "$work/band.jpg")"
check "job 2: jobsim and jobhelper ended with 0" [ $? -eq 0 ]
f2=$(titled "$doc2")
check "job 2: PDF printed" [ -n "$f2" ]
if [ -n "$f2" ]; then
    for p in 1 2; do
        check_pixel "job 2 page $p: JPEG picture, lightened, in the band" "$f2" $p 0.3 0.45 76 176 76
        check_pixel "job 2 page $p: white above the band" "$f2" $p 0.3 0.22 255 255 255
        check_pixel "job 2 page $p: white below the band" "$f2" $p 0.3 0.9 255 255 255
        check_pixel "job 2 page $p: red box drawn over the band" "$f2" $p 0.62 0.54 200 30 30
    done
fi

# Job 3: a bitmap file cut short: every page is printed without the
# watermark and the log says so.
head -c 100 "$work/normal.bmp" >"$work/cut.bmp"
doc3=${tag}_cut
write_job "$doc3" 2 "WatermarkFlags=0x5" "WatermarkFilePortrait=$(winpath "$work/cut.bmp")"
check "job 3: jobsim and jobhelper ended with 0" [ $? -eq 0 ]
f3=$(titled "$doc3")
check "job 3: both pages printed" [ -n "$f3" -a "$(pdfinfo "$f3" 2>/dev/null | sed -n 's/^Pages: *//p')" = 2 ]
[ -n "$f3" ] && check_pixel "job 3 page 1: no watermark" "$f3" 1 0.3 0.9 255 255 255
check "job 3: a failure line for each page in the log" \
    [ "$(grep -c 'Adding watermark failed (copy: 0)\.' "$work/$doc3.log" 2>/dev/null)" = 2 ]
grep -a 'watermark\|Watermark' "$work/$doc3.log"

if [ $failures -ne 0 ]; then
    cat "$work"/*.jobsim "$work"/*.log 2>/dev/null
    echo "$failures check(s) failed"
    exit 1
fi
rm -rf "$work"
echo "all checks passed"
