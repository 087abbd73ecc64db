/*
 * Fuzz test of drvsettings.dll: every export, called within its documented
 * contract with hostile content from a fixed seed. The calls themselves are
 * generated from the DRVSETTINGS_API declarations (fuzzgen.cmake); this file
 * makes the arguments and checks what comes back.
 *
 * Run without arguments, the program starts itself once per family (one per
 * public header) with a time limit, and fails when a family crashes, runs
 * out of time or reports a failure. A family process sets up a printer of
 * its own in the registry, fills and damages its settings (values of every
 * type and size, unterminated, huge counts), then calls each export of its
 * family with hostile blocks, strings, numbers and buffers. Checks:
 *  - guard bytes around every output buffer stay intact, and every block,
 *    input string and output buffer ends at a no-access page;
 *  - a reader's answer does not change when the stack below it holds other
 *    garbage (it reads nothing it does not own);
 *  - text answered with success is terminated inside its buffer; a failing
 *    call leaves its outputs untouched; a needed size reported by a failing
 *    reader makes the same read succeed with a buffer of exactly that size;
 *  - an INI number written reads back, and an exported file holds only the
 *    export's own sections.
 * The parent removes the registry keys a family made. To look into one
 * family: settings_fuzz --family <n> <report file> (its keys stay).
 */
#include <windows.h>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>
#include "drvsettings.h"
#include "testutil.h"

/* ---- families, limits, fixed seed ---- */

/* Families: the public headers, in the generator's order. */
static const char *const g_apszFamilies[] = {"devmode", "profile", "families", "selectors", "iniexport"};
#define FAMILY_COUNT     5
#define FAMILY_DEVMODE   0
#define FAMILY_PROFILE   1 /* its string readers add no terminator */
#define FAMILY_INIEXPORT 4
/* Rounds per family (devmode calls cost microseconds, registry and INI
 * calls milliseconds; an export of a damaged profile takes seconds) and
 * each family's time limit, a minute in all. A family stops starting new
 * rounds after half its limit, so a loaded machine makes fewer calls
 * rather than fail; a call that hangs still runs into the limit. */
static const int g_anRounds[FAMILY_COUNT] = {250, 30, 10, 15, 15};
/* Calls of each export per round, between two rounds of registry damage. */
static const int g_anCallsPerRound[FAMILY_COUNT] = {1, 4, 2, 5, 1};
static const DWORD g_adwLimitMs[FAMILY_COUNT] = {8000, 10000, 10000, 14000, 18000};
#define FUZZ_SEED 0x5EED2022u

#define GUARD_BYTES 16
#define GUARD_BYTE  0xFD
#define MARK_BYTE   0xAB
#define SLOT_BYTES  (160 * 1024) /* the largest argument: a 64K-character string */
#define SLOT_COUNT  8
#define MAX_FAILURES_SHOWN 40

#define ROOT_W L"SOFTWARE\\Quennor Software LLC"

struct Fuzz;
struct FuzzExport {
    int nFamily;
    const char *pszName;
    void (*pfnCall)(Fuzz &);
    int bPure; /* a reader: the same call must give the same answer */
};

/* xorshift64*: the same numbers on every run. */
struct Rng {
    unsigned long long ull;
    unsigned long long Next()
    {
        ull ^= ull >> 12;
        ull ^= ull << 25;
        ull ^= ull >> 27;
        return ull * 0x2545F4914F6CDD1DULL;
    }
    DWORD Below(DWORD n) { return n ? (DWORD)(Next() % n) : 0; }
    bool Chance(DWORD nPercent) { return Below(100) < nPercent; }
    template <class T, size_t N> T Pick(const T (&a)[N]) { return a[Below(N)]; }
};

/* Memory slots that end at a no-access page; one per live argument. */
static BYTE *g_apSlots[SLOT_COUNT];
static int g_nSlotsTaken;

static void MakeSlots()
{
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    for (int i = 0; i < SLOT_COUNT; i++) {
        BYTE *p = (BYTE *)VirtualAlloc(NULL, SLOT_BYTES + si.dwPageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        DWORD dwOld = 0;
        VirtualProtect(p + SLOT_BYTES, si.dwPageSize, PAGE_NOACCESS, &dwOld);
        g_apSlots[i] = p + SLOT_BYTES; /* the end */
    }
}

/* ---- the state of one family process ---- */

struct Arg;
struct Fuzz {
    Rng rng;
    int nFamily = 0;
    const FuzzExport *pExport = NULL;
    std::vector<Arg *> args;
    std::string digest;           /* answer of this run */
    unsigned long long ullCalls = 0;
    int nFailures = 0;
    DWORD dwRetryUnits = 0;       /* a needed size to try again with */
    bool bRetrying = false;
    bool bSecondRun = false;
    FILE *pReport = NULL;
    std::wstring printer, device, tempDir;
    DWORD dwPrinterId = 0;
    DWORD dwSlowestMs = 0;        /* the slowest export, with its runs */
    const char *pszSlowest = "-";

    void Fail(const char *pszWhat, const std::string &detail = "")
    {
        if (nFailures++ < MAX_FAILURES_SHOWN)
            fprintf(pReport, "FAIL %s: %s %s\n", pExport ? pExport->pszName : "-", pszWhat, detail.c_str());
    }
    void NoRule(const char *pszName, const char *pszParam)
    {
        Fail("no rule in fuzzgen.cmake for parameter", std::string(pszName) + " (" + pszParam + ")");
    }
    void Call();
    void Returned() { Check(0, false); }
    template <class T> void Returned(T r)
    {
        digest.append((const char *)&r, sizeof(r));
        Check((long long)r, true);
    }
    void Returned(const WCHAR *r);
    void Returned(const DriverDevMode *r);
    void Check(long long r, bool bHasResult);
    const DriverDevMode *BlockArg() const;
};

/* Every argument registers itself; the checks run over all of them. */
struct Arg {
    Fuzz &f;
    BYTE *pSlotEnd = NULL;
    explicit Arg(Fuzz &fuzz) : f(fuzz)
    {
        pSlotEnd = g_apSlots[g_nSlotsTaken++];
        f.args.push_back(this);
    }
    virtual ~Arg()
    {
        g_nSlotsTaken--;
        f.args.pop_back();
    }
    /* cb bytes marked, ending at the no-access page, or, when bGuarded,
     * between guard bytes that end there. */
    BYTE *Place(size_t cb, bool bGuarded)
    {
        BYTE *p = pSlotEnd - cb - (bGuarded ? 2 * GUARD_BYTES : 0);
        if (bGuarded) {
            memset(p, GUARD_BYTE, GUARD_BYTES);
            memset(p + GUARD_BYTES + cb, GUARD_BYTE, GUARD_BYTES);
            p += GUARD_BYTES;
        }
        memset(p, MARK_BYTE, cb);
        return p;
    }
    bool GuardsIntact(const BYTE *p, size_t cb) const
    {
        for (size_t i = 0; i < GUARD_BYTES; i++)
            if (p[-1 - (ptrdiff_t)i] != GUARD_BYTE || p[cb + i] != GUARD_BYTE)
                return false;
        return true;
    }
    static bool Untouched(const BYTE *p, size_t cb)
    {
        for (size_t i = 0; i < cb; i++)
            if (p[i] != MARK_BYTE)
                return false;
        return true;
    }
    virtual void Check(long long r, bool bHasResult) {}
    virtual const DriverDevMode *AsBlock() const { return NULL; }
};

/* ---- hostile values ---- */

static const long long g_allNumbers[] = {
    0, 1, -1, 2, 3, 4, 7, 8, 9, 10, 30, 31, 32, 40, 56, 57, 99, 100, 101, 106, 127, 128, 199, 200, 255, 256,
    259, 260, 261, 308, 520, 1024, 32767, 32768, 65535, 65536, INT_MAX, INT_MIN, INT_MAX - 1, 0xFFFFFFFFLL,
    -150, -5, -6, -180, 180, 181, -181,
};

static const WCHAR g_awAlphabet[] = {
    L'a', L'Z', L'0', L'9', L'%', L's', L'd', L'n', L'\\', L'\r', L'\n', L'\t', L' ', L'=', L'[', L']', L';',
    L'"', L'\'', L'#', 0x00E9, 0x0141, 0x2028, 0x00A0, 0xD800, 0xDC00, 0xFFFF, 0x001A, 0x0001, L'A', L'F', L'~',
};

static const DWORD g_adwLengths[] = {0, 1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 32, 33, 65, 66, 127, 128, 129, 255, 256,
                                     259, 260, 261, 515, 516, 1023, 1024, 1025, 32767, 65535};
/* The lengths where the library's buffers end, picked more often. */
static const DWORD g_adwEdgeLengths[] = {8, 9, 16, 17, 18, 259, 260, 261};

static DWORD HostileLength(Rng &rng)
{
    return rng.Chance(60) ? rng.Pick(g_adwEdgeLengths) : rng.Pick(g_adwLengths);
}

/* Hostile text of cch characters (no NUL) into p. */
static void HostileText(Rng &rng, WCHAR *p, DWORD cch)
{
    int nStyle = (int)rng.Below(5);
    for (DWORD i = 0; i < cch; i++) {
        WCHAR ch = rng.Pick(g_awAlphabet);
        if (nStyle == 0)
            ch = (WCHAR)(L'0' + rng.Below(10)); /* numbers */
        else if (nStyle == 1)
            ch = (WCHAR)(1 + rng.Below(0xFFFF));
        else if (nStyle == 2)
            ch = i + 2 < cch ? L'0' : L'4'; /* a small number with leading zeros */
        p[i] = ch ? ch : L'x';
    }
    if (cch >= 2 && rng.Chance(20)) {
        static const WCHAR *const apszWords[] = {L"2147483647", L"-2147483648", L"4294967295", L"yes", L"YES",
                                                 L"%0A", L"%s", L"1", L"\r\n[Injected]\r\nkey=value"};
        const WCHAR *pszWord = rng.Pick(apszWords);
        size_t cchWord = wcslen(pszWord);
        wmemcpy(p, pszWord, cchWord < cch ? cchWord : cch);
    }
}

struct ArgText : Arg {
    const WCHAR *psz = NULL;
    explicit ArgText(Fuzz &fuzz) : Arg(fuzz)
    {
        if (f.rng.Chance(6))
            return;
        DWORD cch = HostileLength(f.rng);
        WCHAR *p = (WCHAR *)Place((cch + 1) * sizeof(WCHAR), false);
        HostileText(f.rng, p, cch);
        p[cch] = 0;
        psz = p;
    }
    const WCHAR *Get() const { return psz; }
};

/* Fixed text choices, placed at the page's end like any other text. */
struct ArgChoice : Arg {
    const WCHAR *psz = NULL;
    ArgChoice(Fuzz &fuzz, const std::vector<std::wstring> &choices) : Arg(fuzz)
    {
        const std::wstring &text = choices[f.rng.Below((DWORD)choices.size())];
        if (text == L"<null>")
            return;
        WCHAR *p = (WCHAR *)Place((text.size() + 1) * sizeof(WCHAR), false);
        wmemcpy(p, text.c_str(), text.size() + 1);
        psz = p;
    }
    const WCHAR *Get() const { return psz; }
};

/* Roots stay inside the company key, so nothing else is written to. */
struct ArgRoot : ArgChoice {
    explicit ArgRoot(Fuzz &fuzz)
        : ArgChoice(fuzz, {L"<null>", ROOT_W, ROOT_W, ROOT_W L"\\JH Fuzz Root",
                           ROOT_W L"\\JH Fuzz Root\\" + std::wstring(300, L'r')})
    {
    }
};

struct ArgPattern : ArgChoice {
    explicit ArgPattern(Fuzz &fuzz)
        : ArgChoice(fuzz, {L"<null>", L"", L"%s", L"%s\\Pdf Settings", L"%s\\Save As Option Settings\\1",
                           L"%s\\%s", L"no slot", L"%d%n%s", L"%s\\" + std::wstring(300, L'p'),
                           L"%s\\Watermark", L"%s\\BatesNumbering\\1"})
    {
    }
};

/* INI targets: a new file (ANSI, or UTF-16 with its byte-order mark), or
 * one that cannot be written (a folder, a missing folder, a name too long). Each new file has a name of its own: Wine
 * keeps read files cached by name and time stamp. */
static int g_nIniFiles;

struct ArgIniPath : ArgChoice {
    bool bFresh;
    explicit ArgIniPath(Fuzz &fuzz)
        : ArgChoice(fuzz, {L"<null>", L"", NewFile(fuzz, false), NewFile(fuzz, false), NewFile(fuzz, true),
                           fuzz.tempDir, fuzz.tempDir + L"\\missing\\x.ini", fuzz.tempDir + L"\\" + std::wstring(300, L'i')})
    {
        bFresh = psz && wcsstr(psz, L"\\new");
    }
    static std::wstring NewFile(Fuzz &fuzz, bool bUnicode)
    {
        std::string path = std::string(fuzz.tempDir.begin(), fuzz.tempDir.end()) + "\\new" +
                           std::to_string(g_nIniFiles++) + ".ini";
        if (bUnicode)
            WriteWholeFile(path, std::string("\xFF\xFE", 2));
        return std::wstring(path.begin(), path.end());
    }
};

template <class T> struct ArgNumber : Arg {
    T value;
    explicit ArgNumber(Fuzz &fuzz) : Arg(fuzz)
    {
        /* Small numbers reach every id, index and tab; the rest are edges. */
        long long ll = f.rng.Chance(40) ? (long long)f.rng.Below(64) : f.rng.Pick(g_allNumbers);
        value = (T)(f.rng.Chance(15) ? (long long)f.rng.Next() : ll);
    }
    T Get() const { return value; }
};

/* Profile numbers: mostly the few that the set-up fills. */
static const int g_anSharedProfiles[] = {0, 1, INT_MIN};

struct ArgProfileNumber : Arg {
    int value;
    explicit ArgProfileNumber(Fuzz &fuzz) : Arg(fuzz)
    {
        value = f.rng.Chance(90) ? f.rng.Pick(g_anSharedProfiles) : (int)f.rng.Pick(g_allNumbers);
    }
    int Get() const { return value; }
};

/* An output of type T (a number, a LOGFONTW) in guard bytes; NULL at
 * times. */
template <class T> struct ArgOut : Arg {
    T *p = NULL;
    explicit ArgOut(Fuzz &fuzz) : Arg(fuzz)
    {
        if (!f.rng.Chance(5))
            p = (T *)Place(sizeof(T), true);
    }
    T *Get() const { return p; }
    void Check(long long r, bool bHasResult) override
    {
        if (!p)
            return;
        if (!GuardsIntact((BYTE *)p, sizeof(T)))
            f.Fail("wrote past an output");
        if (bHasResult && r == 0 && !Untouched((BYTE *)p, sizeof(T)))
            f.Fail("failed but changed its output");
        f.digest.append((const char *)p, sizeof(T));
    }
};

/* An input of type T, random bytes; NULL at times. */
template <class T> struct ArgIn : Arg {
    const T *p = NULL;
    explicit ArgIn(Fuzz &fuzz) : Arg(fuzz)
    {
        if (f.rng.Chance(10))
            return;
        BYTE *pb = Place(sizeof(T), false);
        for (size_t i = 0; i < sizeof(T); i++)
            pb[i] = (BYTE)f.rng.Next();
        p = (const T *)pb;
    }
    const T *Get() const { return p; }
};

/* Hostile block content: random, all-ones, unterminated strings, or
 * ordinary; the printer id names this process's printer, the all-ones id
 * (PrinterIDs\-1) or none. */
static void HostileBlock(Fuzz &f, BYTE *p)
{
    DriverDevMode *pDm = (DriverDevMode *)p;
    DWORD dwKind = f.rng.Below(100);
    int nKind = dwKind < 15 ? 0 : dwKind < 40 ? 1 : dwKind < 75 ? 2 : 3;
    if (nKind == 0) {
        memset(p, 0xFF, DRIVER_DEVMODE_SIZE);
        return;
    }
    for (size_t i = 0; i < DRIVER_DEVMODE_SIZE; i++)
        p[i] = (BYTE)f.rng.Next();
    if (nKind == 1) { /* every string field full, no terminator */
        for (size_t i = DMO_APPLICATION_PATH; i < DMO_LAUNCH_FLAGS; i++)
            p[i] |= 1;
        wmemset(pDm->AnnotationText, L'x', DM_CCH_ANNOTATION);
        wmemset(pDm->UserSid, L'S', DM_CCH_USER_SID);
    } else if (nKind == 2) { /* ordinary, mostly reading the profile on the plain path */
        DevMode_Initialize(pDm);
        DevMode_SetFlags(pDm, (DWORD)f.rng.Next() | (f.rng.Chance(75) ? FLAG_USE_PROFILE : 0));
        DevMode_SetProfileOptions(pDm, f.rng.Chance(25) ? DM_PROFILE_OPTION_PROTECTED_MODE : 0);
        DevMode_SetUserSid(pDm, L"S-1-5-21-77-77-77-1001");
        DevMode_SetINIFileName(pDm, (f.tempDir + L"\\tabs.ini").c_str());
    }
    const DWORD adwIds[] = {f.dwPrinterId, f.dwPrinterId, f.dwPrinterId, 0xFFFFFFFF, f.dwPrinterId + 1000};
    DevMode_SetPrinterId(pDm, f.rng.Pick(adwIds));
    if (f.rng.Chance(70))
        DevMode_SetDeviceName(pDm, f.device.c_str());
}

struct ArgBlock : Arg {
    DriverDevMode *p = NULL;
    ArgBlock(Fuzz &fuzz, bool bMutable) : Arg(fuzz)
    {
        if (f.rng.Chance(8))
            return;
        BYTE *pb = Place(DRIVER_DEVMODE_SIZE, false);
        HostileBlock(f, pb);
        p = (DriverDevMode *)pb;
    }
    const DriverDevMode *Block() const { return p; }
    DriverDevMode *MutableBlock() const { return p; }
    const DriverDevMode *AsBlock() const override { return p; }
};

/* A buffer that may or may not be a whole device mode. */
struct ArgRawBlock : Arg {
    BYTE *p = NULL;
    DWORD cb = 0;
    explicit ArgRawBlock(Fuzz &fuzz) : Arg(fuzz)
    {
        const DWORD adwSizes[] = {0, 1, DRIVER_DEVMODE_SIZE - 1, DRIVER_DEVMODE_SIZE, DRIVER_DEVMODE_SIZE,
                                  DRIVER_DEVMODE_SIZE + 1};
        cb = f.rng.Pick(adwSizes);
        if (!f.rng.Chance(8))
            HostileBlock(f, p = Place(cb > DRIVER_DEVMODE_SIZE ? cb : DRIVER_DEVMODE_SIZE, false));
    }
    BYTE *Buffer() const { return p; }
    DWORD Bytes() const { return cb; }
};

static const DWORD g_adwCapacities[] = {0, 1, 2, 3, 4, 5, 8, 9, 16, 17, 18, 32, 33, 34, 64, 65, 66, 67, 128,
                                        259, 260, 261, 519, 520, 521, 1024, 2048, 4096};

/* Text output counted by a value (cchOut, or bytes for cbBuffer). */
struct ArgCharsOut : Arg {
    WCHAR *p = NULL;
    DWORD dwCount = 0, cb = 0;
    bool bBytes;
    ArgCharsOut(Fuzz &fuzz, bool bCountInBytes) : Arg(fuzz), bBytes(bCountInBytes)
    {
        dwCount = f.rng.Pick(g_adwCapacities);
        cb = bBytes ? dwCount : dwCount * (DWORD)sizeof(WCHAR);
        if (!f.rng.Chance(5))
            p = (WCHAR *)Place(cb, true);
    }
    WCHAR *Buffer() const { return p; }
    DWORD Count() const { return dwCount; }
    void Check(long long r, bool bHasResult) override
    {
        if (!p)
            return;
        if (!GuardsIntact((BYTE *)p, cb))
            f.Fail("wrote past a text buffer", std::to_string(cb) + " bytes");
        DWORD cch = cb / sizeof(WCHAR);
        if ((!bHasResult || r == 1) && cch > 0 && wcsnlen(p, cch) == cch)
            f.Fail("text not terminated inside its buffer", std::to_string(cb) + " bytes");
        if (bHasResult && r == 0 && !Untouched((BYTE *)p, cb))
            f.Fail("failed but changed its output");
        f.digest.append((const char *)p, cb);
    }
};

/* Text output with a size in and out (bytes, or characters). */
struct ArgTextOut : Arg {
    WCHAR *p = NULL;
    DWORD *pdwSize = NULL;
    DWORD dwUnits = 0, cb = 0;
    bool bChars;
    ArgTextOut(Fuzz &fuzz, bool bInChars) : Arg(fuzz), bChars(bInChars)
    {
        dwUnits = f.rng.Pick(g_adwCapacities);
        if (f.bRetrying)
            dwUnits = f.dwRetryUnits;
        cb = bChars ? dwUnits * (DWORD)sizeof(WCHAR) : dwUnits;
        bool bNull = f.rng.Chance(8) && !f.bRetrying;
        BYTE *pb = Place(sizeof(DWORD) + cb, true);
        pdwSize = (DWORD *)pb; /* the size before the text, inside the guards */
        *pdwSize = bNull ? 0 : dwUnits;
        if (!bNull)
            p = (WCHAR *)(pb + sizeof(DWORD));
    }
    WCHAR *Buffer() const { return p; }
    DWORD *Size() const { return pdwSize; }
    void Check(long long r, bool bHasResult) override
    {
        BYTE *pb = (BYTE *)(pdwSize + 1);
        if (!GuardsIntact((BYTE *)pdwSize, sizeof(DWORD) + cb))
            f.Fail("wrote past a text buffer", std::to_string(cb) + " bytes");
        DWORD dwGiven = p ? dwUnits : 0;
        bool bRaw = f.nFamily == FAMILY_PROFILE;
        if (r == 1 && p && *pdwSize > dwGiven)
            f.Fail("reports more than its buffer holds", std::to_string(*pdwSize));
        if (r == 1 && p && !bRaw && cb >= sizeof(WCHAR) && wcsnlen(p, cb / sizeof(WCHAR)) == cb / sizeof(WCHAR))
            f.Fail("text not terminated inside its buffer", std::to_string(cb) + " bytes");
        if (r == 0 && !Untouched(pb, cb))
            f.Fail("failed but changed its output");
        if (f.bRetrying && r != 1)
            f.Fail("refused a buffer of the size it asked for", std::to_string(dwUnits));
        else if (r == 0 && *pdwSize > dwGiven && *pdwSize <= 0x100000 && f.pExport->bPure)
            f.dwRetryUnits = *pdwSize;
        f.digest.append((const char *)pdwSize, sizeof(DWORD) + cb);
    }
};

/* ---- the call and its checks ---- */

/* Fills the stack below the caller with one character, so that a read of
 * an unterminated buffer finds NULs on one run and digits on the other. */
static __attribute__((noinline)) void PoisonStack(WCHAR ch)
{
    volatile WCHAR aw[16384];
    for (size_t i = 0; i < sizeof(aw) / sizeof(aw[0]); i++)
        aw[i] = ch;
}

void Fuzz::Call()
{
    PoisonStack(bSecondRun ? L'7' : 0);
    ullCalls++;
}

const DriverDevMode *Fuzz::BlockArg() const
{
    for (const Arg *pArg : args)
        if (pArg->AsBlock())
            return pArg->AsBlock();
    return NULL;
}

void Fuzz::Returned(const WCHAR *r)
{
    const BYTE *pBlock = (const BYTE *)BlockArg();
    if (r && pBlock && (const BYTE *)r >= pBlock && (const BYTE *)r < pBlock + DRIVER_DEVMODE_SIZE) {
        digest += std::to_string((const BYTE *)r - pBlock); /* a field of the block */
    } else if (r) {
        size_t cch = wcsnlen(r, 260);
        if (cch == 260)
            Fail("returned text not terminated inside 260 characters");
        digest.append((const char *)r, cch * sizeof(WCHAR));
    }
    Check(1, false);
}

void Fuzz::Returned(const DriverDevMode *r)
{
    for (const Arg *pArg : args) {
        const ArgRawBlock *pRaw = dynamic_cast<const ArgRawBlock *>(pArg);
        if (pRaw && r && ((const BYTE *)r != pRaw->p || pRaw->cb != DRIVER_DEVMODE_SIZE))
            Fail("took a buffer that is not a whole device mode");
    }
    digest += r ? "block" : "null";
    Check(r != NULL, true);
}

/* Text for a report line: printable ASCII kept, the rest as \\uXXXX. */
static std::string Escaped(const WCHAR *psz)
{
    std::string text;
    for (size_t i = 0; psz && psz[i] && i < 80; i++) {
        char sz[8];
        snprintf(sz, sizeof(sz), psz[i] >= 0x20 && psz[i] < 0x7F ? "%c" : "\\u%04X", (unsigned)psz[i]);
        text += sz;
    }
    return "\"" + text + "\"";
}

/* Export-specific: an INI number written reads back; an exported file holds
 * only the export's sections. */
static void CheckIniOutcome(Fuzz &f, long long r)
{
    const ArgIniPath *pPath = dynamic_cast<const ArgIniPath *>(f.args.back());
    if (strcmp(f.pExport->pszName, "WriteIniNumber") == 0 && r == 1) {
        const ArgText *pSection = dynamic_cast<const ArgText *>(f.args[0]);
        const ArgText *pKey = dynamic_cast<const ArgText *>(f.args[1]);
        const ArgNumber<int> *pValue = dynamic_cast<const ArgNumber<int> *>(f.args[2]);
        WCHAR szBack[32] = {0};
        GetPrivateProfileStringW(pSection->Get(), pKey->Get(), L"<missing>", szBack, 32, pPath->Get());
        if (std::to_wstring(pValue->Get()) != szBack)
            f.Fail("wrote an INI number that does not read back", Escaped(pSection->Get()) + " / " +
                   Escaped(pKey->Get()) + " gives " + Escaped(szBack));
    }
    if (strcmp(f.pExport->pszName, "ExportProfileToIni") == 0 && r == 1 && pPath->bFresh) {
        static const WCHAR *const apszSections[] = {
            L"Default Settings", L"Redirect Printing", L"Bates Numbering", L"PDF Settings",
            L"PDF Force Font Settings", L"PDF Forbidden Font Settings", L"Post Print Options", L"HTML Settings",
            L"HTML Force Font Settings", L"HTML Forbidden Font Settings", L"Paper Size Definitions",
            L"Email Settings"};
        std::vector<WCHAR> names(1 << 16);
        DWORD cch = GetPrivateProfileSectionNamesW(names.data(), (DWORD)names.size(), pPath->Get());
        for (const WCHAR *p = names.data(); cch && *p; p += wcslen(p) + 1) {
            bool bKnown = wcsncmp(p, L"Bates Number ", 13) == 0;
            for (const WCHAR *pszSection : apszSections)
                bKnown = bKnown || wcscmp(p, pszSection) == 0;
            if (!bKnown)
                f.Fail("exported a section of its own making", Escaped(p));
        }
    }
}

void Fuzz::Check(long long r, bool bHasResult)
{
    for (Arg *pArg : args)
        pArg->Check(r, bHasResult);
    if (nFamily == FAMILY_INIEXPORT)
        CheckIniOutcome(*this, r);
}

#include "settings_fuzz_calls.inc"

/* ---- one family process ---- */

static Fuzz *g_pFuzz;

static LONG WINAPI ReportCrash(EXCEPTION_POINTERS *pInfo)
{
    fprintf(g_pFuzz->pReport, "FAIL %s: crashed, exception 0x%08lX at %p\n",
            g_pFuzz->pExport ? g_pFuzz->pExport->pszName : "-", pInfo->ExceptionRecord->ExceptionCode,
            pInfo->ExceptionRecord->ExceptionAddress);
    fflush(g_pFuzz->pReport);
    ExitProcess(3);
}

/* One export: a run, a second run over other stack garbage for a reader,
 * and for a reader that asked for a larger buffer, a run with that size. */
static void FuzzCalls(Fuzz &f, const FuzzExport &e)
{
    f.pExport = &e;
    unsigned long long ullSeed = f.rng.Next();
    f.rng.ull = ullSeed;
    f.digest.clear();
    f.dwRetryUnits = 0;
    e.pfnCall(f);
    if (!e.bPure)
        return;
    std::string first = f.digest;
    DWORD dwRetry = f.dwRetryUnits;
    f.rng.ull = ullSeed;
    f.digest.clear();
    f.bSecondRun = true;
    e.pfnCall(f);
    f.bSecondRun = false;
    if (f.digest != first)
        f.Fail("answered differently over other stack contents");
    if (dwRetry) {
        f.rng.ull = ullSeed;
        f.bRetrying = true;
        f.dwRetryUnits = dwRetry;
        e.pfnCall(f);
        f.bRetrying = false;
    }
    f.rng.ull = ullSeed ^ 0xA5A5A5A5ULL;
}

/* The export's calls, timed: the slowest is reported. */
static void FuzzOne(Fuzz &f, const FuzzExport &e)
{
    DWORD dwStart = GetTickCount();
    FuzzCalls(f, e);
    DWORD dwMs = GetTickCount() - dwStart;
    if (dwMs > f.dwSlowestMs) {
        f.dwSlowestMs = dwMs;
        f.pszSlowest = e.pszName;
    }
}

/* ---- the registry: a printer of the family's own, filled and damaged ---- */

static std::wstring PrinterPath(const Fuzz &f) { return std::wstring(ROOT_W) + L"\\" + f.printer; }

/* Hostile data for one value: any type, any size, unterminated text,
 * numbers at their extremes. */
static void DamageValue(Fuzz &f, const std::wstring &key, const std::wstring &name)
{
    static std::vector<BYTE> data(65536 * sizeof(WCHAR) + 8);
    static const DWORD adwTypes[] = {REG_SZ, REG_SZ, REG_SZ, REG_SZ, REG_SZ, REG_SZ, REG_DWORD, REG_DWORD,
                                     REG_BINARY, REG_QWORD, REG_MULTI_SZ, REG_EXPAND_SZ};
    DWORD dwType = f.rng.Pick(adwTypes);
    DWORD cch = HostileLength(f.rng);
    HostileText(f.rng, (WCHAR *)data.data(), cch);
    ((WCHAR *)data.data())[cch] = L'~'; /* no NUL after the counted bytes */
    DWORD cb = cch * sizeof(WCHAR);
    if (f.rng.Chance(15))
        cb = cb ? cb - 1 : 1; /* odd sizes */
    if (dwType == REG_DWORD || dwType == REG_QWORD || f.rng.Chance(10)) {
        long long ll = f.rng.Pick(g_allNumbers);
        memcpy(data.data(), &ll, sizeof(ll));
        cb = dwType == REG_QWORD ? 8 : f.rng.Chance(85) ? 4 : f.rng.Below(8);
    }
    if (f.rng.Chance(5) && cb >= 4)
        ((WCHAR *)data.data())[1] = 0; /* embedded NUL */
    RegSetData(key, name.c_str(), dwType, data.data(), cb);
}

/* The names of the values (bSubKeys false) or sub-keys of a key. */
static std::vector<std::wstring> EnumNames(const std::wstring &key, bool bSubKeys)
{
    std::vector<std::wstring> names;
    HKEY hKey = NULL;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return names;
    static WCHAR szName[16384];
    for (DWORD i = 0;; i++) {
        DWORD cch = 16384;
        LONG lResult = bSubKeys ? RegEnumKeyExW(hKey, i, szName, &cch, NULL, NULL, NULL, NULL)
                                : RegEnumValueW(hKey, i, szName, &cch, NULL, NULL, NULL, NULL);
        if (lResult != ERROR_SUCCESS)
            break;
        names.push_back(szName);
    }
    RegCloseKey(hKey);
    return names;
}

/* Every value under key (and its sub-keys): damaged at random. */
static void DamageTree(Fuzz &f, const std::wstring &key, int nDepth)
{
    for (const std::wstring &name : EnumNames(key, false))
        if (f.rng.Chance(60))
            DamageValue(f, key, name);
    for (const std::wstring &sub : EnumNames(key, true))
        if (nDepth < 6)
            DamageTree(f, key + L"\\" + sub, nDepth + 1);
}

/* Counts far above the entries present, and entries far from 1. */
static void PlantHugeCounts(Fuzz &f)
{
    std::wstring printer = PrinterPath(f);
    DWORD dwHuge = f.rng.Chance(50) ? 0x7FFFFFFF : 0xFFFFFFFF;
    RegSetDword(printer + L"\\Redirect Printing Settings", L"Printer count", dwHuge);
    RegSetString(printer + L"\\Redirect Printing Settings", L"Printer 2000000000", L"far printer");
    RegSetString(printer + L"\\Pdf Settings\\Force Embed Fonts", L"Font count", L"2147483647");
    RegSetString(printer + L"\\Html Settings\\Forbid Embed Fonts", L"Font count", L"4294967295");
    RegSetString(printer + L"\\BatesNumbering", L"Number of Formats", L"2147483647");
    RegSetString(printer + L"\\BatesNumbering\\3000000", L"Name", L"far format");
    RegSetDword(printer + L"\\PapersList", L"Count", dwHuge);
    for (const WCHAR *pszPaper : {L"1", L"2", L"99999", L"4294967295"}) {
        std::wstring paper = printer + L"\\PapersList\\" + pszPaper;
        RegSetDword(paper, L"Available", 1);
        RegSetString(paper, L"Title", L"Paper");
        RegSetDword(paper, L"Width", 2100);
        RegSetDword(paper, L"Height", 2970);
        RegSetString(paper, L"Units", L"mm");
        RegSetDword(paper, L"WindowsPaperCode", 9);
    }
}

static void SetIdName(Fuzz &f, DWORD dwId, const std::wstring &name)
{
    RegSetString(std::wstring(ROOT_W) + L"\\PrinterIDs\\" + std::to_wstring((int)dwId), L"Printer name", name);
}

/* Every id of the shared profiles and of "Default Settings", through the
 * library's writers; the damage rounds then work on them. */
static void FillProfiles(Fuzz &f)
{
    static BYTE ab[DRIVER_DEVMODE_SIZE];
    DriverDevMode *pDm = (DriverDevMode *)ab;
    DevMode_Initialize(pDm);
    DevMode_SetPrinterId(pDm, f.dwPrinterId);
    for (int nProfile : g_anSharedProfiles) {
        for (int nId = 0; nId < PD_COUNT; nId++) {
            WriteProfileDword(pDm, nId, nProfile, (DWORD)nId);
            WriteDefaultDword(pDm, nId, (DWORD)nId);
        }
        for (int nId = 0; nId < PS_COUNT; nId++) {
            WriteProfileStringAt(pDm, nId, nProfile, L"C:\\profile\\text", 0);
            WriteDefaultStringAt(pDm, nId, L"C:\\default\\text", 0);
        }
    }
}

/* Runs the family's exports; 0 when nothing failed. */
static int RunFamily(int nFamily, const char *pszReport)
{
    Fuzz f;
    g_pFuzz = &f;
    f.pReport = fopen(pszReport, "w");
    if (!f.pReport)
        return 2;
    SetUnhandledExceptionFilter(ReportCrash);
    MakeSlots();
    f.nFamily = nFamily;
    f.rng.ull = FUZZ_SEED + (unsigned)nFamily;
    std::wstring tag = std::to_wstring(nFamily);
    f.printer = L"JH Fuzz Printer " + tag;
    f.device = L"JH Fuzz Device " + tag;
    f.dwPrinterId = 770000 + (DWORD)nFamily;
    std::string dir = MakeTempDir("settingsfuzz");
    f.tempDir = std::wstring(dir.begin(), dir.end());
    if (nFamily != FAMILY_DEVMODE) {
        SetIdName(f, f.dwPrinterId, f.printer);
        FillProfiles(f);
    }
    DWORD dwStart = GetTickCount();
    int nRound = 0;
    for (; nRound < g_anRounds[nFamily] && (nRound == 0 || GetTickCount() - dwStart < g_adwLimitMs[nFamily] / 2);
         nRound++) {
        if (nFamily != FAMILY_DEVMODE) {
            /* PrinterIDs\-1 names the printer, or a name too long to use. */
            SetIdName(f, 0xFFFFFFFF, nRound % 2 ? f.printer : std::wstring(300, L'N'));
            for (const FuzzExport &e : g_aExports) /* fill the settings through the writers */
                if (strncmp(e.pszName, "Set", 3) == 0 || strncmp(e.pszName, "Write", 5) == 0)
                    FuzzOne(f, e);
            PlantHugeCounts(f);
            DamageTree(f, PrinterPath(f), 0);
            DamageTree(f, std::wstring(ROOT_W) + L"\\PrinterIDs\\-1", 0);
        }
        for (int nCall = 0; nCall < g_anCallsPerRound[nFamily]; nCall++)
            for (const FuzzExport &e : g_aExports)
                if (e.nFamily == nFamily)
                    FuzzOne(f, e);
    }

    RemoveTree(dir);
    fprintf(f.pReport, "CALLS %llu %d %lu %s\n", f.ullCalls, nRound, f.dwSlowestMs, f.pszSlowest);
    fclose(f.pReport);
    return f.nFailures ? 1 : 0;
}

/* ---- the test: one process per family ---- */

/* Names in the export table of the loaded DLL that no generated call
 * covers (a declaration the generator could not read). */
static int CountUncoveredExports()
{
    HMODULE hDll = GetModuleHandleA("drvsettings.dll");
    const BYTE *pBase = (const BYTE *)hDll;
    const IMAGE_NT_HEADERS *pNt = (const IMAGE_NT_HEADERS *)(pBase + ((const IMAGE_DOS_HEADER *)pBase)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const IMAGE_EXPORT_DIRECTORY *pExports = (const IMAGE_EXPORT_DIRECTORY *)(pBase + dir.VirtualAddress);
    const DWORD *pdwNames = (const DWORD *)(pBase + pExports->AddressOfNames);
    int nUncovered = 0;
    for (DWORD i = 0; i < pExports->NumberOfNames; i++) {
        const char *pszName = (const char *)(pBase + pdwNames[i]);
        bool bCovered = false;
        for (const FuzzExport &e : g_aExports)
            bCovered = bCovered || strcmp(e.pszName, pszName) == 0;
        if (!bCovered)
            printf("  FAIL %s: exported, but no call was generated for it\n", pszName);
        nUncovered += !bCovered;
    }
    printf("drvsettings.dll: %lu exports\n", pExports->NumberOfNames);
    return nUncovered;
}


int main(int argc, char **argv)
{
    if (argc == 4 && strcmp(argv[1], "--family") == 0)
        return RunFamily(atoi(argv[2]), argv[3]);

    size_t nExports = sizeof(g_aExports) / sizeof(g_aExports[0]);
    int nFailed = CountUncoveredExports();
    unsigned long long ullTotal = 0;
    const std::wstring ids = std::wstring(ROOT_W) + L"\\PrinterIDs";
    std::vector<std::wstring> keysBefore = EnumNames(ROOT_W, true), idsBefore = EnumNames(ids, true);
    DWORD dwTotalStart = GetTickCount();
    std::string dir = MakeTempDir("settingsfuzzrun");
    for (int nFamily = 0; nFamily < FAMILY_COUNT; nFamily++) {
        int nExportsOfFamily = 0;
        for (const FuzzExport &e : g_aExports)
            nExportsOfFamily += e.nFamily == nFamily;
        std::string report = dir + "\\" + g_apszFamilies[nFamily] + ".txt";
        DWORD dwStart = GetTickCount();
        DWORD dwExit = RunAndWait("\"" + BinDir() + "settings_fuzz.exe\" --family " + std::to_string(nFamily) +
                                      " \"" + report + "\"",
                                  g_adwLimitMs[nFamily]);
        DWORD dwMs = GetTickCount() - dwStart;
        unsigned long long ullCalls = 0;
        int nRounds = 0;
        unsigned long ulSlowestMs = 0;
        char szSlowest[128] = "-";
        for (const std::string &line : SplitLines(ReadWholeFile(report))) {
            if (sscanf(line.c_str(), "CALLS %llu %d %lu %127s", &ullCalls, &nRounds, &ulSlowestMs, szSlowest) != 4 &&
                !line.empty())
                printf("  %s\n", line.c_str());
        }
        ullTotal += ullCalls;
        /* Whatever the family wrote, also when it crashed: every key it
         * made under the root key and PrinterIDs. */
        for (const std::wstring &key : EnumNames(ids, true))
            if (std::find(idsBefore.begin(), idsBefore.end(), key) == idsBefore.end())
                RegDeleteTree(ids + L"\\" + key);
        for (const std::wstring &key : EnumNames(ROOT_W, true))
            if (std::find(keysBefore.begin(), keysBefore.end(), key) == keysBefore.end())
                RegDeleteTree(std::wstring(ROOT_W) + L"\\" + key);
        printf("fuzz %-9s %3d exports %8llu calls %3d/%d rounds %5.1f s (slowest %s, %lu ms)%s\n",
               g_apszFamilies[nFamily], nExportsOfFamily, ullCalls, nRounds, g_anRounds[nFamily], dwMs / 1000.0,
               szSlowest, ulSlowestMs,
               dwExit == 0 ? "" : dwExit == WAIT_TIMEOUT ? "  FAILED: over its time limit" : "  FAILED");
        nFailed += dwExit != 0;
    }
    RemoveTree(dir);
    printf("fuzz total: %zu exports, %llu calls, %.1f s, %s\n", nExports, ullTotal,
           (GetTickCount() - dwTotalStart) / 1000.0, nFailed ? "FAILED" : "passed");
    return nFailed ? 1 : 0;
}
