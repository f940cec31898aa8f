// The run's log: one buffered plain-text file that both programs append lines to.
#include "base/run_log.h"

#include <stdarg.h>
#include <ntsecapi.h>

#include "base/folder_text.h"
#include "base/format_text.h"
#include "base/safe_paths.h"
#include "text/bounded_text.h"

RunLog runLog;

enum { kNumberCapacity = 16 };

// Writes what waits in the buffer when the file is open. A log that cannot be written never
// stops the run, so the lines are let go either way.
static void WriteWaitingLines(void)
{
    if (runLog.file == 0)
        return;
    DWORD written = 0;
    if (runLog.length > 0)
        WriteFile(runLog.file, runLog.buffer, runLog.length, &written, 0);
    runLog.length = 0;
}

void LogLine(const char* format, ...)
{
    char line[kLogLineCapacity];
    va_list arguments;
    va_start(arguments, format);
    int length = wvsprintfA(line, format, arguments);
    va_end(arguments);
    if (length < 0)
        length = 0;
    if (length > kLogLineCapacity - 3)
        length = kLogLineCapacity - 3;
    line[length++] = '\r';
    line[length++] = '\n';
    if (runLog.length + length > kLogBufferCapacity)
        WriteWaitingLines();
    if (runLog.length + length > kLogBufferCapacity)
        return;
    for (int i = 0; i < length; i++)
        runLog.buffer[runLog.length + i] = line[i];
    runLog.length += length;
}

void LogCopiedFile(const char* label, const char* source, const char* destination,
                   long long bytes)
{
    // Two 32-bit halves in decimal, the billions found by long division over the bits: the
    // shipped program carries neither 64-bit formatting nor the runtime's 64-bit division.
    const unsigned long long kBillion = 1000000000ULL;
    unsigned long long count = bytes < 0 ? 0 : static_cast<unsigned long long>(bytes);
    unsigned long long rest = 0;
    unsigned long high = 0;
    for (int bit = 63; bit >= 0; bit--) {
        rest = rest * 2 + ((count >> bit) & 1);
        high *= 2;
        if (rest >= kBillion) {
            rest -= kBillion;
            high++;
        }
    }
    unsigned long low = static_cast<unsigned long>(rest);
    char number[2 * kNumberCapacity];
    if (high != 0)
        FormatText(number, "%lu%09lu", high, low);
    else
        FormatText(number, "%lu", low);
    LogLine("%s %s -> %s, %s bytes", label, source, destination, number);
}

void LogRegistryValue(HKEY root, const char* path, const char* name, DWORD type,
                      const void* data, LONG status)
{
    // The names of the predefined keys from HKEY_CLASSES_ROOT (0x80000000) on, in place.
    static const char kRootNames[][5] = {"HKCR", "HKCU", "HKLM", "HKEY"};
    DWORD index = reinterpret_cast<DWORD>(root) - reinterpret_cast<DWORD>(HKEY_CLASSES_ROOT);
    const char* rootName = kRootNames[index < 3 ? index : 3];
    char number[kNumberCapacity];
    const char* shown = static_cast<const char*>(data);
    if (type == REG_DWORD) {
        FormatText(number, "%lu", *static_cast<const DWORD*>(data));
        shown = number;
    }
    if (status != 0)
        shown = "(not written)";
    LogLine("Registry %s\\%s \"%s\" = %s, status %ld", rootName, path, name, shown, status);
}

void LogStart(const char* commandLine)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    // Two lines in one: the command line is cut where a line of the log is.
    LogLine("Started %04d-%02d-%02d %02d:%02d:%02d\r\nCommand line: %s", now.wYear, now.wMonth,
            now.wDay, now.wHour, now.wMinute, now.wSecond, commandLine);
}

// A new log file at path that others may read while the run goes on (see CreateCheckedFile).
static HANDLE CreateNewLog(const char* path, PathCheck check)
{
    return CreateCheckedFile(path, 0, check, FILE_SHARE_READ);
}

// Names "<stem>-1.log" to "<stem>-<kPlainLogNames>.log" are tried first, for a person to find;
// when all are taken (maybe by someone who wants no log written), names with a random number.
enum { kPlainLogNames = 9, kRandomLogNames = 16, kLogNameCapacity = kNameCapacity + 16 };

// The next number of a log name: counted while plain names are tried, then random.
static unsigned long NextLogNumber(int attempt)
{
    unsigned long number = attempt + 1;
    if (attempt >= kPlainLogNames)
        RtlGenRandom(&number, sizeof number);
    return number;
}

// A new "<stem>-<n>.log" in the temporary folder; the stem's path characters become '_', so
// that the name stays in that folder. A path that does not fit is not tried.
static HANDLE CreateNumberedLog(const char* stem)
{
    char folder[kPathCapacity];
    char name[kNameCapacity];
    char fileName[kLogNameCapacity];
    DWORD folderLength = GetTempPathA(kPathCapacity, folder);
    if (folderLength == 0 || folderLength >= static_cast<DWORD>(kPathCapacity))
        return INVALID_HANDLE_VALUE;
    int nameLength = CopyText(name, kNameCapacity, stem);
    for (int i = 0; i < nameLength; i++) {
        char c = name[i];
        if (c == '\\' || c == '/' || c == ':' || IsForbiddenInName(c))
            name[i] = '_';
    }
    for (int attempt = 0; attempt < kPlainLogNames + kRandomLogNames; attempt++) {
        FormatText(fileName, attempt < kPlainLogNames ? "%s-%lu.log" : "%s-%08lx.log", name,
                   NextLogNumber(attempt));
        if (JoinPath(runLog.path, kPathCapacity, folder, fileName) < 0)
            break;
        // The temporary folder may be named with short names, and the new name is no link.
        HANDLE file = CreateNewLog(runLog.path, kNoCheck);
        DWORD error = GetLastError();
        if (file != INVALID_HANDLE_VALUE || (error != ERROR_FILE_EXISTS &&
                                             error != ERROR_ALREADY_EXISTS &&
                                             error != ERROR_ACCESS_DENIED))
            return file;
    }
    runLog.path[0] = '\0';
    return INVALID_HANDLE_VALUE;
}

int OpenRunLog(const char* path, const char* stem)
{
    if (runLog.file != 0)
        return 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (path[0] != '\0') {
        // Only a new file: whatever has the name already (a link, a junction, a folder, a
        // second name of another file, or a file that only looks plain) is left alone; and
        // none reached through a link in its folders.
        file = CreateNewLog(path, kWholePath);
        if (file == INVALID_HANDLE_VALUE)
            LogLine("Log file refused (the name is taken): %s", path);
    }
    if (file == INVALID_HANDLE_VALUE)
        file = CreateNumberedLog(stem);
    else
        CopyText(runLog.path, kPathCapacity, path);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    runLog.file = file;
    WriteWaitingLines();
    return 0;
}

void CloseRunLog(void)
{
    WriteWaitingLines();
    if (runLog.file != 0)
        CloseHandle(runLog.file);
    runLog.file = 0;
}
