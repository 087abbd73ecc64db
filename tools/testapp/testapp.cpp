/*
 * testapp: stand-in for the application that a print job starts.
 *
 * Arguments (each "name=value", in any order; anything else is ignored):
 *   out=FILE     record file, written once before the program goes idle;
 *                without it, the module path followed by ".record"
 *   watch=EVENT  named event whose state is recorded at start-up and just
 *                before going idle
 *   delay=MS     pause between start-up and going idle (default 0)
 *   quit=EVENT   named event that ends the program when set
 *   wait=MS      end after this time at the latest (default 60000)
 * The record holds the command line, module path, current directory, start-up
 * flags and window state, process id and creation time, and the watched
 * event's states, one "name=value" line each, then a last line "idle". It is
 * written under a temporary name and renamed, so it appears complete.
 * The program then waits in GetMessage on a message-only window, which is
 * what makes WaitForInputIdle in its starter return.
 * With the environment variable JH_STANDIN_TRACE naming a file, one line
 * "<creation time, 16 hex digits> <command line>" is appended to it.
 */
#include <windows.h>

#include "tools/common/standin.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

struct TestAppArgs {
    std::string out;
    std::string watch;
    std::string quit;
    DWORD dwDelayMs = 0;
    DWORD dwWaitMs = 60000;
};

static TestAppArgs ParseArgs(int argc, char **argv)
{
    TestAppArgs args;
    for (int i = 1; i < argc; i++) {
        const char *arg = argv[i];
        if (strncmp(arg, "out=", 4) == 0)
            args.out = arg + 4;
        else if (strncmp(arg, "watch=", 6) == 0)
            args.watch = arg + 6;
        else if (strncmp(arg, "quit=", 5) == 0)
            args.quit = arg + 5;
        else if (strncmp(arg, "delay=", 6) == 0)
            args.dwDelayMs = (DWORD)strtoul(arg + 6, NULL, 10);
        else if (strncmp(arg, "wait=", 5) == 0)
            args.dwWaitMs = (DWORD)strtoul(arg + 5, NULL, 10);
    }
    return args;
}

static const char *EventState(const std::string &name)
{
    HANDLE hEvent = OpenEventA(SYNCHRONIZE, FALSE, name.c_str());
    if (!hEvent)
        return "missing";
    DWORD dw = WaitForSingleObject(hEvent, 0);
    CloseHandle(hEvent);
    return dw == WAIT_OBJECT_0 ? "signaled" : "unsignaled";
}

static std::string StartupRecord()
{
    char szModule[MAX_PATH] = "", szDir[MAX_PATH] = "", szLine[128] = "";
    GetModuleFileNameA(NULL, szModule, sizeof(szModule));
    GetCurrentDirectoryA(sizeof(szDir), szDir);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    GetStartupInfoA(&si);
    std::string rec = std::string("commandline=") + GetCommandLineA() + "\r\n";
    rec += std::string("module=") + szModule + "\r\n";
    rec += std::string("cwd=") + szDir + "\r\n";
    snprintf(szLine, sizeof(szLine), "startflags=0x%lX\r\nshowwindow=%u\r\npid=%lu\r\ncreated=%016llX\r\n",
             (unsigned long)si.dwFlags, (unsigned)si.wShowWindow, (unsigned long)GetCurrentProcessId(),
             StandIn_CreationTime());
    rec += szLine;
    return rec;
}

static void WriteRecord(const std::string &path, const std::string &text)
{
    std::string temp = path + ".tmp";
    HANDLE hFile = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    DWORD cbWritten = 0;
    WriteFile(hFile, text.data(), (DWORD)text.size(), &cbWritten, NULL);
    CloseHandle(hFile);
    MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

struct QuitWatch {
    HANDLE hQuit;
    DWORD dwWaitMs;
    DWORD dwMainThreadId;
};

/* Ends the message loop when the quit event is set or the time is up. */
static DWORD WINAPI QuitThread(void *pParam)
{
    QuitWatch *pWatch = (QuitWatch *)pParam;
    if (pWatch->hQuit)
        WaitForSingleObject(pWatch->hQuit, pWatch->dwWaitMs);
    else
        Sleep(pWatch->dwWaitMs);
    PostThreadMessageA(pWatch->dwMainThreadId, WM_QUIT, 0, 0);
    return 0;
}

static HWND CreateMessageWindow(HINSTANCE hInstance)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = hInstance;
    wc.lpszClassName = "JhTestAppMessageWindow";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "testapp", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, hInstance, NULL);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    TestAppArgs args = ParseArgs(__argc, __argv);
    StandIn_AppendTrace();
    std::string record = StartupRecord();
    if (!args.watch.empty())
        record += std::string("watch_at_start=") + EventState(args.watch) + "\r\n";
    if (args.dwDelayMs)
        Sleep(args.dwDelayMs);
    if (!args.watch.empty())
        record += std::string("watch_before_idle=") + EventState(args.watch) + "\r\n";
    record += "idle\r\n";
    if (args.out.empty()) {
        char szModule[MAX_PATH] = "";
        GetModuleFileNameA(NULL, szModule, sizeof(szModule));
        args.out = std::string(szModule) + ".record";
    }
    WriteRecord(args.out, record);

    HWND hWnd = CreateMessageWindow(hInstance);
    QuitWatch watch = {NULL, args.dwWaitMs, GetCurrentThreadId()};
    if (!args.quit.empty())
        watch.hQuit = CreateEventA(NULL, TRUE, FALSE, args.quit.c_str());
    /* Make sure the thread has a message queue before the quit thread posts. */
    MSG msg;
    PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
    HANDLE hThread = CreateThread(NULL, 0, QuitThread, &watch, 0, NULL);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (hThread) {
        WaitForSingleObject(hThread, INFINITE);
        CloseHandle(hThread);
    }
    if (watch.hQuit)
        CloseHandle(watch.hQuit);
    if (hWnd)
        DestroyWindow(hWnd);
    return 0;
}
