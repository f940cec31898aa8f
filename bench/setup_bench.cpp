// Times the installer's copy phase against a plain chunked copy and against the design's floor
// (the same copy plus one posted-message round trip per entry and per chunk), under one Wine.
#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "medium.h"
#include "ui_driver.h"

namespace {

const DWORD kChunk = 8192;
const UINT kStepMessage = WM_USER + 1;

struct PayloadFile {
    std::string name;   // relative path below the medium
    size_t size;
};

// kind: "all" (the default), "large" (the 64 MiB file alone) or "small" (the many small files).
std::vector<PayloadFile> PayloadList(const char* kind)
{
    std::vector<PayloadFile> files;
    int large = strcmp(kind, "small") != 0;
    int small = strcmp(kind, "large") != 0;
    if (large)
        files.push_back({"BIG\\LARGE.BIN", 64u << 20});
    for (int i = 0; small && i < 200; i++) {
        char name[64];
        wsprintfA(name, "MEDIUM\\M%d\\F%03d.BIN", i % 4, i);
        files.push_back({name, 64u << 10});
    }
    for (int i = 0; small && i < 1000; i++) {
        char name[64];
        wsprintfA(name, "SMALL\\S%d\\F%04d.BIN", i % 10, i);
        files.push_back({name, 1u << 10});
    }
    return files;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

void MakeParentDirectories(const std::string& path)
{
    for (size_t i = 3; i < path.size(); i++) {
        if (path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), NULL);
    }
}

LRESULT CALLBACK StepWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kStepMessage)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

// One posted message taken out of the queue and dispatched, as each installer step costs.
void RoundTrip(HWND window)
{
    MSG message;
    PostMessageA(window, kStepMessage, 0, 0);
    if (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Copies every payload file in 8192-byte chunks with its time stamps; with a window, adds one
// message round trip per entry and per chunk. Returns the seconds taken, or -1.
double CopyTree(const std::string& from, const std::string& to, const std::vector<PayloadFile>& files,
                HWND window)
{
    static char buffer[kChunk];
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (const PayloadFile& file : files) {
        if (window)
            RoundTrip(window);
        std::string source = from + "\\" + file.name;
        std::string dest = to + "\\" + file.name;
        MakeParentDirectories(dest);
        HANDLE in = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        HANDLE out = CreateFileA(dest.c_str(), GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                                 FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE)
            return -1;
        DWORD got = 0;
        do {
            if (window)
                RoundTrip(window);
            DWORD written = 0;
            if (!ReadFile(in, buffer, kChunk, &got, NULL))
                return -1;
            if (got > 0 && (!WriteFile(out, buffer, got, &written, NULL) || written != got))
                return -1;
        } while (got == kChunk);
        SetEndOfFile(out);
        FILETIME created, accessed, modified;
        GetFileTime(in, &created, &accessed, &modified);
        SetFileTime(out, &created, &accessed, &modified);
        CloseHandle(in);
        CloseHandle(out);
    }
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

struct InstallerRun {
    double copySeconds;
    SIZE_T peakWorkingSet;
};

// Runs SETUP.EXE on the medium into target: the copy phase lasts from the Install button until
// the default-editor question, which follows the last file at once when there is no Group.
int RunInstaller(const Medium& medium, const std::string& target, InstallerRun* run)
{
    DrivenProgram program = {};
    std::string exe = medium.folder + "\\SETUP.EXE";
    if (StartProgram(exe.c_str(), medium.folder.c_str(), &program) != 0)
        return -1;
    int result = -1;
    HWND dialog = WaitForWindow(program, DIALOG_CLASS, "Bench", 257);
    if (dialog && SetControlText(dialog, 257, target.c_str()) == 0) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        PressButton(dialog, 259);
        HWND question = WaitForMessageBox(program, 600000);
        QueryPerformanceCounter(&end);
        SeenMessageBox seen;
        if (question && AnswerMessageBox(program, IDNO, &seen) == 0) {
            PROCESS_MEMORY_COUNTERS counters = {};
            counters.cb = sizeof counters;
            GetProcessMemoryInfo(program.process.hProcess, &counters, sizeof counters);
            if (AnswerMessageBox(program, IDOK, &seen) == 0) {
                run->copySeconds = Seconds(start, end);
                run->peakWorkingSet = counters.PeakWorkingSetSize;
                result = 0;
                printf("  installer report: %s\n", seen.text.c_str());
            }
        }
    }
    WaitForSingleObject(program.process.hProcess, kExitWaitMs);
    CloseProgram(&program);
    return result;
}

// Seconds from starting SETUP.EXE until its directory dialog shows: the script load, the
// Install settings and the size pass over every Files entry. -1 on failure.
double TimeStartup(const Medium& medium)
{
    DrivenProgram program = {};
    std::string exe = medium.folder + "\\SETUP.EXE";
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (StartProgram(exe.c_str(), medium.folder.c_str(), &program) != 0)
        return -1;
    HWND dialog = WaitForWindow(program, DIALOG_CLASS, "Bench", 257, 600000);
    QueryPerformanceCounter(&end);
    if (dialog)
        PressButton(dialog, 260);
    WaitForSingleObject(program.process.hProcess, kExitWaitMs);
    CloseProgram(&program);
    return dialog ? Seconds(start, end) : -1;
}

// Start-up against the script's size: entries that all name one small source, each preceded
// by a comment line of lineLength characters. Linear growth keeps seconds per entry flat.
int BenchStartupScaling()
{
    const int entryCounts[] = {12500, 25000, 50000};
    const int lineLength = 100000;
    printf("start-up with long scripts (every entry after a %d-character comment line):\n",
           lineLength);
    int failed = 0;
    for (int count : entryCounts) {
        std::string comment(lineLength, 'x');
        comment[0] = ';';
        std::string script = "[Install]\r\nApplication=Bench\r\nCaption=Bench\r\n[Files]\r\n";
        // One long line per hundred entries keeps the file at a few tens of megabytes.
        for (int i = 0; i < count; i++) {
            if (i % 100 == 0)
                script += comment + "\r\n";
            script += "File=ONE.BIN\r\n";
        }
        Medium medium;
        if (CreateMedium("bench-script", script, &medium) != 0 ||
            WriteMediumFile(medium, "ONE.BIN", PatternBytes(100, 1)) != 0) {
            RemoveMedium(&medium);
            return -1;
        }
        double seconds = TimeStartup(medium);
        RemoveMedium(&medium);
        if (seconds < 0) {
            failed = 1;
            break;
        }
        printf("  %6d entries, %9u script bytes: %.3f s, %.2f us per entry\n", count,
               unsigned(script.size()), seconds, seconds * 1e6 / count);
    }
    return failed ? -1 : 0;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? atoi(argv[1]) : 3;
    if (rounds < 1)
        rounds = 1;
    const char* kind = argc > 2 ? argv[2] : "all";
    std::vector<PayloadFile> files = PayloadList(kind);

    std::string script = "[Install]\r\nApplication=Bench\r\nCaption=Bench\r\n[Files]\r\n";
    for (const PayloadFile& file : files)
        script += "File=" + file.name + "\r\n";
    Medium medium;
    if (CreateMedium("bench", script, &medium) != 0) {
        fprintf(stderr, "setup_bench: cannot lay out the medium\n");
        return 1;
    }
    long long payloadBytes = 0;
    for (size_t i = 0; i < files.size(); i++) {
        WriteMediumFile(medium, files[i].name, PatternBytes(files[i].size, unsigned(i)));
        payloadBytes += files[i].size;
    }
    printf("payload: %u files, %lld bytes\n", unsigned(files.size()), payloadBytes);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = StepWindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "BenchSteps";
    RegisterClassA(&windowClass);
    HWND stepWindow = CreateWindowA("BenchSteps", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                    windowClass.hInstance, NULL);

    // Every run writes into a directory of its own: re-creating deleted files is much slower.
    std::vector<double> plain, floor, installer;
    SIZE_T peak = 0;
    int failed = 0;
    for (int round = 0; round < rounds && !failed; round++) {
        char suffix[32];
        wsprintfA(suffix, "%d", round);
        double seconds = CopyTree(medium.folder, medium.root + "\\plain" + suffix, files, NULL);
        plain.push_back(seconds);
        seconds = CopyTree(medium.folder, medium.root + "\\floor" + suffix, files, stepWindow);
        floor.push_back(seconds);
        InstallerRun run = {};
        if (RunInstaller(medium, medium.root + "\\installed" + suffix, &run) != 0)
            failed = 1;
        installer.push_back(run.copySeconds);
        peak = std::max(peak, run.peakWorkingSet);
        printf("round %d: plain %.3f s, floor %.3f s, installer copy phase %.3f s\n", round + 1,
               plain.back(), floor.back(), installer.back());
    }
    if (!failed) {
        double p = Median(plain), f = Median(floor), i = Median(installer);
        printf("median of %d rounds: plain %.3f s, floor %.3f s, installer %.3f s\n", rounds, p, f, i);
        printf("installer / plain copy: %.2f\n", i / p);
        printf("installer / floor:      %.2f (target 1.35 at most)\n", i / f);
        printf("installer peak working set: %lu KiB\n", (unsigned long)(peak / 1024));
    }
    RemoveMedium(&medium);
    if (!failed && strcmp(kind, "all") == 0 && BenchStartupScaling() != 0)
        failed = 1;
    return failed;
}
