/* Helpers of the forwarding tests: spool pages, page keys, device modes, the
 * redirect printing log and the cups-pdf output folders. */
#ifndef JH_TESTS_FWDTESTUTIL_H
#define JH_TESTS_FWDTESTUTIL_H

#include <windows.h>
#include "forwarding/printsession.h"
#include <string>
#include <vector>

#define FWD_TEST_PRINTER "Fwd Test Printer" /* the printer of the tests' jobs */
#define DRIVER_DEVMODE_SIZE 6879

/* Ends a metafile recording on hdc and gives the metafile's bytes. */
std::string CloseEmfToBytes(HDC hdc);
/* An enhanced metafile of one page (A4, portrait or landscape frame) that
 * shows each text line in a large font, as bytes. */
std::string MakeEmfBytes(const std::vector<std::string> &lines, bool bLandscape);
/* The bytes behind a placeable key: D7 CD C6 9A, then zeros up to cbPrefix. */
std::string WithPlaceablePrefix(const std::string &emf, size_t cbPrefix);
/* Replaces the 32-bit value at dwOffset. */
void PutDword(std::string &data, size_t dwOffset, DWORD dwValue);

/* A full-size job device mode: the printer's current DEVMODEW with the given
 * orientation (DMORIENT_*), the driver's private block zero-filled. */
std::vector<BYTE> JobDevMode(const char *pszPrinter, short sOrientation);

/* Writes page key dwPage of (FWD_TEST_PRINTER, nJob), "Ready" = "YES", with
 * the spool file and its size, and the device mode when pDevMode is given. */
void WritePageKey(int nJob, DWORD dwPage, const std::string &file, DWORD cbSize, const BYTE *pDevMode,
                  DWORD cbDevMode);
std::string PageKeyPath(int nJob, DWORD dwPage);
std::string DocumentKeyPath(int nJob);

/* Opens the redirect printing log on a fresh file through a redirect settings
 * key made for it; LogLines closes it and gives its messages without the
 * timestamps. */
void OpenTestLog();
std::vector<std::string> CloseTestLog();

/* Text for this run's document names: JH_FWD_TAG, or "fwd" and the process id. */
std::string RunTag();
/* The Windows path of a cups-pdf output folder (build/cups/pdf/<queue>). */
std::string PdfFolder(const char *pszQueue);
/* Waits up to dwTimeoutMs for nCount PDFs whose names start with prefix.
 * Gives how many there are. */
int WaitForPdfs(const char *pszQueue, const std::string &prefix, int nCount, DWORD dwTimeoutMs);

/* Writes bytes as the spool file of page dwPage of job nJob in a fresh
 * folder and its page key with "Size" = the byte count (or cbSize when
 * given); gives the file's path. */
std::string WriteSpoolPage(int nJob, DWORD dwPage, const std::string &bytes, const std::vector<BYTE> *pDevMode,
                           DWORD cbSize = 0xFFFFFFFF);
/* Reads page dwPage of job nJob once and prints it on one target, as the
 * job loop does for each redirect printer. */
void PrintSpooledPage(const char *pszQueue, const std::string &docName, int nJob, DWORD dwPage,
                      ForwardTarget *pTarget, DWORD dwCopies);
/* Removes every key of the tests' printer. */
void DeleteTestPrinterKeys();
/* The log messages without the six stamp lines, which depend on the stamps
 * and the device mode's private block. */
std::vector<std::string> WithoutStampLines(const std::vector<std::string> &lines);

#endif
