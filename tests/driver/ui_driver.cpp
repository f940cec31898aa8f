// Drives a running setup program through its windows, its controls and its message boxes.
#include "ui_driver.h"

#include <stdio.h>
#include <string.h>

#include "resources/resource_ids.h"

namespace {

// Bound of one cross-process message; a program that does not answer within it is hung.
const UINT kSendTimeoutMs = 5000;
const int kTextCapacity = 1024;

void ReportToStderr(const std::string& failure)
{
    fprintf(stderr, "ui driver: %s\n", failure.c_str());
}

DriverFailureReporter failureReporter = ReportToStderr;

void ReportFailure(DWORD processId, const std::string& what)
{
    std::string failure = what;
    failure += "\nWindows of the program on screen:\n";
    failure += DescribeScreen(processId);
    failureReporter(failure);
}

std::string ReadClassName(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// WM_GETTEXT, which the system carries across processes, unlike GetWindowText on a control.
std::string ReadText(HWND window)
{
    char text[kTextCapacity] = "";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text,
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs, &copied)) {
        return "";
    }
    text[sizeof text - 1] = '\0';
    return text;
}

struct WindowSearch {
    DWORD processId;
    const char* className;
    const char* title;
    int controlId;
    int messageBoxOnly;
    HWND found;
};

int MatchesSearch(HWND window, const WindowSearch& search)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window)) return 0;
    if (search.className && ReadClassName(window) != search.className) return 0;
    if (search.title && ReadWindowTitle(window) != search.title) return 0;
    if (search.controlId && !GetDlgItem(window, search.controlId)) return 0;
    if (search.messageBoxOnly && !IsMessageBoxWindow(window)) return 0;
    return 1;
}

BOOL CALLBACK SearchTopWindow(HWND window, LPARAM param)
{
    WindowSearch* search = (WindowSearch*)param;
    if (!MatchesSearch(window, *search)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND SearchWindows(WindowSearch* search)
{
    search->found = 0;
    EnumWindows(SearchTopWindow, (LPARAM)search);
    return search->found;
}

std::string DescribeSearch(const WindowSearch& search)
{
    std::string text = search.messageBoxOnly ? "a message box" : "a window";
    if (search.className) text += std::string(" of class \"") + search.className + "\"";
    if (search.title) text += std::string(" titled \"") + search.title + "\"";
    if (search.controlId) text += " with control " + std::to_string(search.controlId);
    return text;
}

HWND WaitForSearch(const DrivenProgram& program, WindowSearch* search, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = SearchWindows(search);
        if (window) return window;
        if (WaitForSingleObject(program.process.hProcess, 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(program.process.hProcess, &code);
            ReportFailure(search->processId, "the program ended (exit code " +
                          std::to_string(code) + ") while waiting for " + DescribeSearch(*search));
            return 0;
        }
        if (GetTickCount() - start >= timeoutMs) {
            ReportFailure(search->processId, "timeout after " + std::to_string(timeoutMs) +
                          " ms waiting for " + DescribeSearch(*search));
            return 0;
        }
        Sleep(kPollMs);
    }
}

struct ScreenDump {
    std::string text;
};

BOOL CALLBACK DescribeChild(HWND child, LPARAM param)
{
    ScreenDump* dump = (ScreenDump*)param;
    char line[64];
    snprintf(line, sizeof line, "    control %d ", GetDlgCtrlID(child));
    dump->text += line;
    dump->text += "\"" + ReadClassName(child) + "\" \"" + ReadText(child) + "\"";
    if (!IsWindowVisible(child)) dump->text += " (hidden)";
    dump->text += "\n";
    return TRUE;
}

struct TopWindowDump {
    DWORD processId;
    std::string text;
};

BOOL CALLBACK DescribeTopWindow(HWND window, LPARAM param)
{
    TopWindowDump* dump = (TopWindowDump*)param;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != dump->processId) return TRUE;
    char line[64];
    snprintf(line, sizeof line, "  window %p ", (void*)window);
    dump->text += line;
    dump->text += "class \"" + ReadClassName(window) + "\" title \"";
    dump->text += ReadWindowTitle(window) + "\"";
    if (!IsWindowVisible(window)) dump->text += " (hidden)";
    if (!IsWindowEnabled(window)) dump->text += " (disabled)";
    dump->text += "\n";
    ScreenDump children;
    EnumChildWindows(window, DescribeChild, (LPARAM)&children);
    dump->text += children.text;
    return TRUE;
}

}  // namespace

void SetDriverFailureReporter(DriverFailureReporter reporter)
{
    failureReporter = reporter ? reporter : ReportToStderr;
}

std::string DescribeScreen(DWORD processId)
{
    TopWindowDump dump;
    dump.processId = processId;
    EnumWindows(DescribeTopWindow, (LPARAM)&dump);
    if (dump.text.empty()) dump.text = "  (none)\n";
    return dump.text;
}

int StartProgram(const char* exePath, const char* workingDir, DrivenProgram* program)
{
    memset(program, 0, sizeof *program);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    std::string commandLine = std::string("\"") + exePath + "\"";
    if (!CreateProcessA(exePath, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, workingDir,
                        &startup, &program->process)) {
        failureReporter(std::string("cannot start ") + exePath + " in " +
                        (workingDir ? workingDir : "(current directory)") + ", error " +
                        std::to_string(GetLastError()));
        memset(program, 0, sizeof *program);
        return -1;
    }
    return 0;
}

void CloseProgram(DrivenProgram* program)
{
    if (program->process.hProcess) {
        if (WaitForSingleObject(program->process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(program->process.hProcess, 99);
            WaitForSingleObject(program->process.hProcess, kExitWaitMs);
        }
        CloseHandle(program->process.hProcess);
    }
    if (program->process.hThread) CloseHandle(program->process.hThread);
    memset(program, 0, sizeof *program);
}

HWND FindProgramWindow(const DrivenProgram& program, const char* className, const char* title,
                       int controlId)
{
    WindowSearch search = {program.process.dwProcessId, className, title, controlId, 0, 0};
    return SearchWindows(&search);
}

HWND WaitForWindow(const DrivenProgram& program, const char* className, const char* title,
                   int controlId, DWORD timeoutMs)
{
    WindowSearch search = {program.process.dwProcessId, className, title, controlId, 0, 0};
    return WaitForSearch(program, &search, timeoutMs);
}

int WaitForWindowGone(const DrivenProgram& program, HWND window, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start >= timeoutMs) {
            char line[96];
            snprintf(line, sizeof line, "timeout after %lu ms waiting for window %p to close",
                     (unsigned long)timeoutMs, (void*)window);
            ReportFailure(program.process.dwProcessId, line);
            return -1;
        }
        Sleep(kPollMs);
    }
    return 0;
}

int IsMessageBoxWindow(HWND window)
{
    if (ReadClassName(window) != DIALOG_CLASS) return 0;
    HWND text = GetDlgItem(window, kMessageTextId);
    if (!text || (GetWindowLongA(text, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return 0;
    for (int id = 256; id <= 261; id++) {
        if (GetDlgItem(window, id)) return 0;
    }
    return 1;
}

HWND FindMessageBox(const DrivenProgram& program)
{
    WindowSearch search = {program.process.dwProcessId, DIALOG_CLASS, nullptr, 0, 1, 0};
    return SearchWindows(&search);
}

HWND WaitForMessageBox(const DrivenProgram& program, DWORD timeoutMs)
{
    WindowSearch search = {program.process.dwProcessId, DIALOG_CLASS, nullptr, 0, 1, 0};
    return WaitForSearch(program, &search, timeoutMs);
}

std::string ReadControlText(HWND dialog, int controlId)
{
    HWND control = GetDlgItem(dialog, controlId);
    return control ? ReadText(control) : "";
}

std::string ReadWindowTitle(HWND window)
{
    char title[kTextCapacity] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

int SetControlText(HWND dialog, int controlId, const char* text)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(dialog, &processId);
    HWND control = GetDlgItem(dialog, controlId);
    DWORD_PTR result = 0;
    if (!control || !SendMessageTimeoutA(control, WM_SETTEXT, 0, (LPARAM)text,
                                         SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs, &result)) {
        ReportFailure(processId, "cannot set the text of control " + std::to_string(controlId));
        return -1;
    }
    return 0;
}

int PressButton(HWND dialog, int controlId)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(dialog, &processId);
    HWND button = GetDlgItem(dialog, controlId);
    if (!button) {
        ReportFailure(processId, "no button " + std::to_string(controlId) + " in window \"" +
                      ReadWindowTitle(dialog) + "\"");
        return -1;
    }
    // Posted rather than sent: the command may open a modal box or dialog inside its handler,
    // and the driver must be free to answer it.
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED), (LPARAM)button)) {
        ReportFailure(processId, "cannot press button " + std::to_string(controlId));
        return -1;
    }
    return 0;
}

int HasVisibleButton(HWND dialog, int controlId)
{
    HWND button = GetDlgItem(dialog, controlId);
    return button != 0 && IsWindowVisible(button);
}

int ChooseTargetDirectory(const DrivenProgram& program, const char* caption, const char* target)
{
    HWND dialog = WaitForWindow(program, DIALOG_CLASS, caption, IDC_DIRECTORY_EDIT);
    if (!dialog || SetControlText(dialog, IDC_DIRECTORY_EDIT, target) != 0) return -1;
    return PressButton(dialog, IDC_DIRECTORY_INSTALL);
}

int AnswerMessageBox(const DrivenProgram& program, int buttonId, SeenMessageBox* seen,
                     DWORD timeoutMs)
{
    seen->caption.clear();
    seen->text.clear();
    HWND box = WaitForMessageBox(program, timeoutMs);
    if (!box) return -1;
    seen->caption = ReadWindowTitle(box);
    seen->text = ReadControlText(box, kMessageTextId);
    if (PressButton(box, buttonId) != 0) return -1;
    return WaitForWindowGone(program, box, kMessageWaitMs);
}

int WaitForExit(const DrivenProgram& program, DWORD* exitCode, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    int result = 0;
    for (;;) {
        if (WaitForSingleObject(program.process.hProcess, kPollMs) == WAIT_OBJECT_0) break;
        HWND box = FindMessageBox(program);
        if (box) {
            std::string seen = "unexpected message box \"" + ReadWindowTitle(box) + "\": \"" +
                               ReadControlText(box, kMessageTextId) + "\"";
            ReportFailure(program.process.dwProcessId, seen);
            result = -1;
            int button = GetDlgItem(box, IDOK) ? IDOK : GetDlgItem(box, IDNO) ? IDNO : IDCANCEL;
            PressButton(box, button);
            WaitForWindowGone(program, box, kMessageWaitMs);
        }
        if (GetTickCount() - start >= timeoutMs) {
            ReportFailure(program.process.dwProcessId, "timeout after " +
                          std::to_string(timeoutMs) + " ms waiting for the program to end");
            return -1;
        }
    }
    GetExitCodeProcess(program.process.hProcess, exitCode);
    return result;
}
