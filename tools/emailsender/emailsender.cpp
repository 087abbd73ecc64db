/*
 * emailsender: stand-in for the external e-mail sender program.
 *
 * Usage: emailsender.exe "<key path under HKEY_CURRENT_USER>"
 * Reads the message's parameters from that key (see docs/stand-ins.md) and,
 * instead of sending, writes the message as an RFC 5322 / MIME file
 * "<last key name>.eml" into the folder named by "Outbox folder", with the
 * output file attached in base64. Exit codes: 0 written, 1 usage, 2 key
 * missing, 3 required value missing, 4 file error.
 * With the environment variable JH_STANDIN_TRACE naming a file, one line
 * "<creation time, 16 hex digits> <command line>" is appended to it.
 */
#include <windows.h>

#include "tools/common/standin.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

static bool ReadFileBytes(const std::string &path, std::string &data)
{
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    bool bOk = true;
    char buf[65536];
    DWORD cbRead = 0;
    data.clear();
    while (bOk) {
        bOk = ReadFile(hFile, buf, sizeof(buf), &cbRead, NULL) != FALSE;
        if (!bOk || cbRead == 0)
            break;
        data.append(buf, cbRead);
    }
    CloseHandle(hFile);
    return bOk;
}

/* Writes under a temporary name and renames, so the file appears complete. */
static bool WriteFileBytes(const std::string &path, const std::string &data)
{
    std::string temp = path + ".tmp";
    HANDLE hFile = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD cbWritten = 0;
    bool bOk = WriteFile(hFile, data.data(), (DWORD)data.size(), &cbWritten, NULL) && cbWritten == data.size();
    CloseHandle(hFile);
    return bOk && MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

/* Base64 in lines of 76 characters, each ended by CR LF. */
static std::string Base64Lines(const std::string &data)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out, line;
    for (size_t i = 0; i < data.size(); i += 3) {
        unsigned n = (unsigned char)data[i] << 16;
        size_t left = data.size() - i;
        if (left > 1)
            n |= (unsigned char)data[i + 1] << 8;
        if (left > 2)
            n |= (unsigned char)data[i + 2];
        line += kDigits[(n >> 18) & 63];
        line += kDigits[(n >> 12) & 63];
        line += left > 1 ? kDigits[(n >> 6) & 63] : '=';
        line += left > 2 ? kDigits[n & 63] : '=';
        if (line.size() == 76) {
            out += line + "\r\n";
            line.clear();
        }
    }
    if (!line.empty())
        out += line + "\r\n";
    return out;
}

static bool IsAscii(const std::string &text)
{
    for (unsigned char c : text)
        if (c >= 0x80 || (c < 0x20 && c != '\t' && c != '\r' && c != '\n'))
            return false;
    return true;
}

/* A header text: as it is when plain ASCII, else an RFC 2047 encoded word.
 * Line breaks become blanks so that a value cannot add header lines. */
static std::string HeaderText(const std::string &value)
{
    std::string text = value;
    for (char &c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    if (IsAscii(text))
        return text;
    std::string encoded = Base64Lines(text);
    std::string flat;
    for (char c : encoded)
        if (c != '\r' && c != '\n')
            flat += c;
    return "=?windows-1252?B?" + flat + "?=";
}

/* Body lines ended by CR LF whatever the stored line ends were. */
static std::string BodyText(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\r')
            continue;
        if (text[i] == '\n')
            out += "\r\n";
        else
            out += text[i];
    }
    if (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0)
        out += "\r\n";
    return out;
}

static std::string BaseName(const std::string &path)
{
    size_t pos = path.find_last_of("\\/:");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

static std::string ContentType(const std::string &name)
{
    size_t dot = name.find_last_of('.');
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    for (char &c : ext)
        c = (char)tolower((unsigned char)c);
    if (ext == "pdf")
        return "application/pdf";
    if (ext == "txt")
        return "text/plain";
    if (ext == "tif" || ext == "tiff")
        return "image/tiff";
    if (ext == "jpg" || ext == "jpeg")
        return "image/jpeg";
    if (ext == "png")
        return "image/png";
    return "application/octet-stream";
}

static std::string DateHeader()
{
    static const char *kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char *kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    SYSTEMTIME st = {};
    GetSystemTime(&st);
    char sz[64] = "";
    snprintf(sz, sizeof(sz), "%s, %02u %s %04u %02u:%02u:%02u +0000", kDays[st.wDayOfWeek % 7], st.wDay,
             kMonths[(st.wMonth + 11) % 12], st.wYear, st.wHour, st.wMinute, st.wSecond);
    return sz;
}

struct MailParams {
    std::string from = "jobhelper@localhost";
    std::string to, cc, subject, body, attachment, outbox;
};

/* Reads the key's values; gives the exit code for a missing key or value. */
static int ReadParams(const char *pszKeyPath, MailParams &p)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, pszKeyPath, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return 2;
    bool bRequired = StandIn_ReadText(hKey, "Output Filename", p.attachment) && StandIn_ReadText(hKey, "Outbox folder", p.outbox) &&
                     StandIn_ReadText(hKey, "To", p.to);
    StandIn_ReadText(hKey, "From", p.from);
    StandIn_ReadText(hKey, "Cc", p.cc);
    StandIn_ReadText(hKey, "Body", p.body);
    if (!StandIn_ReadText(hKey, "Subject", p.subject))
        p.subject = BaseName(p.attachment);
    RegCloseKey(hKey);
    return bRequired ? 0 : 3;
}

static std::string ComposeMessage(const MailParams &p, const std::string &attachmentData)
{
    char szBoundary[64] = "";
    snprintf(szBoundary, sizeof(szBoundary), "=_jobhelper_%lu_%lu", (unsigned long)GetCurrentProcessId(),
             (unsigned long)GetTickCount());
    char szMessageId[96] = "";
    snprintf(szMessageId, sizeof(szMessageId), "<%016llX.%lu@jobhelper.localhost>", StandIn_CreationTime(),
             (unsigned long)GetCurrentProcessId());
    std::string name = BaseName(p.attachment);
    std::string m;
    m += "From: " + HeaderText(p.from) + "\r\n";
    m += "To: " + HeaderText(p.to) + "\r\n";
    if (!p.cc.empty())
        m += "Cc: " + HeaderText(p.cc) + "\r\n";
    m += "Subject: " + HeaderText(p.subject) + "\r\n";
    m += "Date: " + DateHeader() + "\r\n";
    m += std::string("Message-ID: ") + szMessageId + "\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += std::string("Content-Type: multipart/mixed; boundary=\"") + szBoundary + "\"\r\n\r\n";
    m += "This is a multi-part message in MIME format.\r\n\r\n";
    m += std::string("--") + szBoundary + "\r\n";
    m += IsAscii(p.body) ? "Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: 7bit\r\n\r\n"
                         : "Content-Type: text/plain; charset=windows-1252\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    m += IsAscii(p.body) ? BodyText(p.body) : Base64Lines(BodyText(p.body));
    m += std::string("\r\n--") + szBoundary + "\r\n";
    m += "Content-Type: " + ContentType(name) + "; name=\"" + name + "\"\r\n";
    m += "Content-Transfer-Encoding: base64\r\n";
    m += "Content-Disposition: attachment; filename=\"" + name + "\"\r\n\r\n";
    m += Base64Lines(attachmentData);
    m += std::string("--") + szBoundary + "--\r\n";
    return m;
}

int main(int argc, char **argv)
{
    StandIn_AppendTrace();
    if (argc != 2 || !argv[1][0]) {
        fprintf(stderr, "usage: emailsender \"<key path under HKEY_CURRENT_USER>\"\n");
        return 1;
    }
    MailParams params;
    int nResult = ReadParams(argv[1], params);
    if (nResult != 0)
        return nResult;
    std::string attachmentData;
    if (!ReadFileBytes(params.attachment, attachmentData))
        return 4;
    std::string outPath = params.outbox;
    if (outPath.back() != '\\')
        outPath += '\\';
    outPath += BaseName(argv[1]) + ".eml";
    return WriteFileBytes(outPath, ComposeMessage(params, attachmentData)) ? 0 : 4;
}
