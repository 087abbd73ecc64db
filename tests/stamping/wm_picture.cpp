/* Test helper for the watermark end-to-end test, run under Wine:
 *   wm_picture.exe driverdir            prints the printer-driver directory
 *   wm_picture.exe PATH W H RRGGBB      writes a solid W x H picture; a
 *                                       ".bmp" path is written by hand,
 *                                       ".png" and ".jpg" are encoded by WIC
 * Exit code 0 on success. */
#include <windows.h>
#include <winspool.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "pictures.h"
#include "testutil.h"

static bool EndsWith(const std::string &s, const char *pszTail)
{
    size_t n = strlen(pszTail);
    return s.size() >= n && _stricmp(s.c_str() + s.size() - n, pszTail) == 0;
}

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "driverdir") == 0) {
        char szDir[MAX_PATH] = "";
        DWORD cbNeeded = 0;
        if (!GetPrinterDriverDirectoryA(NULL, NULL, 1, reinterpret_cast<BYTE *>(szDir), sizeof(szDir), &cbNeeded))
            return 1;
        printf("%s\n", szDir);
        return 0;
    }
    if (argc != 5)
        return 2;
    std::string path = argv[1];
    LONG cx = atol(argv[2]), cy = atol(argv[3]);
    unsigned long rgb = strtoul(argv[4], NULL, 16);
    COLORREF color = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    auto solid = [color](LONG, LONG) { return color; };
    if (EndsWith(path, ".bmp")) {
        WriteWholeFile(path, MakeBitmapFile(MakePicture24(cx, cy, solid)));
        return FileExists(path) ? 0 : 1;
    }
    const GUID &container = EndsWith(path, ".png") ? GUID_ContainerFormatPng : GUID_ContainerFormatJpeg;
    return SUCCEEDED(EncodePicture(Widen(path), container, cx, cy, solid)) ? 0 : 1;
}
