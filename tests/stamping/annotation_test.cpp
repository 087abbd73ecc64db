#include <gtest/gtest.h>

#include "stamping/annotation.h"
#include "stamping/stamps.h"
#include "stamping/stamptext.h"
#include "settings/devmode.h"
#include "textcapture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::wstring Expand(const WCHAR *pszTemplate, const WCHAR *pszDocumentName, DWORD dwPage)
{
    WCHAR szOut[ANNOTATION_MACRO_SIZE];
    wmemset(szOut, L'#', ANNOTATION_MACRO_SIZE);
    ExpandAnnotationTemplate(pszTemplate, szOut, pszDocumentName, dwPage, L"Office PDF");
    return szOut;
}

SYSTEMTIME LocalTime(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond)
{
    SYSTEMTIME st;
    memset(&st, 0, sizeof(st));
    st.wYear = (WORD)nYear;
    st.wMonth = (WORD)nMonth;
    st.wDay = (WORD)nDay;
    st.wHour = (WORD)nHour;
    st.wMinute = (WORD)nMinute;
    st.wSecond = (WORD)nSecond;
    return st;
}

std::wstring DateTime(DWORD nFlags, const SYSTEMTIME &st, const WCHAR *pszZone = NULL)
{
    WCHAR szOut[ANNOTATION_STRING_SIZE] = L"";
    AppendAnnotationDateTime(nFlags, &st, pszZone, szOut, ANNOTATION_STRING_SIZE);
    return szOut;
}

std::vector<BYTE> AnnotationDevMode(DWORD nFlags, const WCHAR *pszText, const WCHAR *pszSeparator)
{
    std::vector<BYTE> buffer(DRIVER_DEVMODE_SIZE, 0);
    DriverDevMode *p = (DriverDevMode *)buffer.data();
    wcscpy(p->dmPublic.dmDeviceName, L"Office PDF");
    p->AnnotationFlags = nFlags;
    wcscpy(p->AnnotationText, pszText);
    wcscpy(p->AnnotationSeparator, pszSeparator);
    return buffer;
}

} // namespace

TEST(Annotation, ExpandMacros)
{
    SetEnvironmentVariableW(L"USERNAME", L"alice");
    SetEnvironmentVariableW(L"NOSUCHVARIABLE", NULL);
    SetEnvironmentVariableW(L"JH_FORTY", std::wstring(40, L'v').c_str());
    SetEnvironmentVariableW(L"JH_LONG", std::wstring(128, L'w').c_str());
    SetEnvironmentVariableW(L"JH_FITS", std::wstring(127, L'f').c_str());

    /* Names ignore case; unknown names are environment variables. */
    EXPECT_EQ(Expand(L"Page <<pagenum>> of <<DOCNAME>>", L"report", 3), L"Page 3 of report");
    EXPECT_EQ(Expand(L"<<UserName>>@<<printername>>", L"d", 1), L"alice@Office PDF");
    EXPECT_EQ(Expand(L"x<<NOSUCHVARIABLE>>y", L"d", 1), L"xy");
    EXPECT_EQ(Expand(L"x<<jh_forty>>y", L"d", 1), L"x" + std::wstring(40, L'v') + L"y");
    /* A value of 128 characters or more is dropped; 127 fit alone. */
    EXPECT_EQ(Expand(L"x<<JH_LONG>>y", L"d", 1), L"xy");
    EXPECT_EQ(Expand(L"<<JH_FITS>>", L"d", 1), std::wstring(127, L'f'));
    /* No closing ">>": the rest is the name. */
    EXPECT_EQ(Expand(L"abc<<USERNAME", L"d", 1), L"abcalice");
    EXPECT_EQ(Expand(L"a>>b<<>>c", L"d", 1), L"a>>bc");

    /* A piece that does not fit is left out whole; later pieces still come. */
    std::wstring hundred(100, L'a');
    EXPECT_EQ(Expand((hundred + L"<<JH_FORTY>>z").c_str(), L"d", 1), hundred + L"z");
    std::wstring tail(110, L'b');
    EXPECT_EQ(Expand((L"<<DOCNAME>>" + tail).c_str(), std::wstring(20, L'n').c_str(), 1),
              std::wstring(20, L'n'));
    /* The output may be the template itself. */
    WCHAR szInPlace[ANNOTATION_MACRO_SIZE] = L"p<<PAGENUM>>";
    ExpandAnnotationTemplate(szInPlace, szInPlace, NULL, 12, NULL);
    EXPECT_STREQ(szInPlace, L"p12");

    /* Through the device mode: a document name of 128 characters is never
     * inserted; 127 are. Without ANF_ENABLED nothing changes. */
    std::vector<BYTE> devMode = AnnotationDevMode(ANF_ENABLED | ANF_TEXT, L"[<<DOCNAME>>]", L"");
    DriverDevMode *p = (DriverDevMode *)devMode.data();
    ExpandAnnotationMacros(p, std::string(128, 'd').c_str(), 1);
    EXPECT_STREQ(p->AnnotationText, L"[]");
    wcscpy(p->AnnotationText, L"<<DOCNAME>>");
    ExpandAnnotationMacros(p, std::string(127, 'd').c_str(), 1);
    EXPECT_EQ(std::wstring(p->AnnotationText), std::wstring(127, L'd'));
    wcscpy(p->AnnotationText, L"<<PAGENUM>>");
    p->AnnotationFlags = ANF_TEXT;
    ExpandAnnotationMacros(p, "doc", 1);
    EXPECT_STREQ(p->AnnotationText, L"<<PAGENUM>>");
}

TEST(Annotation, IpAddress)
{
    WCHAR szAddress[ANNOTATION_MACRO_SIZE] = L"#";
    ASSERT_TRUE(GetLocalIpAddressText(szAddress, ANNOTATION_MACRO_SIZE));
    std::wstring address = szAddress;
    EXPECT_EQ(std::count(address.begin(), address.end(), L'.'), 3);
    EXPECT_EQ(Expand(L"<<IPADDRESS>>", L"d", 1), address);
    /* Too small a buffer is left untouched. */
    WCHAR szSmall[4] = L"#";
    EXPECT_FALSE(GetLocalIpAddressText(szSmall, 4));
    EXPECT_STREQ(szSmall, L"#");
}

TEST(Annotation, DateAndTime)
{
    SYSTEMTIME st = LocalTime(2024, 3, 15, 14, 30, 5);
    EXPECT_EQ(DateTime(ANF_DATE | ANF_DATE_MDY, st), L"03/15/2024 ");
    EXPECT_EQ(DateTime(ANF_DATE | ANF_DATE_MDY_SHORT, st), L"3/15/24 ");
    EXPECT_EQ(DateTime(ANF_DATE | ANF_DATE_DMY, st), L"15/03/2024 ");
    EXPECT_EQ(DateTime(ANF_DATE | ANF_DATE_D_MON_Y, st), L"15-MAR-2024 ");
    EXPECT_EQ(DateTime(ANF_DATE | ANF_DATE_YMD, st), L"2024/03/15 ");
    EXPECT_EQ(DateTime(ANF_DATE | ANF_DATE_JULIAN, st), L"2460385 ");
    /* The first form in order wins; a form without ANF_DATE is nothing. */
    EXPECT_EQ(DateTime(ANF_DATE | ANF_DATE_MDY | ANF_DATE_YMD, st), L"03/15/2024 ");
    EXPECT_EQ(DateTime(ANF_DATE | ANF_DATE_YMD | ANF_DATE_JULIAN, st), L"2024/03/15 ");
    EXPECT_EQ(DateTime(ANF_DATE_MDY, st), L"");
    EXPECT_EQ(DateTime(ANF_DATE, st), L"");
    EXPECT_EQ(DateTime(ANF_DATE | ANF_DATE_MDY_SHORT, LocalTime(1999, 1, 2, 0, 0, 0)), L"1/2/-1 ");
    EXPECT_EQ(DateTime(ANF_DATE | ANF_DATE_MDY_SHORT, LocalTime(2100, 1, 2, 0, 0, 0)), L"1/2/100 ");
    EXPECT_EQ(DateTime(ANF_DATE | ANF_DATE_D_MON_Y, LocalTime(2024, 12, 1, 0, 0, 0)), L"01-DEC-2024 ");

    /* The 12-hour clock. */
    const DWORD k12 = ANF_TIME | ANF_TIME_12H | ANF_TIME_MINUTES;
    EXPECT_EQ(DateTime(k12, LocalTime(2024, 1, 1, 0, 5, 0)), L"12:05 AM");
    EXPECT_EQ(DateTime(k12, LocalTime(2024, 1, 1, 12, 0, 0)), L"12:00 PM");
    EXPECT_EQ(DateTime(k12, LocalTime(2024, 1, 1, 13, 7, 0)), L"01:07 PM");
    EXPECT_EQ(DateTime(k12, LocalTime(2024, 1, 1, 11, 59, 0)), L"11:59 AM");
    EXPECT_EQ(DateTime(k12 | ANF_TIME_24H | ANF_TIME_SECONDS | ANF_TIME_ZONE, st, L"Zone"),
              L"02:30:05 PM Zone");
    /* The 24-hour clock; the zone only when known; no clock bit: no time. */
    EXPECT_EQ(DateTime(ANF_TIME | ANF_TIME_24H | ANF_TIME_SECONDS, st), L"14:05");
    EXPECT_EQ(DateTime(ANF_TIME | ANF_TIME_24H | ANF_TIME_ZONE, st, L"Zone"), L"14 Zone");
    EXPECT_EQ(DateTime(ANF_TIME | ANF_TIME_24H | ANF_TIME_ZONE, st, NULL), L"14");
    EXPECT_EQ(DateTime(ANF_TIME | ANF_TIME_MINUTES, st), L"");
    EXPECT_EQ(DateTime(ANF_TIME_24H, st), L"");

    /* Both together, as in a full annotation. */
    EXPECT_EQ(DateTime(ANF_DATE | ANF_DATE_MDY | k12, st), L"03/15/2024 02:30 PM");
}

TEST(Annotation, JulianDayNumber)
{
    EXPECT_EQ(GetJulianDayNumber(100, 0, 1), 2451545);
    EXPECT_EQ(GetJulianDayNumber(124, 2, 15), 2460385);
    EXPECT_EQ(GetJulianDayNumber(123, 11, 31), 2460310);
    EXPECT_EQ(GetJulianDayNumber(124, 0, 1), 2460311);
    EXPECT_EQ(GetJulianDayNumber(124, 1, 29), 2460370);
    EXPECT_EQ(GetJulianDayNumber(124, 2, 1), 2460371);
    EXPECT_EQ(GetJulianDayNumber(70, 0, 1), 2440588);
}

TEST(Annotation, BuildString)
{
    SetEnvironmentVariableW(L"JH_DEPT", L"Legal");
    std::vector<BYTE> devMode = AnnotationDevMode(
        ANF_ENABLED | ANF_TEXT | ANF_DATE | ANF_DATE_YMD | ANF_TIME | ANF_TIME_24H
            | ANF_TIME_MINUTES | ANF_TIME_SECONDS,
        L"<<JH_DEPT>> p<<PAGENUM>>", L"-");
    DriverDevMode *p = (DriverDevMode *)devMode.data();

    /* Page 1 sets the time; page 2, composed later, shows it. */
    WCHAR szPage1[ANNOTATION_STRING_SIZE];
    BuildAnnotationString(p, szPage1, ANNOTATION_STRING_SIZE, "doc", 1);
    LONGLONG nPage1 = GetAnnotationTimeForPage(2);
    Sleep(1100);
    wcscpy(p->AnnotationText, L"<<JH_DEPT>> p<<PAGENUM>>");
    WCHAR szPage2[ANNOTATION_STRING_SIZE];
    wmemset(szPage2, L'#', ANNOTATION_STRING_SIZE);
    BuildAnnotationString(p, szPage2, ANNOTATION_STRING_SIZE, "doc", 2);
    EXPECT_EQ(GetAnnotationTimeForPage(3), nPage1);
    SYSTEMTIME st;
    AnnotationTimeToLocal(nPage1, &st);
    EXPECT_EQ(std::wstring(szPage2), L"Legal p2 - " + DateTime(p->AnnotationFlags, st));
    EXPECT_EQ(std::wstring(szPage1).substr(0, 11), L"Legal p1 - ");
    EXPECT_EQ(std::wstring(szPage1).substr(11), std::wstring(szPage2).substr(11));
    EXPECT_EQ(szPage2[ANNOTATION_STRING_SIZE - 1], L'\0');  /* the whole buffer is cleared */

    /* The zone name comes from the system; under TZ=UTC it is Wine's GMT name. */
    p->AnnotationFlags = ANF_ENABLED | ANF_TIME | ANF_TIME_24H | ANF_TIME_ZONE;
    BuildAnnotationString(p, szPage2, ANNOTATION_STRING_SIZE, "doc", 2);
    TIME_ZONE_INFORMATION tzi;
    ASSERT_NE(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_INVALID);
    EXPECT_EQ(std::wstring(szPage2), DateTime(ANF_TIME | ANF_TIME_24H, st) + L" " + tzi.StandardName);

    /* A long text and separator fill the buffer: cut at its end. */
    p->AnnotationFlags = ANF_ENABLED | ANF_TEXT | ANF_DATE | ANF_DATE_YMD;
    wcscpy(p->AnnotationText, std::wstring(127, L't').c_str());
    wcscpy(p->AnnotationSeparator, std::wstring(127, L's').c_str());
    WCHAR szLong[ANNOTATION_STRING_SIZE + 2];
    wmemset(szLong, L'#', ANNOTATION_STRING_SIZE + 2);
    BuildAnnotationString(p, szLong, ANNOTATION_STRING_SIZE, "doc", 2);
    EXPECT_EQ(wcslen(szLong), (size_t)ANNOTATION_STRING_SIZE - 1);
    EXPECT_EQ(szLong[ANNOTATION_STRING_SIZE], L'#');

    /* Switched off or missing input: only cleared. */
    p->AnnotationFlags = ANF_TEXT | ANF_DATE | ANF_DATE_YMD;
    wmemset(szLong, L'#', ANNOTATION_STRING_SIZE + 2);
    BuildAnnotationString(p, szLong, ANNOTATION_STRING_SIZE, "doc", 2);
    EXPECT_EQ(szLong[0], L'\0');
    EXPECT_EQ(szLong[ANNOTATION_STRING_SIZE - 1], L'\0');
    EXPECT_EQ(szLong[ANNOTATION_STRING_SIZE], L'#');
    p->AnnotationFlags = ANF_ENABLED | ANF_DATE | ANF_DATE_YMD;
    wmemset(szLong, L'#', ANNOTATION_STRING_SIZE + 2);
    BuildAnnotationString(p, szLong, ANNOTATION_STRING_SIZE, NULL, 2);
    EXPECT_EQ(szLong[0], L'\0');
}

TEST(Annotation, AddAnnotation)
{
    const DWORD kFlags = ANF_ENABLED | ANF_TEXT | ANF_POS_BOTTOM_RIGHT | ANF_TRANSPARENT;
    std::vector<BYTE> devMode = AnnotationDevMode(kFlags, L"Page <<PAGENUM>> of <<DOCNAME>>", L"|");
    DriverDevMode *p = (DriverDevMode *)devMode.data();
    p->AnnotationColor = RGB(0, 0, 200);
    const ULONGLONG ptPage = PackPoint(2479, 3508);
    const ULONGLONG ptDpi = PackPoint(300, 300);

    /* Bottom right, no offsets: the text's corner on the page's corner, in
     * the 16-pixel Arial default scaled to 300 dpi. */
    HDC hdc = BeginTextCapture();
    EXPECT_EQ(AddAnnotation(hdc, devMode.data(), DRIVER_DEVMODE_SIZE, "report", 3, ptPage, ptDpi), STAMP_DRAWN);
    TextCapture capture;
    EndTextCapture(hdc, &capture);
    EXPECT_EQ(capture.text, L"Page 3 of report | ");
    EXPECT_EQ(capture.stFont.lfHeight, 50);
    EXPECT_EQ(capture.stFont.lfWeight, 400);
    EXPECT_STREQ(capture.stFont.lfFaceName, L"Arial");
    EXPECT_EQ(capture.nBkMode, TRANSPARENT);
    EXPECT_EQ(capture.crText, RGB(0, 0, 200));
    SIZE extent = MeasureCapturedText(capture.stFont, capture.text);
    ASSERT_GT(extent.cx, 0);
    EXPECT_EQ(capture.ptReference.x, 2479 - extent.cx);
    EXPECT_EQ(capture.ptReference.y, 3508 - extent.cy);
    /* The job's template is untouched. */
    EXPECT_STREQ(p->AnnotationText, L"Page <<PAGENUM>> of <<DOCNAME>>");

    /* Offsets in tenths of a millimetre, negative ones inward. */
    p->AnnotationFlags = kFlags | ANF_UNITS_TENTH_MM;
    p->AnnotationXOffset = -100;
    p->AnnotationYOffset = 100;
    hdc = BeginTextCapture();
    EXPECT_EQ(AddAnnotation(hdc, devMode.data(), DRIVER_DEVMODE_SIZE, "report", 3, ptPage, ptDpi), STAMP_DRAWN);
    EndTextCapture(hdc, &capture);
    EXPECT_EQ(capture.ptReference.x, 2479 - extent.cx - 118);
    EXPECT_EQ(capture.ptReference.y, 3508 - extent.cy + 118);
    EXPECT_EQ(capture.nBkMode, TRANSPARENT);

    /* A stored font and a rotation. */
    p->AnnotationFlags = ANF_ENABLED | ANF_TEXT;
    p->AnnotationXOffset = p->AnnotationYOffset = 0;
    p->AnnotationRotation = 90;
    p->AnnotationFont.lfHeight = -24;
    p->AnnotationFont.lfWeight = 700;
    wcscpy(p->AnnotationFont.lfFaceName, L"Courier New");
    hdc = BeginTextCapture();
    EXPECT_EQ(AddAnnotation(hdc, devMode.data(), DRIVER_DEVMODE_SIZE, "report", 3, ptPage, ptDpi), STAMP_DRAWN);
    EndTextCapture(hdc, &capture);
    EXPECT_EQ(capture.stFont.lfHeight, -75);
    EXPECT_EQ(capture.stFont.lfEscapement, 900);
    EXPECT_STREQ(capture.stFont.lfFaceName, L"Courier New");
    EXPECT_EQ(capture.nBkMode, OPAQUE);
    extent = MeasureCapturedText(capture.stFont, capture.text);
    POINT expected = ComputeStampPosition(STAMP_POS_TOP_LEFT, 90, extent.cx, extent.cy, 2479, 3508, 0, 0);
    EXPECT_EQ(capture.ptReference.x, expected.x);
    EXPECT_EQ(capture.ptReference.y, expected.y);

    /* Nothing drawn: switched off, or bad input (failed). */
    hdc = BeginTextCapture();
    p->AnnotationFlags = ANF_TEXT;
    EXPECT_EQ(AddAnnotation(hdc, devMode.data(), DRIVER_DEVMODE_SIZE, "report", 3, ptPage, ptDpi), STAMP_SWITCHED_OFF);
    p->AnnotationFlags = kFlags;
    EXPECT_EQ(AddAnnotation(hdc, devMode.data(), DRIVER_DEVMODE_SIZE + 1, "report", 3, ptPage, ptDpi), STAMP_FAILED);
    EXPECT_EQ(AddAnnotation(hdc, devMode.data(), DRIVER_DEVMODE_SIZE, NULL, 3, ptPage, ptDpi), STAMP_FAILED);
    EXPECT_EQ(AddAnnotation(hdc, NULL, DRIVER_DEVMODE_SIZE, "report", 3, ptPage, ptDpi), STAMP_FAILED);
    EXPECT_EQ(AddAnnotation(NULL, devMode.data(), DRIVER_DEVMODE_SIZE, "report", 3, ptPage, ptDpi), STAMP_FAILED);
    EndTextCapture(hdc, &capture);
    EXPECT_EQ(capture.nTexts, 0);
    EXPECT_EQ(capture.nFonts, 0);
    EXPECT_EQ(capture.nBkMode, 0);
}
