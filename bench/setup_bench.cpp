// Times the installer's copy phase against a plain chunked copy and against two floors of the
// same copy under one Wine: the bare one (one posted message per entry and per chunk) and the
// design's own (that, plus what the message loop and the modeless progress dialog need).
#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "medium.h"
#include "resources/resource_ids.h"
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

// Like the installer, tries the whole parent directory first: under Wine each attempt is a
// round trip to the server, and walking every prefix of every file would weigh down the copies
// that the installer is measured against.
void MakeParentDirectories(const std::string& path)
{
    std::string parent = path.substr(0, path.rfind('\\'));
    if (CreateDirectoryA(parent.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS)
        return;
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

// The floor's progress dialog: the installer's COPY template under a procedure that does only
// what the dialog must, drawing a percentage or a bar only when its value changes.
enum FloorDisplay { kFileText, kOverallText, kFileBar, kOverallBar, kDisplayCount };
const int kDisplayIds[kDisplayCount] = {IDC_COPY_FILE_TEXT, IDC_COPY_OVERALL_TEXT,
                                        IDC_COPY_FILE_BAR, IDC_COPY_OVERALL_BAR};

struct FloorDialog {
    HWND label;
    HWND displays[kDisplayCount];
    int shown[kDisplayCount];
    HBRUSH barBrush;
    const char* entry;
    long long fileCopied, fileSize, copied, total;
};
FloorDialog floorDialog;

int Percent(long long part, long long whole)
{
    return whole > 0 ? int(std::min(part, whole) * 100 / whole) : 0;
}

void ShowFloorDisplay(int display, int percent)
{
    if (floorDialog.shown[display] == percent)
        return;
    floorDialog.shown[display] = percent;
    HWND control = floorDialog.displays[display];
    if (display == kFileText || display == kOverallText) {
        char text[16];
        wsprintfA(text, "%d %%", percent);
        SetWindowTextA(control, text);
        return;
    }
    RECT client;
    GetClientRect(control, &client);
    int done = client.right * percent / 100;
    HDC dc = GetDC(control);
    if (dc != 0) {
        HGDIOBJ oldBrush = SelectObject(dc, floorDialog.barBrush);
        PatBlt(dc, 0, 0, done, client.bottom, PATCOPY);
        PatBlt(dc, done, 0, client.right - done, client.bottom, WHITENESS);
        SelectObject(dc, oldBrush);
        ReleaseDC(control, dc);
    }
}

INT_PTR CALLBACK FloorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    FloorDialog& d = floorDialog;
    switch (message) {
    case WM_INITDIALOG:
        d.label = GetDlgItem(dialog, IDC_COPY_LABEL);
        for (int display = 0; display < kDisplayCount; display++) {
            d.displays[display] = GetDlgItem(dialog, kDisplayIds[display]);
            d.shown[display] = -1;
        }
        return TRUE;
    case WM_PAINT:
        // Painting the dialog wipes what was drawn on the bars.
        d.shown[kFileBar] = d.shown[kOverallBar] = -1;
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == CMD_COPY_NEW_ENTRY) {
            SetWindowTextA(d.label, d.entry);
            ShowFloorDisplay(kFileText, 0);
            return TRUE;
        }
        if (LOWORD(wParam) == CMD_COPY_PROGRESS) {
            int filePercent = Percent(d.fileCopied, d.fileSize);
            ShowFloorDisplay(kFileBar, filePercent);
            ShowFloorDisplay(kFileText, filePercent);
            int overallPercent = Percent(d.copied, d.total);
            ShowFloorDisplay(kOverallBar, overallPercent);
            ShowFloorDisplay(kOverallText, overallPercent);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// How a copy run is paced: no window (a plain copy); a window (the bare floor: one posted
// message per step); a window and the floor's dialog (the design's floor).
struct Pacing {
    HWND window;
    HWND dialog;
};

// One step as the installer takes it: its message posted, then the loop serves the dialog's
// waiting messages first and dispatches until the step message has gone through.
void Step(const Pacing& pacing)
{
    if (pacing.window == 0)
        return;
    PostMessageA(pacing.window, kStepMessage, 0, 0);
    MSG message;
    for (;;) {
        while (pacing.dialog != 0 && PeekMessageA(&message, pacing.dialog, 0, 0, PM_REMOVE))
            IsDialogMessageA(pacing.dialog, &message);
        if (GetMessageA(&message, NULL, 0, 0) <= 0)
            return;
        if (pacing.dialog != 0 && IsDialogMessageA(pacing.dialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (message.message == kStepMessage)
            return;
    }
}

void Notify(const Pacing& pacing, WPARAM command)
{
    if (pacing.dialog != 0)
        SendMessageA(pacing.dialog, WM_COMMAND, command, 0);
}

// Copies every payload file in 8192-byte chunks with its time stamps, paced as asked: one step
// per entry and per chunk, the dialog told of each entry and of each chunk's progress. Returns
// the seconds taken, or -1.
double CopyTree(const std::string& from, const std::string& to, const std::vector<PayloadFile>& files,
                const Pacing& pacing)
{
    static char buffer[kChunk];
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    floorDialog.copied = 0;
    for (const PayloadFile& file : files) {
        Step(pacing);
        floorDialog.entry = file.name.c_str();
        Notify(pacing, CMD_COPY_NEW_ENTRY);
        std::string source = from + "\\" + file.name;
        std::string dest = to + "\\" + file.name;
        MakeParentDirectories(dest);
        HANDLE in = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        HANDLE out = CreateFileA(dest.c_str(), GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                                 FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE)
            return -1;
        floorDialog.fileCopied = 0;
        floorDialog.fileSize = file.size;
        Notify(pacing, CMD_COPY_PROGRESS);
        DWORD got = 0;
        do {
            Step(pacing);
            DWORD written = 0;
            if (!ReadFile(in, buffer, kChunk, &got, NULL))
                return -1;
            if (got > 0 && (!WriteFile(out, buffer, got, &written, NULL) || written != got))
                return -1;
            if (got > 0) {
                floorDialog.fileCopied += got;
                floorDialog.copied += got;
                Notify(pacing, CMD_COPY_PROGRESS);
            }
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

// A copy of medium (script and payload) whose script gets its [Checksums] section from
// infcheck.exe, which lies beside the benchmark. 0 or -1.
int LayOutCheckedMedium(const Medium& medium, const std::string& script, Medium* checked)
{
    if (CreateMedium("bench-checked", script, checked) != 0 ||
        ::CopyTree(medium.folder, checked->folder) != 0)
        return -1;
    DrivenProgram program = {};
    DWORD status = 999;
    // Through the command processor, which sends the checker's long report nowhere.
    std::string command = "/c \"\"" + ProgramFolder() + "\\infcheck.exe\" --write-checksums "
                          "SETUP.INF >NUL\"";
    if (StartProgramWithArguments((WindowsFolder() + "\\system32\\cmd.exe").c_str(), command,
                                  checked->folder.c_str(), &program) != 0)
        return -1;
    int ended = WaitForExit(program, &status, 600000);
    CloseProgram(&program);
    return ended == 0 && status <= 1 ? 0 : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? atoi(argv[1]) : 3;
    if (rounds < 1)
        rounds = 1;
    const char* kind = argc > 2 ? argv[2] : "all";
    // A work folder given (run-bench gives one on tmpfs) holds the medium and every copy.
    if (argc > 3)
        SetEnvironmentVariableA("TMP", argv[3]);
    std::vector<PayloadFile> files = PayloadList(kind);

    std::string script = "[Install]\r\nApplication=Bench\r\nCaption=Bench\r\n[Files]\r\n";
    for (const PayloadFile& file : files)
        script += "File=" + file.name + "\r\n";
    // As a real medium does, the installation keeps its script: a reinstall reads and checks it.
    script += "Script=SETUP.INF\r\n";
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
    // The same medium with a [Checksums] section, written by the packager's checker.
    Medium checkedMedium;
    if (LayOutCheckedMedium(medium, script, &checkedMedium) != 0) {
        fprintf(stderr, "setup_bench: cannot lay out the medium with a [Checksums] section\n");
        RemoveMedium(&medium);
        return 1;
    }

    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = StepWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "BenchSteps";
    RegisterClassA(&windowClass);
    // A shown top-level window, like the installer's main window, owns the floor's dialog.
    HWND stepWindow = CreateWindowA("BenchSteps", "Bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                    320, 200, NULL, NULL, instance, NULL);
    floorDialog.barBrush = CreateSolidBrush(RGB(0, 0, 255));
    floorDialog.total = payloadBytes;

    // Every run writes into a directory of its own: re-creating deleted files is much slower.
    std::vector<double> plain, bare, floor, installer, reinstall, checked;
    SIZE_T peak = 0;
    int failed = 0;
    for (int round = 0; round < rounds && !failed; round++) {
        char suffix[32];
        wsprintfA(suffix, "%d", round);
        Pacing pacing = {};
        plain.push_back(CopyTree(medium.folder, medium.root + "\\plain" + suffix, files, pacing));
        pacing.window = stepWindow;
        bare.push_back(CopyTree(medium.folder, medium.root + "\\bare" + suffix, files, pacing));
        pacing.dialog = CreateDialogParamA(instance, "Copy", stepWindow, FloorDialogProc, 0);
        if (pacing.dialog == 0) {
            fprintf(stderr, "setup_bench: cannot open the COPY dialog\n");
            failed = 1;
            break;
        }
        UpdateWindow(pacing.dialog);
        floor.push_back(CopyTree(medium.folder, medium.root + "\\floor" + suffix, files, pacing));
        DestroyWindow(pacing.dialog);
        InstallerRun run = {};
        if (RunInstaller(medium, medium.root + "\\installed" + suffix, &run) != 0)
            failed = 1;
        installer.push_back(run.copySeconds);
        peak = std::max(peak, run.peakWorkingSet);
        // The same installation again over itself: every file is set aside and replaced.
        InstallerRun again = {};
        if (!failed && RunInstaller(medium, medium.root + "\\installed" + suffix, &again) != 0)
            failed = 1;
        reinstall.push_back(again.copySeconds);
        InstallerRun checkedRun = {};
        if (!failed &&
            RunInstaller(checkedMedium, medium.root + "\\checked" + suffix, &checkedRun) != 0)
            failed = 1;
        checked.push_back(checkedRun.copySeconds);
        printf("round %d: plain %.3f s, bare floor %.3f s, floor %.3f s, installer copy phase %.3f s, "
               "reinstall %.3f s, with [Checksums] %.3f s\n",
               round + 1, plain.back(), bare.back(), floor.back(), installer.back(),
               reinstall.back(), checked.back());
    }
    if (!failed) {
        double p = Median(plain), b = Median(bare), f = Median(floor), i = Median(installer);
        printf("median of %d rounds: plain %.3f s, bare floor %.3f s, floor %.3f s, installer %.3f s\n",
               rounds, p, b, f, i);
        printf("installer / plain copy: %.2f\n", i / p);
        printf("installer / floor:      %.2f (the design's floor: message loop and progress dialog)\n",
               i / f);
        printf("installer / bare floor: %.2f (one posted message per step; target 1.35 at most)\n",
               i / b);
        printf("reinstall / installer:  %.2f (over an existing installation; target 1.10 at most)\n",
               Median(reinstall) / i);
        printf("with [Checksums] / installer: %.2f (each file's SHA-256 from its chunks; target "
               "1.05 at most)\n", Median(checked) / i);
        printf("installer peak working set: %lu KiB\n", (unsigned long)(peak / 1024));
    }
    long long setupSize = ReadFileSizeOnDisk(ProgramFolder() + "\\SETUP.EXE");
    long long helloSize = ReadFileSizeOnDisk(ProgramFolder() + "\\hello.exe");
    printf("SETUP.EXE: %lld bytes (at most 49152); a plain hello window program built the same "
           "way: %lld bytes\n", setupSize, helloSize);
    DeleteObject(floorDialog.barBrush);
    RemoveMedium(&medium);
    RemoveMedium(&checkedMedium);
    if (!failed && strcmp(kind, "all") == 0 && BenchStartupScaling() != 0)
        failed = 1;
    return failed;
}
