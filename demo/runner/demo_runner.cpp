// Runs SETUP.EXE on the sample medium unattended, with screenshots, and prints what it installed.
// Usage: demo_runner MEDIUM_FOLDER SCREENSHOT_FOLDER   (Windows paths)
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/exit_statuses.h"
#include "files.h"
#include "links.h"
#include "registry.h"
#include "resources/resource_ids.h"
#include "ui_driver.h"

namespace {

const DWORD kRunLimitMs = 120000;
const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// What the programs list shows of the entry, and the script's hash the uninstaller checks.
const char* const kUninstallValues[] = {
    "DisplayName", "UninstallString", "InstallLocation", "DisplayIcon", "EstimatedSize",
    "NoModify", "NoRepair", "Publisher", "DisplayVersion", "ScriptSha256",
};

int driverFailures;

void ReportDriverFailure(const std::string& failure)
{
    driverFailures++;
    fprintf(stderr, "demo runner: %s\n", failure.c_str());
}

// Writes the whole screen as a 24-bit BMP file. 0 or -1.
int SaveScreenBitmap(const std::string& path)
{
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = 0;
    HBITMAP picture = 0;
    HGDIOBJ previous = 0;
    void* bits = nullptr;
    int result = -1;
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    DWORD rowBytes = ((DWORD)width * 3 + 3) & ~3u;
    DWORD imageBytes = rowBytes * (DWORD)height;

    if (!screen) goto done;
    memory = CreateCompatibleDC(screen);
    if (!memory) goto done;
    picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!picture) goto done;
    previous = SelectObject(memory, picture);
    if (BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY)) {
        GdiFlush();
        BITMAPFILEHEADER header;
        memset(&header, 0, sizeof header);
        header.bfType = 0x4D42;  // "BM"
        header.bfOffBits = sizeof header + sizeof info.bmiHeader;
        header.bfSize = header.bfOffBits + imageBytes;
        std::string bytes((const char*)&header, sizeof header);
        bytes.append((const char*)&info.bmiHeader, sizeof info.bmiHeader);
        bytes.append((const char*)bits, imageBytes);
        result = WriteFileBytes(path, bytes);
    }
    SelectObject(memory, previous);

done:
    if (picture) DeleteObject(picture);
    if (memory) DeleteDC(memory);
    if (screen) ReleaseDC(nullptr, screen);
    return result;
}

// Has the program paint what it shows, then saves the screen as NN-name.bmp. A held program
// (its thread suspended) is not asked to paint: the progress dialog keeps no picture of its
// bars, and a repaint would wait behind the copy's step messages and leave the dialog blank in
// the picture; the dialog hands each change to the screen as it draws it.
void TakeScreenshot(const std::string& folder, const char* name, HWND window, bool held = false)
{
    static int number;
    if (!held) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        // Wine hands what a program drew to the X server when the program next waits for its
        // queue: a message sent to it is answered from there.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    }
    Sleep(300);  // lets the X server show what was painted before it is read back
    char file[64];
    snprintf(file, sizeof file, "%02d-%s.bmp", ++number, name);
    if (SaveScreenBitmap(folder + "\\" + file) != 0) {
        fprintf(stderr, "demo runner: cannot save the screenshot %s\n", file);
    }
}

// The lines of a section of a setup script, without their line breaks.
std::vector<std::string> SectionLines(const std::string& script, const std::string& section)
{
    std::vector<std::string> lines;
    std::string header = "[" + section + "]";
    int inside = 0;
    size_t start = 0;
    while (start < script.size()) {
        size_t end = script.find('\n', start);
        if (end == std::string::npos) end = script.size();
        std::string line = script.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') inside = line.compare(0, header.size(), header) == 0;
        else if (inside) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The value of key in a section of a setup script, or "" (the last matching line wins).
std::string ScriptValue(const std::string& script, const char* section, const char* key)
{
    std::string value;
    for (const std::string& line : SectionLines(script, section)) {
        if (line.compare(0, strlen(key), key) != 0) continue;
        size_t equals = line.find('=');
        value = equals == std::string::npos ? "" : line.substr(equals + 1);
    }
    return value;
}

// The destination names of the Files entries that go to the Windows directory.
std::vector<std::string> WindowsDirectoryEntries(const std::string& script)
{
    std::vector<std::string> names;
    for (const std::string& line : SectionLines(script, "Files")) {
        size_t equals = line.find('=');
        if (line.empty() || line[0] == ';' || equals == std::string::npos) continue;
        size_t value = line.find_first_not_of(" \t=", equals);
        if (value == std::string::npos || line[value] != '%') continue;
        std::string destination = line.substr(value + 1);
        size_t semicolon = destination.rfind(';');
        if (semicolon != std::string::npos) destination.resize(semicolon);
        names.push_back(destination);
    }
    return names;
}

void ListFiles(const std::string& folder, const std::string& shown)
{
    for (const ListedFile& entry : ListFolder(folder)) {
        std::string name = shown + entry.name;
        if (entry.isDirectory) {
            printf("    %-40s (directory)\n", (name + "\\").c_str());
            ListFiles(folder + "\\" + entry.name, name + "\\");
        } else {
            printf("    %-40s %10lu bytes\n", name.c_str(), (unsigned long)entry.size);
        }
    }
}

void PrintShortcut(const std::string& path)
{
    LinkContents link = LoadLink(path);
    if (link.status == S_OK) {
        printf("    %s\n        target %s\n        description \"%s\", icon %s,%d\n", path.c_str(),
               link.target.c_str(), link.description.c_str(), link.iconFile.c_str(),
               link.iconIndex);
    } else {
        printf("    %s (cannot be read as a shortcut)\n", path.c_str());
    }
}

// Prints the shortcut files of folder whose names end in suffix ("": every file).
void PrintShortcutsIn(const std::string& folder, const std::string& suffix)
{
    int printed = 0;
    for (const ListedFile& entry : ListFolder(folder)) {
        const std::string& name = entry.name;
        if (entry.isDirectory || name.size() < suffix.size() ||
            lstrcmpiA(name.c_str() + name.size() - suffix.size(), suffix.c_str()) != 0) {
            continue;
        }
        PrintShortcut(folder + "\\" + name);
        printed++;
    }
    if (!printed) printf("    (none in %s)\n", folder.c_str());
}

// Prints a value as stored: a text between quotation marks, with its type when it is not
// REG_SZ; a number as a number.
void PrintRegistryValue(HKEY root, const char* rootName, const std::string& keyPath,
                        const char* valueName)
{
    StoredValue value = ReadStoredValue(root, keyPath, valueName);
    std::string shown = "(not written)";
    if (value.valueExists && value.type == REG_DWORD && value.data.size() == sizeof(DWORD)) {
        DWORD number = 0;
        memcpy(&number, value.data.data(), sizeof number);
        shown = std::to_string(number) + " (REG_DWORD)";
    } else if (value.valueExists && value.type == REG_MULTI_SZ) {
        // Texts one after the other, each ended by a zero, the list by an empty one.
        shown = "";
        for (size_t at = 0; at < value.data.size() && value.data[at] != '\0';) {
            std::string text(value.data.c_str() + at);
            shown += (shown.empty() ? "\"" : ", \"") + text + "\"";
            at += text.size() + 1;
        }
        shown += " (REG_MULTI_SZ)";
    } else if (value.valueExists) {
        shown = "\"" + std::string(value.data.c_str()) + "\"";
        if (value.type == REG_EXPAND_SZ) shown += " (REG_EXPAND_SZ)";
    }
    printf("    %s\\%s [%s]\n        = %s\n", rootName, keyPath.c_str(),
           valueName ? valueName : "default", shown.c_str());
}

// What the run saw and chose, for the summary.
struct RunRecord {
    std::string targetDir;
    std::string suffixes;
    std::vector<SeenMessageBox> boxes;
    int progressSeen;
};

// The percentage a control of the progress dialog shows, read without sending it a message
// (its thread may be held), or -1.
int ShownPercent(HWND dialog, int id)
{
    std::string text = ReadWindowTitle(GetDlgItem(dialog, id));
    return text.empty() ? -1 : atoi(text.c_str());
}

// Has the setup program hand its last drawing to the X server before it is held: a program
// under Wine sends what it drew when it next looks at its queue, and a paint of the file
// percentage (drawn again from its own text, nothing else touched) is such a look.
void HandOverDrawing(HWND progress)
{
    HWND fileText = GetDlgItem(progress, IDC_COPY_FILE_TEXT);
    InvalidateRect(fileText, nullptr, FALSE);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(fileText, WM_PAINT, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

// Nonzero when the screen shows the bar `id` of the dialog at percent (1 to 99): blue up to it
// and its black edge at it.
int ScreenShowsBar(HWND dialog, int id, int percent)
{
    HWND bar = GetDlgItem(dialog, id);
    RECT client;
    if (!GetClientRect(bar, &client)) return 0;
    POINT edge = {percent * client.right / 100, client.bottom / 2};
    ClientToScreen(bar, &edge);
    HDC screen = GetDC(nullptr);
    int shown = GetPixel(screen, edge.x - 1, edge.y) == RGB(0, 0, 255) &&
                GetPixel(screen, edge.x, edge.y) == RGB(0, 0, 0);
    ReleaseDC(nullptr, screen);
    return shown;
}

// The sample payload is copied within milliseconds: lets the setup program run in short slices
// until both bars stand part of the way (or the dialog goes), then takes the progress dialog's
// picture while the program is held. The dialog draws each change at once, but under Wine the
// screen shows it only once the program has handed its drawing to the X server, which a busy
// program does now and then: a picture is taken only when the screen shows both bars as the
// held dialog's texts say, so that bars and texts agree.
void CatchProgressDialog(const DrivenProgram& program, const std::string& shots, RunRecord* record)
{
    HANDLE thread = program.process.hThread;
    HWND progress = 0;
    for (DWORD start = GetTickCount(); !progress && GetTickCount() - start < 2000;) {
        if (FindMessageBox(program) ||
            WaitForSingleObject(program.process.hProcess, 0) != WAIT_TIMEOUT)
            return;
        progress = FindProgramWindow(program, DIALOG_CLASS, nullptr, IDC_COPY_CANCEL);
    }
    if (!progress) return;
    record->progressSeen = 1;
    for (int slice = 0; slice < 2000 && IsWindowVisible(progress); slice++) {
        HandOverDrawing(progress);
        SuspendThread(thread);
        int file = ShownPercent(progress, IDC_COPY_FILE_TEXT);
        int overall = ShownPercent(progress, IDC_COPY_OVERALL_TEXT);
        int shown = 0;
        for (DWORD held = GetTickCount();
             !shown && file > 0 && file < 100 && overall > 0 && overall < 100 &&
             GetTickCount() - held < 300;
             Sleep(10)) {
            shown = ScreenShowsBar(progress, IDC_COPY_FILE_BAR, file) &&
                    ScreenShowsBar(progress, IDC_COPY_OVERALL_BAR, overall);
        }
        if (shown) {
            TakeScreenshot(shots, "progress", progress, true);
            ResumeThread(thread);
            return;
        }
        ResumeThread(thread);
        SwitchToThread();
    }
    if (IsWindowVisible(progress)) {
        HandOverDrawing(progress);
        SuspendThread(thread);
        TakeScreenshot(shots, "progress", progress, true);
        ResumeThread(thread);
    }
}

// Answers a question as a person installing Quillor would, after taking its picture: Install
// into the proposed directory, Yes to the question and to the file types, OK to any message.
void AnswerAsAPerson(const DrivenProgram& program, const Question& asked,
                     const std::string& shots, RunRecord* record)
{
    const char* shot = "directory";
    int button = IDC_DIRECTORY_INSTALL;
    if (asked.kind == kDirectoryQuestion) {
        record->targetDir = asked.text;
    } else if (asked.kind == kFileTypesQuestion) {
        record->suffixes = asked.text;
        shot = "file-types";
        button = IDYES;
    } else {
        int asks = GetDlgItem(asked.window, IDYES) != 0;
        // The report carries the main window's title; failure messages carry the class name.
        HWND main = FindProgramWindow(program, "Install", nullptr, 0);
        int reports = !asks && main && ReadWindowTitle(main) == asked.caption;
        shot = asks ? "question" : reports ? "report" : "message";
        button = asks ? IDYES : IDOK;
        record->boxes.push_back(asked);
    }
    TakeScreenshot(shots, shot, asked.window);
    AnswerQuestion(program, asked, button);
    if (asked.kind == kDirectoryQuestion) CatchProgressDialog(program, shots, record);
}

// Hands each question of the program to answer until the program ends. 0, or -1 (after
// saying what was on screen) when it did not end in time.
template <typename Answer>
int AnswerUntilEnd(const DrivenProgram& program, const char* what, Answer answer)
{
    DWORD start = GetTickCount();
    while (WaitForSingleObject(program.process.hProcess, kPollMs) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > kRunLimitMs) {
            fprintf(stderr, "demo runner: %s did not end; on screen:\n%s", what,
                    DescribeScreen(program.process.dwProcessId).c_str());
            return -1;
        }
        Question asked;
        if (FindQuestion(program, &asked) == 0) answer(asked);
    }
    return 0;
}

// What the setup program's exit status says.
const char* ExitMeaning(DWORD status)
{
    switch (status) {
    case kExitInstalled:           return "installed: everything was done";
    case kExitEarlyEnd:            return "ended early: nothing was installed";
    case kExitPartial:             return "installed in part: some step failed";
    case kExitAbandoned:           return "abandoned: the copy was cancelled";
    case kExitDirectoryCancelled:  return "cancelled in the directory dialog: nothing installed";
    }
    return "unknown";
}

// Prints the files, shortcuts and registry values that the installation of the medium makes,
// as they are now on the machine.
void PrintMachine(const std::string& mediumFolder, const RunRecord& record)
{
    std::string script;
    ReadFileBytes(mediumFolder + "\\SETUP.INF", &script);
    std::string application = ScriptValue(script, "Install", "Application");

    printf("Target directory: %s%s\n", record.targetDir.c_str(),
           PathExists(record.targetDir) ? "" : " (not there)");
    ListFiles(record.targetDir, "");
    for (const std::string& name : WindowsDirectoryEntries(script)) {
        std::string path = WindowsFolder() + "\\" + name;
        long long size = ReadFileSizeOnDisk(path);
        if (size >= 0) printf("Windows directory: %s, %lld bytes\n", path.c_str(), size);
        else printf("Windows directory: %s is not there\n", path.c_str());
    }

    std::string programs, desktop;
    printf("\nShortcuts:\n");
    if (ReadRegistryText(HKEY_CURRENT_USER, kShellFolders, "Programs", &programs) == 0) {
        PrintShortcutsIn(programs + "\\" + application, "");
    }
    if (ReadRegistryText(HKEY_CURRENT_USER, kShellFolders, "Desktop", &desktop) == 0) {
        PrintShortcutsIn(desktop, ".lnk");
    }

    printf("\nRegistry values:\n");
    std::string appPath = std::string(kCurrentVersion) + "\\App Paths\\Quillor.exe";
    PrintRegistryValue(HKEY_LOCAL_MACHINE, "HKLM", appPath, nullptr);
    std::string uninstall = std::string(kCurrentVersion) + "\\Uninstall\\" + application;
    for (const char* name : kUninstallValues)
        PrintRegistryValue(HKEY_LOCAL_MACHINE, "HKLM", uninstall, name);
    PrintRegistryValue(HKEY_CLASSES_ROOT, "HKCR", "txtfile\\shell\\open\\command", nullptr);
    PrintRegistryValue(HKEY_CLASSES_ROOT, "HKCR", "txtfile\\shell\\print\\command", nullptr);
    size_t position = 0;
    while (position < record.suffixes.size()) {
        size_t first = record.suffixes.find_first_not_of(" \t", position);
        if (first == std::string::npos) break;
        size_t last = record.suffixes.find_first_of(" \t", first);
        if (last == std::string::npos) last = record.suffixes.size();
        std::string suffixKey = "." + record.suffixes.substr(first, last - first);
        PrintRegistryValue(HKEY_CLASSES_ROOT, "HKCR", suffixKey, nullptr);
        position = last;
    }
}

void PrintMessages(const std::vector<SeenMessageBox>& boxes)
{
    printf("\nMessages, in order:\n");
    for (const SeenMessageBox& box : boxes) {
        printf("    [%s] %s\n", box.caption.c_str(), box.text.c_str());
    }
}

void PrintSummary(const std::string& mediumFolder, const RunRecord& record, DWORD exitCode)
{
    printf("\n== What the installation did ==\n");
    PrintMachine(mediumFolder, record);
    PrintMessages(record.boxes);
    printf("\nThe run ended with exit status %lu (%s) and the report:\n    %s\n",
           (unsigned long)exitCode, ExitMeaning(exitCode),
           record.boxes.empty() ? "(none)" : record.boxes.back().text.c_str());
}

// Answers the uninstaller as a person who wants Quillor gone: Yes to its question and OK to
// its report, each after its picture. 0, or -1 when it did not end in time.
int AnswerUninstaller(const DrivenProgram& program, const std::string& shots,
                      std::vector<SeenMessageBox>* boxes)
{
    return AnswerUntilEnd(program, "the uninstaller", [&](const Question& asked) {
        int asks = GetDlgItem(asked.window, IDYES) != 0;
        TakeScreenshot(shots, asks ? "uninstall-question" : "uninstall-report", asked.window);
        boxes->push_back(asked);
        AnswerQuestion(program, asked, asks ? IDYES : IDOK);
    });
}

// Starts the entry's UninstallString as the programs list does, from C:\, answers it, and
// prints what is left of the installation. Returns the uninstaller's exit status, or -1.
long RunUninstallEntry(const std::string& mediumFolder, const RunRecord& record,
                       const std::string& shots)
{
    std::string script;
    ReadFileBytes(mediumFolder + "\\SETUP.INF", &script);
    std::string entry = std::string(kCurrentVersion) + "\\Uninstall\\" +
                        ScriptValue(script, "Install", "Application");
    std::string command;
    if (ReadRegistryText(HKEY_LOCAL_MACHINE, entry.c_str(), "UninstallString", &command) != 0) {
        printf("\nNo uninstall entry to run.\n");
        return -1;
    }
    printf("\n== Uninstalling, as the programs list would ==\nStarting %s\n", command.c_str());
    fflush(stdout);
    DrivenProgram program = {};
    std::vector<SeenMessageBox> boxes;
    DWORD exitCode = 1;
    long status = -1;
    if (StartCommandLine(command, "C:\\", &program) == 0 &&
        AnswerUninstaller(program, shots, &boxes) == 0) {
        GetExitCodeProcess(program.process.hProcess, &exitCode);
        status = static_cast<long>(exitCode);
    }
    CloseProgram(&program);
    PrintMessages(boxes);
    printf("\nThe uninstaller ended with exit status %ld.\n", status);
    printf("\n== What is left on the machine ==\n");
    PrintMachine(mediumFolder, record);
    printf("\nPending file operations of the next restart:\n");
    PrintRegistryValue(HKEY_LOCAL_MACHINE, "HKLM", kSessionManager, "PendingFileRenameOperations");
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    // The script that runs us parses this output: no CR before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    // --install-only: the installation alone, without running the uninstall entry after it.
    int installOnly = argc == 4 && strcmp(argv[3], "--install-only") == 0;
    if (argc != 3 && !installOnly) {
        fprintf(stderr, "usage: demo_runner MEDIUM_FOLDER SCREENSHOT_FOLDER [--install-only]\n");
        return 2;
    }
    std::string mediumFolder = argv[1];
    std::string shots = argv[2];
    SetDriverFailureReporter(ReportDriverFailure);

    DrivenProgram program = {};
    RunRecord record = {};
    DWORD exitCode = 1;
    int status = 1;
    std::string exe = mediumFolder + "\\SETUP.EXE";
    printf("Starting %s\n", exe.c_str());
    fflush(stdout);
    if (StartProgram(exe.c_str(), mediumFolder.c_str(), &program) == 0 &&
        AnswerUntilEnd(program, "the setup program", [&](const Question& asked) {
            AnswerAsAPerson(program, asked, shots, &record);
        }) == 0) {
        GetExitCodeProcess(program.process.hProcess, &exitCode);
        PrintSummary(mediumFolder, record, exitCode);
        status = driverFailures == 0 && exitCode == 0 ? 0 : 1;
        if (status == 0 && !installOnly && RunUninstallEntry(mediumFolder, record, shots) != 0)
            status = 1;
    }
    CloseProgram(&program);
    fflush(stdout);
    return status;
}
