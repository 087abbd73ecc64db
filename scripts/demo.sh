#!/usr/bin/env bash
# Set-up, build, then one sample print job through the port monitor simulator:
# a 3-page document forwarded to two PDF printers, two copies each.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
scripts/setup.sh
scripts/build.sh >/dev/null
build=$top/build
demo=$build/demo
rm -rf "$demo"
mkdir -p "$demo/spool"
scripts/wine-env.sh start "$build"
trap 'scripts/wine-env.sh stop "$build" >/dev/null 2>&1 || true' EXIT
for q in JH_PDF_A JH_PDF_B; do rm -f "$build/cups/pdf/$q"/*.pdf; done

winpath() { printf 'Z:%s' "${1//\//\\}"; }
wine() { "$build/wine-exec.sh" "$@"; }

# The printer's Bates format 1, as the driver's user interface stores it.
key='HKCU\SOFTWARE\Quennor Software LLC\Office Printer'
wine reg delete "$key" /f >/dev/null 2>&1 || true
while IFS='=' read -r name value; do
    wine reg add "$key\BatesNumbering\1" /v "$name" /t REG_SZ /d "$value" /f >/dev/null
done <<'FORMAT'
Name=Demo
Use prefix=1
Prefix=QR
Transparent=1
Position=4
X Offset=-50
Y Offset=-50
Offset unit=1
Color=0
Font Height=0
Font Facename=
Bates Number Length=6
Bates Padding Character=0
FORMAT
# The watermark picture: a light band across the top of each page.
wine "$build/bin/wm_picture.exe" "$(winpath "$demo/band.bmp")" 400 60 3050C0 >/dev/null

sed -e "s|@DEMO@|$(winpath "$demo" | sed 's/\\/\\\\/g')|g" scripts/demo-job.ini > "$demo/job.ini"

echo "== Running the job (jobsim.exe plays the port monitor, jobhelper.exe does the work)"
"$build/wine-exec.sh" "$build/bin/jobsim.exe" "$(winpath "$demo/job.ini")"

echo
echo "== Waiting for the forwarded documents"
expected=4
for _ in $(seq 1 120); do
    n=$(find "$build/cups/pdf/JH_PDF_A" "$build/cups/pdf/JH_PDF_B" -name '*.pdf' | wc -l)
    [ "$n" -ge "$expected" ] && break
    sleep 0.5
done

echo
echo "== Redirect printing log ($demo/redirect.log)"
tr -d '\r' < "$demo/redirect.log"

echo
echo "== Forwarded documents"
for f in "$build"/cups/pdf/JH_PDF_A/*.pdf "$build"/cups/pdf/JH_PDF_B/*.pdf; do
    [ -f "$f" ] || continue
    title=$(pdfinfo "$f" | sed -n 's/^Title: *//p')
    pages=$(pdfinfo "$f" | sed -n 's/^Pages: *//p')
    echo "$f"
    echo "    title: $title, pages: $pages"
    pdftotext -layout "$f" - | grep -v '^\s*$' | sed 's/^/    | /' | head -12 || true
done
echo
echo "Spool files left: $(ls "$demo/spool" | wc -l)"
echo "The PDFs stay in $build/cups/pdf/."
