/*
 * Annotation text: one line drawn over a forwarded page, made of the user's
 * text with its <<macros>> expanded, a separator, the date and the time, as
 * the job's device mode asks. AddAnnotation itself is declared in
 * stamping/stamps.h.
 */
#ifndef JH_STAMPING_ANNOTATION_H
#define JH_STAMPING_ANNOTATION_H

#include <windows.h>
#include <stddef.h>

#include "settings/devmode.h"

#define ANNOTATION_STRING_SIZE 256  /* composed annotation, with the terminator */
#define ANNOTATION_MACRO_SIZE  128  /* a macro name or value, with the terminator */

/* Clears pszOut (cchOut characters) and composes the annotation of page
 * dwPage into it: the expanded text, " ", the separator, " " (ANF_TEXT), the
 * date (ANF_DATE) and the time (ANF_TIME). Expands the macros of pDevMode's
 * AnnotationText in place, so pDevMode is a working copy. Page 1 sets the
 * annotation time that later pages show. Does nothing further when an
 * argument is missing or ANF_ENABLED is clear. A composition longer than
 * the buffer is cut at its end. */
void BuildAnnotationString(DriverDevMode *pDevMode, WCHAR *pszOut, size_t cchOut,
                           const char *pszDocumentName, DWORD dwPage);

/* Replaces the macros of pDevMode's AnnotationText in place (see
 * ExpandAnnotationTemplate). The document name is ANSI text. Does nothing
 * when an argument is missing or ANF_ENABLED is clear. */
void ExpandAnnotationMacros(DriverDevMode *pDevMode, const char *pszDocumentName, DWORD dwPage);

/* Expands pszTemplate into pszOut (ANNOTATION_MACRO_SIZE characters): literal
 * pieces and macro values are appended whole while they fit in 127
 * characters and dropped whole otherwise. Macro names between "<<" and ">>"
 * (or to the end of the template when ">>" is missing) ignore ASCII case:
 * DOMAINNAME, USERNAME, COMPUTERNAME (environment), IPADDRESS, DOCNAME
 * (pszDocumentName), PAGENUM (dwPage), PRINTERNAME (pszPrinterName); any
 * other name is an environment variable. A macro without a value, or with
 * one of 128 characters or more, disappears. */
void ExpandAnnotationTemplate(const WCHAR *pszTemplate, WCHAR *pszOut,
                              const WCHAR *pszDocumentName, DWORD dwPage,
                              const WCHAR *pszPrinterName);

/* The first IPv4 address of the local host's name, dotted, through
 * wsock32.dll loaded for this call only. FALSE (pszOut untouched) when the
 * library, one of its entries, the start-up or the look-up fails, or the
 * text does not fit cchOut. */
BOOL GetLocalIpAddressText(WCHAR *pszOut, size_t cchOut);

/* Appends the date, the time and the zone that nFlags ask for to pszOut
 * (cchOut characters), from the broken-down local time pLocal; pszZoneName
 * is the standard zone name, or NULL when it is not known. The first date
 * form whose bit is set wins, in the order MDY, MDY_SHORT, DMY, D_MON_Y, YMD,
 * JULIAN; 12-hour before 24-hour. */
void AppendAnnotationDateTime(DWORD nFlags, const SYSTEMTIME *pLocal, const WCHAR *pszZoneName,
                              WCHAR *pszOut, size_t cchOut);

/* The annotation time (seconds since 1970-01-01 UTC) to show on page dwPage:
 * page 1 sets it from the system clock; later pages get the time page 1 set.
 * A page composed before any page 1 gets the current time (not kept). */
LONGLONG GetAnnotationTimeForPage(DWORD dwPage);

/* Seconds since 1970-01-01 UTC as local time in the process's time zone. */
void AnnotationTimeToLocal(LONGLONG nSeconds, SYSTEMTIME *pLocal);

/* Julian day number of a local date: nYear since 1900, nMonth 0..11, nDay
 * of the month. 1 January 2000 gives 2451545. */
int GetJulianDayNumber(int nYear, int nMonth, int nDay);

/* The anchor STAMP_POS_* and the offset unit STAMP_UNIT_* that the
 * annotation flags select: the first anchor bit set in the order top right,
 * centre, bottom left, bottom right (none: top left); tenths of a millimetre
 * before hundredths of an inch (neither: pixels). */
int AnnotationAnchorFromFlags(DWORD nFlags);
int AnnotationUnitFromFlags(DWORD nFlags);

#endif
