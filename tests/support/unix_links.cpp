// Symbolic links made under Wine by the system's own ln, as another user of the machine could put them: a file or folder name that leads elsewhere.
#include "unix_links.h"

#include <windows.h>

#include "ui_driver.h"

namespace {

typedef char*(__cdecl* UnixNameCall)(const WCHAR* path);

// The Unix name of a path of the prefix, or "" when the system is not Wine.
std::string UnixPathOf(const std::string& path)
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

// Runs a Unix tool (paths without blanks; it runs apart from Wine's processes), then polls
// until the name at path is there (linked) or is gone. 0, or -1 when that does not happen in
// time.
int RunUnixTool(std::string command, const std::string& path, bool linked)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    for (DWORD start = GetTickCount(); GetTickCount() - start < kExitWaitMs; Sleep(kPollMs)) {
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (linked == (attributes != INVALID_FILE_ATTRIBUTES))
            return 0;
    }
    return -1;
}

}  // namespace

int MakeUnixLink(const std::string& link, const std::string& target)
{
    // The target's Unix name is formed from its folder, which exists, so that a missing target
    // still gets its name.
    size_t slash = target.rfind('\\');
    std::string folder = UnixPathOf(target.substr(0, slash));
    std::string to = UnixPathOf(link);
    if (folder.empty() || to.empty() || slash == std::string::npos) return -1;
    std::string from = folder + "/" + target.substr(slash + 1);
    return RunUnixTool("/bin/ln -s " + from + " " + to, link, true);
}

void RemoveUnixLink(const std::string& link)
{
    std::string name = UnixPathOf(link);
    if (!name.empty() && GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES)
        RunUnixTool("/bin/rm -f " + name, link, false);
}
