// The uninstaller's end-to-end fixture: SETUP.EXE installs, then Purgax.exe is started from the uninstall entry as the system starts it, and the prefix's files, links and registry values are compared.
#pragma once

#include "setup_run.h"
#include "unix_links.h"

#include <string.h>

#include <set>


const char kUninstallList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kQuillorEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillor";
const char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kOpenCommand[] = "txtfile\\shell\\open\\command";
const char kPrintCommand[] = "txtfile\\shell\\print\\command";
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kSharedFiles[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

const char kRefusalCaption[] = "Uninstall";
const char kCaptionOfQuillor[] = "Uninstall Quillor";
const char kConfirm[] = "Do you want to remove Quillor and all of its parts from this computer ?";
const char kRemoved[] = "Quillor was removed completely.";
const char kEntryStays[] =
    "Its entry stays in the list of installed programs: run the uninstaller again once these "
    "items are free.";

enum { kNothingDoneStatus = 2 };

// Files, folders and registry values of the places an installation touches, one string each,
// so that two states compare as sets and a difference names what changed.
typedef std::set<std::string> Snapshot;

inline void AddFolder(Snapshot* snapshot, const std::string& folder, bool deep)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            snapshot->insert("folder " + path);
            if (deep) AddFolder(snapshot, path, deep);
        } else {
            snapshot->insert("file " + path + " " + std::to_string(found.nFileSizeLow));
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

inline void AddKey(Snapshot* snapshot, HKEY root, const std::string& path)
{
    HKEY key = 0;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    snapshot->insert("key " + path);
    for (DWORD index = 0;; index++) {
        char name[256];
        BYTE data[2048];
        DWORD nameLength = sizeof name;
        DWORD size = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS)
            break;
        snapshot->insert("value " + path + "|" + name + "|" + std::to_string(type) + "|" +
                         std::string(reinterpret_cast<char*>(data), size));
    }
    for (DWORD index = 0;; index++) {
        char name[256];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        AddKey(snapshot, root, path + "\\" + name);
    }
    RegCloseKey(key);
}


inline std::string Differences(const Snapshot& before, const Snapshot& after)
{
    std::string text;
    for (const std::string& line : before)
        if (!after.count(line)) text += "  gone:  " + line + "\n";
    for (const std::string& line : after)
        if (!before.count(line)) text += "  added: " + line + "\n";
    return text;
}

// How many times the system is to delete path at its next start.
inline int PendingRemovals(const std::string& path)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != 0)
        return 0;
    std::string data(65536, '\0');
    DWORD size = (DWORD)data.size();
    LONG status = RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&data[0]), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return 0;
    data.resize(size);
    // Pairs of names: the file, then an empty name for a deletion.
    std::vector<std::string> names;
    for (size_t at = 0; at < data.size(); at += names.back().size() + 1)
        names.push_back(data.c_str() + at);
    int count = 0;
    for (size_t i = 0; i + 1 < names.size(); i += 2)
        count += lstrcmpiA(names[i].c_str(), ("\\??\\" + path).c_str()) == 0 && names[i + 1].empty();
    return count;
}

// Nonzero when an uninstall entry starts the program at path.
inline bool IsNamedByAnEntry(const std::string& path)
{
    HKEY list = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallList, 0, KEY_READ, &list) != 0) return false;
    bool named = false;
    char name[256];
    for (DWORD i = 0, size = sizeof name;
         !named && RegEnumKeyExA(list, i, name, &size, nullptr, nullptr, nullptr, nullptr) == 0;
         i++, size = sizeof name) {
        std::string command;
        ReadRegistryText(HKEY_LOCAL_MACHINE, (std::string(kUninstallList) + "\\" + name).c_str(),
                         "UninstallString", &command);
        named = lstrcmpiA(command.substr(0, path.size() + 1).c_str(), (path + " ").c_str()) == 0;
    }
    RegCloseKey(list);
    return named;
}

inline std::string Dword(DWORD value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// The system's own form of a text-file command: expandable, with its terminating zero.
inline void SetExpandableCommand(const char* key, const std::string& command)
{
    WriteRegistryValue(HKEY_CLASSES_ROOT, key, "", REG_EXPAND_SZ, command + '\0');
}

// Makes link a symbolic link to the folder target, as a person could have put it there. The
// prefix's files are Unix files: the link is made by the system's own ln. 0 or -1.
inline int MakeFolderLink(const std::string& link, const std::string& target)
{
    std::string from = UnixName(target);
    std::string to = UnixName(link);
    if (from.empty() || to.empty())
        return CreateSymbolicLinkA(link.c_str(), target.c_str(), 1) ? 0 : -1;
    return MakeUnixLink(link, target);
}

// Removes such a link itself (deleting it through the system's calls would empty its target).
inline void RemoveFolderLink(const std::string& link)
{
    std::string name = UnixName(link);
    if (name.empty())
        RemoveDirectoryA(link.c_str());
    else
        RemoveUnixLink(link);
}

const char kGroupLines[] =
    "[Group]\r\n"
    "Quillor.lnk=Quillor.exe,Quillor text editor,%Quillor.exe,0\r\n"
    "Read me.lnk=README.TXT,Notes on this version,,0\r\n";

class UninstallTest : public SetupRunTest {
protected:
    void SetUp() override
    {
        SetupRunTest::SetUp();
        // An elevated run (every run under Wine) installs for all users.
        places = {ShortcutFolder(true, false) + "\\Quillor", ShortcutFolder(true, true)};
        savedOpen = ReadStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "");
        savedPrint = ReadStoredValue(HKEY_CLASSES_ROOT, kPrintCommand, "");
        uninstaller = WindowsFolder() + "\\Purgax.exe";
        RemoveEarlierInstallation();
    }

    void TearDown() override
    {
        CloseProgram(&program);
        for (const std::string& link : links) RemoveFolderLink(link);
        RemoveEarlierInstallation();
        RestoreStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "", savedOpen);
        RestoreStoredValue(HKEY_CLASSES_ROOT, kPrintCommand, "", savedPrint);
        SetupRunTest::TearDown();
    }

    // Removes what an earlier, maybe interrupted, run left: the installation and the entries
    // of other installations that these tests make (all named Quillor and more).
    void RemoveEarlierInstallation()
    {
        RemoveTree(places.group);
        RemoveTree(places.desktop + "\\Quillor.lnk");
        HKEY list = 0;
        std::vector<std::string> names;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallList, 0, KEY_READ, &list) == 0) {
            char name[256];
            for (DWORD i = 0, size = sizeof name;
                 RegEnumKeyExA(list, i, name, &size, nullptr, nullptr, nullptr, nullptr) == 0;
                 i++, size = sizeof name)
                if (strncmp(name, "Quillor", 7) == 0) names.push_back(name);
            RegCloseKey(list);
        }
        for (const std::string& name : names)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kUninstallList) + "\\" + name).c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kAppPaths) + "\\Quillor.exe").c_str());
        // The tests' Windows-directory files and their shared counts start from none, as on a
        // machine that never had an installation.
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((WindowsFolder() + "\\QUILLOR-E2E-*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do DeleteFileA((WindowsFolder() + "\\" + found.cFileName).c_str());
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        HKEY shared = 0;
        std::vector<std::string> counted;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedFiles, 0, KEY_READ, &shared) == 0) {
            char name[MAX_PATH];
            for (DWORD i = 0, size = sizeof name;
                 RegEnumValueA(shared, i, name, &size, nullptr, nullptr, nullptr, nullptr) == 0;
                 i++, size = sizeof name)
                if (strstr(name, "QUILLOR-E2E-")) counted.push_back(name);
            RegCloseKey(shared);
        }
        for (const std::string& name : counted)
            DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSharedFiles, name.c_str());
    }

    // Lays out a medium with the whole script, the sources and the built Purgax.exe.
    void LayOutScript(const std::string& script, const std::vector<SourceFile>& sources)
    {
        ASSERT_NO_FATAL_FAILURE(LayOut("", sources));
        ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF", script));
        ASSERT_EQ(0, CopyProgramToMedium(medium, "Purgax.exe"));
    }

    // Runs SETUP.EXE into medium.target, answering the default-editor question as told.
    void Install(int answer)
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(answer, kCaption, kQuestion));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportDone));
        ExpectExitCodeZero();
        CloseProgram(&program);
    }

    // Starts the uninstaller with a command line, as the programs list starts UninstallString.
    void StartUninstaller(const std::string& commandLine, const std::string& folder = "C:\\")
    {
        CloseProgram(&program);
        ASSERT_EQ(0, StartCommandLine(commandLine, folder.c_str(), &program));
    }

    std::string UninstallString()
    {
        std::string command;
        EXPECT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE, kQuillorEntry, "UninstallString",
                                      &command));
        return command;
    }

    DWORD ExitCode()
    {
        DWORD code = 99;
        EXPECT_EQ(0, WaitForExit(program, &code));
        return code;
    }

    // Runs the uninstaller of the entry and says Yes; answers the question about the whole
    // folder with folderAnswer when it is not 0. Returns the report, answered with OK.
    std::string Uninstall(int folderAnswer = 0)
    {
        StartUninstaller(UninstallString());
        ExpectMessage(IDYES, kCaptionOfQuillor, kConfirm);
        if (folderAnswer)
            ExpectMessage(folderAnswer, kCaptionOfQuillor,
                          "The installed copy of the setup script is missing or has been "
                          "changed, so the files of this installation are not known. Remove the "
                          "folder \"" + medium.target + "\" and everything in it ?");
        SeenMessageBox report;
        AnswerMessageBox(program, IDOK, &report);
        EXPECT_EQ(kCaptionOfQuillor, report.caption);
        return report.text;
    }

    // A run that finds no entry says so and touches nothing.
    void ExpectNoEntry(const std::string& commandLine)
    {
        ASSERT_NO_FATAL_FAILURE(StartUninstaller(commandLine));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kRefusalCaption,
                                              "No installation in \"" + medium.target +
                                              "\" is listed among the installed programs. "
                                              "Nothing was removed."));
        EXPECT_EQ((DWORD)kNothingDoneStatus, ExitCode());
    }

    Snapshot TakeSnapshot()
    {
        Snapshot snapshot;
        AddFolder(&snapshot, medium.root, true);
        AddFolder(&snapshot, WindowsFolder(), false);
        AddFolder(&snapshot, ShortcutFolder(true, false), true);
        AddFolder(&snapshot, places.desktop, false);
        AddKey(&snapshot, HKEY_LOCAL_MACHINE, kUninstallList);
        AddKey(&snapshot, HKEY_LOCAL_MACHINE, kAppPaths);
        AddKey(&snapshot, HKEY_CLASSES_ROOT, "txtfile");
        return snapshot;
    }

    struct {
        std::string group;
        std::string desktop;
    } places;
    // An uninstall entry of another installation, until the test ends; name begins with
    // Quillor.
    void AddEntry(const std::string& name, const std::string& command)
    {
        std::string key = std::string(kUninstallList) + "\\" + name;
        HKEY opened = 0;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                                 KEY_SET_VALUE, nullptr, &opened, nullptr));
        RegSetValueExA(opened, "UninstallString", 0, REG_SZ, (const BYTE*)command.c_str(),
                       (DWORD)command.size() + 1);
        RegCloseKey(opened);
    }

    // Makes link point to the folder target until the test ends. 0 or -1.
    int Link(const std::string& link, const std::string& target)
    {
        links.push_back(link);
        return MakeFolderLink(link, target);
    }

    StoredValue savedOpen;
    StoredValue savedPrint;
    std::string uninstaller;
    std::vector<std::string> links;
};

inline std::string ExceptFor(int count, const std::string& items, bool entryStays)
{
    return "Quillor was removed, except for these items (" + std::to_string(count) + "):" +
           items + (entryStays ? std::string("\n\n") + kEntryStays : "");
}

// Removes from a snapshot the line of the file at path, whatever its size.
inline void ForgetFile(Snapshot* snapshot, const std::string& path)
{
    for (auto line = snapshot->begin(); line != snapshot->end();)
        line = line->rfind("file " + path + " ", 0) == 0 ? snapshot->erase(line) : std::next(line);
}

