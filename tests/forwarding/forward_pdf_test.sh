#!/usr/bin/env bash
# Forwarded jobs read back from the cups-pdf queues: runs the ForwardPdf
# cases of forwarding_tests under Wine with a tag of its own, then checks the
# PDFs' titles, page counts, page text and orientation.
set -uo pipefail
source "$(dirname "$(realpath "$0")")/../common/checks.sh"
build=${JH_BUILD_DIR:?}
pdf=$build/cups/pdf
tag=sh$$


# PDFs of a queue whose title is exactly $2 (empty titles included), once
# cups-pdf has finished them; waits until $3 of them are complete.
pdfs_titled() {
    local queue=$1 title=$2 want=$3 f found=()
    for _ in $(seq 1 150); do
        found=()
        for f in "$pdf/$queue"/*.pdf; do
            [ -e "$f" ] || continue
            [ -n "${before[$f]:-}" ] && continue
            local t
            t=$(pdfinfo "$f" 2>/dev/null | sed -n 's/^Title: *//p') || continue
            pdfinfo "$f" >/dev/null 2>&1 || continue
            [ "$t" = "$title" ] && found+=("$f")
        done
        [ ${#found[@]} -ge "$want" ] && break
        sleep 0.2
    done
    printf '%s\n' "${found[@]}"
}

pages() { pdfinfo "$1" | sed -n 's/^Pages: *//p'; }
page_text() { pdftotext -f "$2" -l "$2" "$1" - 2>/dev/null | tr -s ' \n\f' ' ' | sed 's/ *$//'; }

# 1 when page $2 is laid out in landscape: either the page is wider than
# tall, or it is upright media carrying text that runs up the page.
is_landscape() {
    local f=$1 p=$2
    read -r w h < <(pdfinfo -f "$p" -l "$p" "$f" | sed -n 's/^Page *[0-9]* size: *\([0-9.]*\) x \([0-9.]*\).*/\1 \2/p')
    local word
    word=$(pdftotext -bbox -f "$p" -l "$p" "$f" - | grep -m1 '<word')
    local x0 y0 x1 y1
    x0=$(sed 's/.*xMin="\([0-9.]*\)".*/\1/' <<<"$word"); x1=$(sed 's/.*xMax="\([0-9.]*\)".*/\1/' <<<"$word")
    y0=$(sed 's/.*yMin="\([0-9.]*\)".*/\1/' <<<"$word"); y1=$(sed 's/.*yMax="\([0-9.]*\)".*/\1/' <<<"$word")
    awk -v w="$w" -v h="$h" -v dx="$(awk -v a="$x0" -v b="$x1" 'BEGIN{print b-a}')" \
        -v dy="$(awk -v a="$y0" -v b="$y1" 'BEGIN{print b-a}')" \
        'BEGIN { wide = (w > h); vertical = (dy > dx); print (wide != vertical) ? 1 : 0 }'
}

declare -A before=()
for f in "$pdf"/*/*.pdf; do [ -e "$f" ] && before[$f]=1; done

JH_FWD_TAG=$tag "$build/wine-exec.sh" "$build/bin/forwarding_tests.exe" --gtest_filter='ForwardPdf.*' \
    || fail "ForwardPdf cases under Wine"

# Three copies: three documents, each with both pages in order.
mapfile -t docs < <(pdfs_titled JH_PDF_A "${tag}_copies" 3)
check "copies: three documents" [ ${#docs[@]} -eq 3 ]
for f in "${docs[@]}"; do
    check "copies: two pages in $(basename "$f")" [ "$(pages "$f")" = 2 ]
    check "copies: page 1 text" [ "$(page_text "$f" 1)" = "$tag copies page 1" ]
    check "copies: page 2 text" [ "$(page_text "$f" 2)" = "$tag copies page 2" ]
done

# The installed printers print around the missing one.
for q in JH_PDF_B JH_PDF_C; do
    mapfile -t docs < <(pdfs_titled $q "${tag}_printers" 1)
    check "printers: one document on $q" [ ${#docs[@]} -eq 1 ]
    [ ${#docs[@]} -ge 1 ] && check "printers: page on $q" [ "$(page_text "${docs[0]}" 1)" = "$tag printers page 1" ]
done

# Copy 0 could not start its page; copy 1 carries it.
mapfile -t docs < <(pdfs_titled JH_PDF_A "${tag}_startpage" 2)
with_page=0
for f in "${docs[@]}"; do
    grep -q "$tag startpage page 1" <<<"$(page_text "$f" 1)" && with_page=$((with_page + 1))
done
check "startpage: copy 1 printed the page, copy 0 did not" [ ${#docs[@]} -eq 2 -a $with_page -eq 1 ]

# Landscape, portrait, landscape on a portrait printer, in both copies.
mapfile -t docs < <(pdfs_titled JH_PDF_B "${tag}_orient" 2)
check "orient: two documents" [ ${#docs[@]} -eq 2 ]
for f in "${docs[@]}"; do
    check "orient: three pages" [ "$(pages "$f")" = 3 ]
    echo "orient: page sizes: $(pdfinfo -f 1 -l 3 "$f" | sed -n 's/^Page *\([0-9]*\) size: *\([0-9.]* x [0-9.]*\).*/\1: \2/p' | tr '\n' ' ')"
    check "orient: page 1 landscape" [ "$(is_landscape "$f" 1)" = 1 ]
    check "orient: page 2 portrait" [ "$(is_landscape "$f" 2)" = 0 ]
    check "orient: page 3 landscape" [ "$(is_landscape "$f" 3)" = 1 ]
    for p in 1 2 3; do
        check "orient: page $p text" [ "$(page_text "$f" $p)" = "$tag orient page $p" ]
    done
done

# Refused pages print nothing; the others print in order.
mapfile -t docs < <(pdfs_titled JH_PDF_C "${tag}_badinput" 1)
check "badinput: one document" [ ${#docs[@]} -eq 1 ]
if [ ${#docs[@]} -ge 1 ]; then
    f=${docs[0]}
    check "badinput: four pages" [ "$(pages "$f")" = 4 ]
    n=1
    for p in 1 8 9 10; do
        check "badinput: page $n is spool page $p" [ "$(page_text "$f" $n)" = "$tag badinput page $p" ]
        n=$((n + 1))
    done
    # Pages 8 and 9 have no usable device mode: they keep page 1's landscape.
    check "badinput: landscape kept without a device mode" \
        [ "$(is_landscape "$f" 1)$(is_landscape "$f" 2)$(is_landscape "$f" 3)$(is_landscape "$f" 4)" = 1110 ]
fi

# The empty document name stays empty.
found=0
for _ in $(seq 1 30); do
    mapfile -t docs < <(pdfs_titled JH_PDF_A "" 1)
    for f in "${docs[@]}"; do
        [ "$(page_text "$f" 1)" = "$tag emptyname page 1" ] && found=1
    done
    [ $found -eq 1 ] && break
    sleep 1
done
check "emptyname: a document with an empty title" [ $found -eq 1 ]

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
