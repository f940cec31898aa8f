// Links and moves made from the Unix side of a Wine prefix, as another user of the machine could make them.
#include "unix_links.h"

#include <windows.h>

#include "files.h"
#include "ui_driver.h"

typedef char*(CDECL* UnixNameCall)(LPCWSTR);

std::string UnixName(const std::string& path)
{
    UnixNameCall unixName = (UnixNameCall)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                                "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char* name = unixName ? unixName(wide) : nullptr;
    std::string text = name ? name : "";
    if (name) HeapFree(GetProcessHeap(), 0, name);
    return text;
}

// The started Unix program is not a Wine process whose end can be awaited: the command leaves
// a marker file when it succeeded, and the marker is polled.
int RunUnixShell(const std::string& commandLine)
{
    TempFolder scratch;
    std::string marker = scratch.path + "\\done";
    std::string unixMarker = UnixName(scratch.path);
    if (unixMarker.empty()) return -1;
    std::string command = "/bin/sh -c \"" + commandLine + " && touch '" + unixMarker + "/done'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    for (DWORD start = GetTickCount(); GetTickCount() - start < kExitWaitMs; Sleep(kPollMs)) {
        if (PathExists(marker)) return 0;
    }
    return -1;
}

int MakeUnixLink(const std::string& link, const std::string& target)
{
    std::string from = UnixName(target);
    std::string to = UnixName(link);
    if (from.empty() || to.empty()) return -1;
    return RunUnixShell("ln -s '" + from + "' '" + to + "'");
}

int MoveByUnix(const std::string& from, const std::string& to)
{
    std::string source = UnixName(from);
    std::string destination = UnixName(to);
    if (source.empty() || destination.empty()) return -1;
    return RunUnixShell("mv '" + source + "' '" + destination + "'");
}

void RemoveUnixLink(const std::string& link)
{
    std::string name = UnixName(link);
    if (!name.empty())
        RunUnixShell("rm -f '" + name + "'");
}
