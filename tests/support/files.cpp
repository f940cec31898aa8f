// Real files for the tests, the demo runner and the benchmark: scratch folders, whole-file reads and writes, time stamps, trees.
#include "files.h"
#include "unix_links.h"

#include <string.h>

namespace {

const int kMakeAttempts = 100;
const DWORD kReadChunk = 65536;

std::string WithoutFinalBackslash(const char* path)
{
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

}  // namespace

std::string ProgramFolder()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = strrchr(path, '\\');
    if (slash) *slash = '\0';
    return path;
}

std::string WindowsFolder()
{
    char path[MAX_PATH] = "";
    GetWindowsDirectoryA(path, sizeof path);
    return WithoutFinalBackslash(path);
}

std::string MakeTempDirectory(const char* tag)
{
    char temp[MAX_PATH] = "";
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) return "";
    std::string base = WithoutFinalBackslash(temp);
    // The process id and a counter make the name unique among concurrent runs; an earlier run
    // of the same process id may have left one behind.
    static unsigned counter;
    for (int attempt = 0; attempt < kMakeAttempts; attempt++) {
        std::string folder = base + "\\" + tag + "-" + std::to_string(GetCurrentProcessId()) +
                             "-" + std::to_string(++counter);
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return "";
    }
    return "";
}

int RemoveTree(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    // A link goes itself, never what it leads to (Wine removes a folder link as a file).
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (DeleteFileA(path.c_str()) || RemoveDirectoryA(path.c_str())) return 0;
        std::string name = UnixName(path);
        return !name.empty() && RunUnixShell("rm -f '" + name + "'") == 0 ? 0 : -1;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileA(path.c_str()) ? 0 : -1;
    for (const ListedFile& entry : ListFolder(path)) RemoveTree(path + "\\" + entry.name);
    return RemoveDirectoryA(path.c_str()) ? 0 : -1;
}

int MakeDirectories(const std::string& path)
{
    for (size_t i = 3; i <= path.size(); i++) {
        if (i < path.size() && path[i] != '\\') continue;
        std::string prefix = path.substr(0, i);
        if (!CreateDirectoryA(prefix.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            return -1;
        }
    }
    return 0;
}

int CopyTree(const std::string& from, const std::string& to)
{
    if (!IsDirectory(from)) return -1;
    int result = 0;
    for (const ListedFile& entry : ListFolder(from)) {
        std::string source = from + "\\" + entry.name;
        std::string destination = to + "\\" + entry.name;
        if (entry.isDirectory) {
            CreateDirectoryA(destination.c_str(), nullptr);
            if (CopyTree(source, destination) != 0) result = -1;
        } else if (!CopyFileA(source.c_str(), destination.c_str(), FALSE)) {
            result = -1;
        }
    }
    return result;
}

std::string PatternBytes(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; i++) {
        state = state * 1103515245u + 12345u;
        bytes[i] = (char)(state >> 16);
    }
    return bytes;
}

int WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size() ? 0 : -1;
}

int ReadFileBytes(const std::string& path, std::string* bytes)
{
    bytes->clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    int result = 0;
    std::string chunk(kReadChunk, '\0');
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, &chunk[0], kReadChunk, &got, nullptr)) {
            result = -1;
            break;
        }
        if (got == 0) break;
        bytes->append(chunk.data(), got);
    }
    CloseHandle(file);
    return result;
}

std::string ReadWholeFile(const std::string& path)
{
    std::string bytes;
    return ReadFileBytes(path, &bytes) == 0 ? bytes : "<missing>";
}

int PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int IsDirectory(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CanOpenExclusively(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    CloseHandle(file);
    return 1;
}

long long ReadFileSizeOnDisk(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

int ReadFileTimes(const std::string& path, FileTimes* times)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    BOOL ok = GetFileTime(file, &times->creation, &times->lastAccess, &times->lastWrite);
    CloseHandle(file);
    return ok ? 0 : -1;
}

int WriteFileTimes(const std::string& path, const FileTimes& times)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    BOOL ok = SetFileTime(file, &times.creation, &times.lastAccess, &times.lastWrite);
    CloseHandle(file);
    return ok ? 0 : -1;
}

FILETIME MakeFileTime(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME calendar;
    memset(&calendar, 0, sizeof calendar);
    calendar.wYear = (WORD)year;
    calendar.wMonth = (WORD)month;
    calendar.wDay = (WORD)day;
    calendar.wHour = (WORD)hour;
    calendar.wMinute = (WORD)minute;
    calendar.wSecond = (WORD)second;
    FILETIME time = {0, 0};
    SystemTimeToFileTime(&calendar, &time);
    return time;
}

unsigned long long TicksOf(const FILETIME& time)
{
    return ((unsigned long long)time.dwHighDateTime << 32) | time.dwLowDateTime;
}

std::vector<ListedFile> ListFolder(const std::string& folder)
{
    std::vector<ListedFile> entries;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
        entries.push_back({found.cFileName,
                           ((unsigned long long)found.nFileSizeHigh << 32) | found.nFileSizeLow,
                           (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
}
