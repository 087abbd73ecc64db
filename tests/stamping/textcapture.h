/* Test helper for the text stamps: records what a stamp draws into an
 * enhanced-metafile DC and reads back the font it created, the text it drew
 * and where. Header-only, shared by the Bates and annotation tests. */
#ifndef JH_TESTS_STAMPING_TEXTCAPTURE_H
#define JH_TESTS_STAMPING_TEXTCAPTURE_H

#include <windows.h>
#include <string>

struct TextCapture {
    int nFonts;            /* fonts created */
    LOGFONTW stFont;       /* the last one */
    int nTexts;            /* text outputs */
    std::wstring text;     /* the last one */
    POINTL ptReference;    /* its reference point */
    int nBkMode;           /* last SetBkMode, 0 if none */
    COLORREF crText;       /* last SetTextColor */
    bool bTextColorSet;
};

static int CALLBACK CaptureTextRecord(HDC, HANDLETABLE *, const ENHMETARECORD *pRecord, int, LPARAM lParam)
{
    TextCapture *pCapture = (TextCapture *)lParam;
    switch (pRecord->iType) {
    case EMR_EXTCREATEFONTINDIRECTW: {
        const EMREXTCREATEFONTINDIRECTW *p = (const EMREXTCREATEFONTINDIRECTW *)pRecord;
        pCapture->stFont = p->elfw.elfLogFont;
        pCapture->nFonts++;
        break;
    }
    case EMR_EXTTEXTOUTW: {
        const EMREXTTEXTOUTW *p = (const EMREXTTEXTOUTW *)pRecord;
        const WCHAR *psz = (const WCHAR *)((const BYTE *)pRecord + p->emrtext.offString);
        pCapture->text.assign(psz, p->emrtext.nChars);
        pCapture->ptReference = p->emrtext.ptlReference;
        pCapture->nTexts++;
        break;
    }
    case EMR_SETBKMODE:
        pCapture->nBkMode = (int)((const EMRSETBKMODE *)pRecord)->iMode;
        break;
    case EMR_SETTEXTCOLOR:
        pCapture->crText = ((const EMRSETTEXTCOLOR *)pRecord)->crColor;
        pCapture->bTextColorSet = true;
        break;
    default:
        break;
    }
    return 1;
}

/* A recording DC for one stamp call. */
inline HDC BeginTextCapture()
{
    return CreateEnhMetaFileW(NULL, NULL, NULL, NULL);
}

/* Ends the recording and fills *pCapture from it. */
inline void EndTextCapture(HDC hdc, TextCapture *pCapture)
{
    pCapture->nFonts = 0;
    memset(&pCapture->stFont, 0, sizeof(pCapture->stFont));
    pCapture->nTexts = 0;
    pCapture->text.clear();
    pCapture->ptReference.x = pCapture->ptReference.y = -12345;
    pCapture->nBkMode = 0;
    pCapture->crText = 0;
    pCapture->bTextColorSet = false;
    HENHMETAFILE hMeta = CloseEnhMetaFile(hdc);
    if (hMeta == NULL)
        return;
    EnumEnhMetaFile(NULL, hMeta, CaptureTextRecord, pCapture, NULL);
    DeleteEnhMetaFile(hMeta);
}

/* The extent of a text in a font, measured on a recording DC as the stamps
 * measure it. */
inline SIZE MeasureCapturedText(const LOGFONTW &font, const std::wstring &text)
{
    SIZE size = { -1, -1 };
    HDC hdc = CreateEnhMetaFileW(NULL, NULL, NULL, NULL);
    HFONT hFont = CreateFontIndirectW(&font);
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    GetTextExtentPoint32W(hdc, text.c_str(), (int)text.size(), &size);
    SelectObject(hdc, hOld);
    DeleteObject(hFont);
    DeleteEnhMetaFile(CloseEnhMetaFile(hdc));
    return size;
}

#endif
