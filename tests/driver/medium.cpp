// Lays out a medium in a fresh temporary folder; reads back the files and values installed.
#include "medium.h"

#include <string.h>

namespace {

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

}  // namespace

std::string ProgramFolder()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = strrchr(path, '\\');
    if (slash) *slash = '\0';
    return path;
}

int CreateMedium(const char* prefix, const std::string& script, Medium* medium)
{
    char temp[MAX_PATH] = "";
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) return -1;
    std::string base = temp;
    if (!base.empty() && base.back() == '\\') base.pop_back();

    // The process id and a counter make the name unique among concurrent and earlier runs.
    static unsigned counter;
    for (int attempt = 0; attempt < 100; attempt++) {
        std::string root = base + "\\" + prefix + "-" + std::to_string(GetCurrentProcessId()) +
                           "-" + std::to_string(++counter);
        if (CreateDirectoryA(root.c_str(), nullptr)) {
            medium->root = root;
            break;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) return -1;
    }
    if (medium->root.empty()) return -1;
    medium->folder = medium->root + "\\medium";
    medium->target = medium->root + "\\target";
    if (!CreateDirectoryA(medium->folder.c_str(), nullptr)) return -1;

    if (CopyProgramToMedium(*medium, "SETUP.EXE") != 0) return -1;
    return WriteMediumFile(*medium, "SETUP.INF", script);
}

int CreateSampleMedium(const char* prefix, Medium* medium)
{
    if (CreateMedium(prefix, "", medium) != 0) return -1;
    if (CopyTree(ProgramFolder() + "\\demo-medium", medium->folder) != 0) return -1;
    return CopyProgramToMedium(*medium, "Quillor.exe");
}

int CopyProgramToMedium(const Medium& medium, const char* name)
{
    std::string from = ProgramFolder() + "\\" + name;
    return CopyFileA(from.c_str(), (medium.folder + "\\" + name).c_str(), FALSE) ? 0 : -1;
}

int CopyTree(const std::string& from, const std::string& to)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return -1;
    int result = 0;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string source = from + "\\" + name;
        std::string destination = to + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CreateDirectoryA(destination.c_str(), nullptr);
            if (CopyTree(source, destination) != 0) result = -1;
        } else if (!CopyFileA(source.c_str(), destination.c_str(), FALSE)) {
            result = -1;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return result;
}

void RemoveMedium(Medium* medium)
{
    if (!medium->root.empty()) RemoveTree(medium->root);
    medium->root.clear();
    medium->folder.clear();
    medium->target.clear();
}

int WriteMediumFile(const Medium& medium, const std::string& name, const std::string& bytes)
{
    std::string path = medium.folder + "\\" + name;
    size_t slash = path.rfind('\\');
    if (MakeDirectories(path.substr(0, slash)) != 0) return -1;
    return WriteFileBytes(path, bytes);
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
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            result = -1;
            break;
        }
        if (got == 0) break;
        bytes->append(chunk, got);
    }
    CloseHandle(file);
    return result;
}

int PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

int RemoveTree(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileA(path.c_str()) ? 0 : -1;

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
            RemoveTree(path + "\\" + found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryA(path.c_str()) ? 0 : -1;
}

std::string WindowsFolder()
{
    char path[MAX_PATH] = "";
    GetWindowsDirectoryA(path, sizeof path);
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

int ReadRegistryText(HKEY root, const char* keyPath, const char* valueName, std::string* text)
{
    text->clear();
    HKEY key = 0;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return -1;
    char data[1024];
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, valueName, nullptr, &type, (BYTE*)data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return -1;
    data[size] = '\0';
    *text = data;  // stops at the first zero, as a reader of the value would
    return 0;
}
