#!/usr/bin/env bash
# The Windows build check, until a Windows machine builds the msvc preset:
# compiles every product source (the folders below; not tools, tests or
# benchmarks) with clang in MSVC mode, syntax only, against the MSVC-style C
# runtime and Windows SDK headers of Debian's libwine-dev, with the GNU
# extensions that clang takes and MSVC refuses turned into errors. Errors
# fail the check; warnings are shown and counted. Nothing is linked or run.
# The folders are globbed, so new sources are checked without a change here.
set -euo pipefail
cd "$(dirname "$0")/.."
PRODUCT_FOLDERS=(monitor jobprotocol launcher forwarding stamping settings)
WINE_INCLUDE=/usr/include/wine/wine
CLANG=${CLANG:-clang}

if ! command -v "$CLANG" >/dev/null || [ ! -f "$WINE_INCLUDE/windows/windows.h" ]; then
    echo "msvc-check: needs clang and libwine-dev (scripts/setup.sh installs them)" >&2
    exit 2
fi

# libwine-dev has the C runtime's headers but not the C++ wrappers of them.
shims=$(mktemp -d)
trap 'rm -rf "$shims"' EXIT
for h in cassert cctype cerrno cfloat cinttypes climits clocale cmath csetjmp csignal cstdarg cstddef \
         cstdint cstdio cstdlib cstring ctime cwchar cwctype; do
    printf '#pragma once\n#include <%s.h>\n' "${h#c}" >"$shims/$h"
done

flags=(--target=x86_64-pc-windows-msvc -fms-compatibility -fms-extensions -fsyntax-only
       -Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type  # the project's own warning set
       # GNU extensions that clang takes but MSVC refuses.
       -Werror=gnu -Werror=vla-extension -Werror=c++20-designator
       -isystem "$shims" -isystem "$WINE_INCLUDE/msvcrt" -isystem "$WINE_INCLUDE/windows" -I .
       -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601 -D_CRT_SECURE_NO_WARNINGS
       -DWINE_UNICODE_NATIVE  # WCHAR is wchar_t, as in the Windows SDK
       # Wine's winnt.h defines this intrinsic itself for compilers that are not
       # MSVC, and clang has it built in: Wine's copy gets another name.
       -D_InterlockedCompareExchange128=WineInterlockedCompareExchange128)

mapfile -t sources < <(find "${PRODUCT_FOLDERS[@]}" -maxdepth 1 \( -name '*.cpp' -o -name '*.c' \) 2>/dev/null | sort)
errors=0
warnings=0
failed=0
for source in "${sources[@]}"; do
    if [[ $source == *.c ]]; then
        compile=("$CLANG" -x c -std=c11)
    else
        compile=("$CLANG" -x c++ -std=c++17)
    fi
    if ! output=$("${compile[@]}" "${flags[@]}" "$source" 2>&1); then
        failed=$((failed + 1))
    fi
    if [ -n "$output" ]; then
        echo "$output"
    fi
    errors=$((errors + $(grep -c ': error:' <<<"$output" || true)))
    warnings=$((warnings + $(grep -c ': warning:' <<<"$output" || true)))
done
echo "msvc-check: ${#sources[@]} product sources in ${PRODUCT_FOLDERS[*]}; $errors errors, $warnings warnings"
if [ ${#sources[@]} -eq 0 ] || [ $failed -ne 0 ]; then
    echo "msvc-check: FAILED ($failed sources do not compile)" >&2
    exit 1
fi
