// Times Purgax.exe removing an installation of the benchmark's payload against a plain deletion of the same files and folders, under one Wine.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files.h"
#include "medium.h"
#include "registry.h"
#include "ui_driver.h"

namespace {

const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\UninstallBench";

// The copy benchmark's payload: one large file, 200 files of 64 KiB in 4 folders and 1000
// files of 1 KiB in 10 folders, below three top folders.
struct Payload {
    std::vector<std::string> files;    // relative paths
    std::vector<size_t> sizes;
    std::vector<std::string> folders;  // relative paths, each folder after those that hold it
};

Payload MakePayload()
{
    Payload payload;
    payload.files.push_back("BIG\\LARGE.BIN");
    payload.sizes.push_back(64u << 20);
    const struct {
        const char* top;
        const char* sub;
        const char* format;
        int count;
        int folders;
        size_t size;
    } groups[] = {{"MEDIUM", "M", "%s\\%s%d\\F%03d.BIN", 200, 4, 64u << 10},
                  {"SMALL", "S", "%s\\%s%d\\F%04d.BIN", 1000, 10, 1u << 10}};
    payload.folders = {"BIG", "MEDIUM", "SMALL"};
    for (const auto& group : groups) {
        char name[64];
        for (int i = 0; i < group.folders; i++) {
            wsprintfA(name, "%s\\%s%d", group.top, group.sub, i);
            payload.folders.push_back(name);
        }
        for (int i = 0; i < group.count; i++) {
            wsprintfA(name, group.format, group.top, group.sub, i % group.folders, i);
            payload.files.push_back(name);
            payload.sizes.push_back(group.size);
        }
    }
    return payload;
}

double SecondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

// Deletes the payload's files and the script's copy, then the folders deepest first, then the
// folder itself, as a plain program would. Returns the seconds taken, or -1.
double DeletePlainly(const std::string& folder, const Payload& payload)
{
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    for (const std::string& file : payload.files) {
        if (!DeleteFileA((folder + "\\" + file).c_str())) return -1;
    }
    if (!DeleteFileA((folder + "\\SETUP.INF").c_str())) return -1;
    for (auto name = payload.folders.rbegin(); name != payload.folders.rend(); ++name) {
        if (!RemoveDirectoryA((folder + "\\" + *name).c_str())) return -1;
    }
    if (!RemoveDirectoryA(folder.c_str())) return -1;
    return SecondsSince(start);
}

// Writes the payload's files in folder through to the disk, so that neither removal waits for
// data that was only just written.
void FlushPayload(const std::string& folder, const Payload& payload)
{
    for (const std::string& file : payload.files) {
        HANDLE handle = CreateFileA((folder + "\\" + file).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
        if (handle == INVALID_HANDLE_VALUE) continue;
        FlushFileBuffers(handle);
        CloseHandle(handle);
    }
}

// Installs the medium into target with SETUP.EXE, answering No and OK. 0 or -1.
int Install(const Medium& medium, const std::string& target)
{
    DrivenProgram program = {};
    if (StartProgram((medium.folder + "\\SETUP.EXE").c_str(), medium.folder.c_str(), &program))
        return -1;
    SeenMessageBox seen;
    int result = ChooseTargetDirectory(program, "Bench", target.c_str()) == 0 &&
                         AnswerMessageBox(program, IDNO, &seen, 600000) == 0 &&
                         AnswerMessageBox(program, IDOK, &seen) == 0
                     ? 0 : -1;
    DWORD code = 1;
    if (result == 0 && (WaitForExit(program, &code) != 0 || code != 0)) result = -1;
    CloseProgram(&program);
    return result;
}

// Starts the uninstaller from the entry as the programs list does and says Yes; the time runs
// from the Yes until the final report shows. Returns the seconds, or -1.
double Uninstall(std::string* report)
{
    std::string command;
    if (ReadRegistryText(HKEY_LOCAL_MACHINE, kEntry, "UninstallString", &command) != 0) return -1;
    DrivenProgram program = {};
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, "C:\\",
                        &startup, &program.process))
        return -1;
    double seconds = -1;
    SeenMessageBox seen;
    if (AnswerMessageBox(program, IDYES, &seen) == 0) {
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        if (WaitForMessageBox(program, 600000)) seconds = SecondsSince(start);
        if (AnswerMessageBox(program, IDOK, &seen) != 0) seconds = -1;
        *report = seen.text;
    }
    DWORD code = 1;
    if (WaitForExit(program, &code) != 0 || code != 0) seconds = -1;
    CloseProgram(&program);
    return seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    Payload payload = MakePayload();
    std::string script = "[Install]\r\nApplication=UninstallBench\r\nCaption=Bench\r\n[Files]\r\n"
                         "Script=SETUP.INF\r\nUninstaller=%Purgax.exe\r\n";
    for (const std::string& file : payload.files) script += "File=" + file + "\r\n";
    Medium medium;
    if (CreateMedium("uninstall-bench", script, &medium) != 0 ||
        CopyProgramToMedium(medium, "Purgax.exe") != 0) {
        fprintf(stderr, "uninstall_bench: cannot lay out the medium\n");
        return 1;
    }
    long long bytes = 0;
    for (size_t i = 0; i < payload.files.size(); i++) {
        WriteMediumFile(medium, payload.files[i], PatternBytes(payload.sizes[i], unsigned(i)));
        bytes += payload.sizes[i];
    }
    printf("uninstall payload: %u files in %u folders, %lld bytes\n",
           unsigned(payload.files.size()), unsigned(payload.folders.size()), bytes);

    // Every round removes an installation and a plain copy of its own, made just before.
    std::vector<double> plain, uninstaller;
    int failed = 0;
    for (int round = 0; round < rounds && !failed; round++) {
        std::string suffix = std::to_string(round);
        std::string copy = medium.root + "\\plain" + suffix;
        std::string target = medium.root + "\\installed" + suffix;
        CreateDirectoryA(copy.c_str(), nullptr);
        std::string report;
        double deleted = -1;
        double removed = -1;
        // Which goes first alternates: the second removal finds the disk's caches warmer.
        if (Install(medium, target) == 0 && CopyTree(target, copy) == 0) {
            FlushPayload(target, payload);
            FlushPayload(copy, payload);
            if (round % 2 == 0) deleted = DeletePlainly(copy, payload);
            removed = Uninstall(&report);
            if (round % 2 == 1) deleted = DeletePlainly(copy, payload);
        }
        if (deleted < 0 || removed < 0 || PathExists(target)) {
            fprintf(stderr, "uninstall_bench: round %d failed (report: %s)\n", round + 1,
                    report.c_str());
            failed = 1;
            break;
        }
        plain.push_back(deleted);
        uninstaller.push_back(removed);
        printf("round %d: plain delete %.3f s, uninstaller %.3f s\n", round + 1, deleted, removed);
    }
    if (!failed) {
        std::sort(plain.begin(), plain.end());
        std::sort(uninstaller.begin(), uninstaller.end());
        double p = plain[rounds / 2], u = uninstaller[rounds / 2];
        printf("median of %d rounds: plain delete %.3f s, uninstaller %.3f s\n", rounds, p, u);
        printf("uninstaller / plain delete: %.2f (target 1.5 at most)\n", u / p);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntry);
    RemoveMedium(&medium);
    return failed;
}
