// Drives a running program through its windows, its controls and the questions it asks: message boxes and the setup program's dialogs.
#include "ui_driver.h"

#include <stdio.h>
#include <string.h>

#include "resources/resource_ids.h"

namespace {

// Bound of one cross-process message; a program that does not answer within it is hung.
const UINT kSendTimeoutMs = 5000;
// A description of the screen reads every control; a thread that serves no messages (a test
// thread stuck outside a modal loop) must not hold it up for long.
const UINT kDescribeTimeoutMs = 500;
const int kTextCapacity = 1024;
const int kClassCapacity = 256;

void ReportToStderr(const std::string& failure)
{
    fprintf(stderr, "ui driver: %s\n", failure.c_str());
}

DriverFailureReporter failureReporter = ReportToStderr;

std::string DescribeWindowsOf(const DrivenProgram& program);

void ReportFailure(const DrivenProgram& program, const std::string& what)
{
    failureReporter(what + "\nWindows of the program on screen:\n" + DescribeWindowsOf(program));
}

std::string ReadClassName(HWND window)
{
    char name[kClassCapacity] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// WM_GETTEXT, which the system carries across processes and threads, unlike GetWindowText on
// a control of another process.
std::string ReadText(HWND window, UINT timeoutMs)
{
    char text[kTextCapacity] = "";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text,
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &copied)) {
        return "";
    }
    text[sizeof text - 1] = '\0';
    return text;
}

int IsOfProgram(HWND window, const DrivenProgram& program)
{
    DWORD owner = 0;
    DWORD thread = GetWindowThreadProcessId(window, &owner);
    return owner == program.process.dwProcessId &&
           (program.onlyThread == 0 || thread == program.onlyThread);
}

int HasEnded(const DrivenProgram& program, DWORD* exitCode)
{
    if (!program.process.hProcess ||
        WaitForSingleObject(program.process.hProcess, 0) != WAIT_OBJECT_0) {
        return 0;
    }
    GetExitCodeProcess(program.process.hProcess, exitCode);
    return 1;
}

// How a poll ended.
enum PollEnd { kFound, kProgramEnded, kWatchStopped, kTimedOut };

// Calls look until it returns nonzero, the program ends, the watch stops or timeoutMs pass.
template <typename Look>
PollEnd PollFor(const DrivenProgram& program, DWORD timeoutMs, Look look)
{
    DWORD start = GetTickCount();
    DWORD exitCode = 0;
    for (;;) {
        if (look()) return kFound;
        if (program.stop && *program.stop) return kWatchStopped;
        if (HasEnded(program, &exitCode)) return kProgramEnded;
        if (GetTickCount() - start >= timeoutMs) return kTimedOut;
        Sleep(kPollMs);
    }
}

// Why a poll found nothing, for a report or a question's onScreen.
std::string DescribePollEnd(const DrivenProgram& program, PollEnd end, DWORD timeoutMs)
{
    DWORD exitCode = 0;
    switch (end) {
    case kProgramEnded:
        HasEnded(program, &exitCode);
        return "the program ended (exit code " + std::to_string(exitCode) + ")";
    case kWatchStopped:
        return "the watch stopped";
    default:
        return "timeout after " + std::to_string(timeoutMs) + " ms";
    }
}

struct WindowSearch {
    const DrivenProgram* program;
    const char* className;
    const char* title;
    const char* titlePart;
    int controlId;
    HWND found;
};

int MatchesSearch(HWND window, const WindowSearch& search)
{
    if (!IsOfProgram(window, *search.program) || !IsWindowVisible(window)) return 0;
    if (search.className && ReadClassName(window) != search.className) return 0;
    std::string title = ReadWindowTitle(window);
    if (search.title && title != search.title) return 0;
    if (search.titlePart && title.find(search.titlePart) == std::string::npos) return 0;
    if (search.controlId && !GetDlgItem(window, search.controlId)) return 0;
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
    std::string text = "a window";
    if (search.className) text += std::string(" of class \"") + search.className + "\"";
    if (search.title) text += std::string(" titled \"") + search.title + "\"";
    if (search.titlePart) text += std::string(" with \"") + search.titlePart + "\" in its title";
    if (search.controlId) text += " with control " + std::to_string(search.controlId);
    return text;
}

HWND WaitForSearch(const DrivenProgram& program, WindowSearch* search, DWORD timeoutMs)
{
    PollEnd end = PollFor(program, timeoutMs, [&] { return SearchWindows(search) != 0; });
    if (end == kFound) return search->found;
    if (end != kWatchStopped) {
        ReportFailure(program, DescribePollEnd(program, end, timeoutMs) + " while waiting for " +
                               DescribeSearch(*search));
    }
    return 0;
}

int IsEditControl(HWND control)
{
    return control && lstrcmpiA(ReadClassName(control).c_str(), "Edit") == 0;
}

QuestionKind KindOf(HWND window)
{
    if (!IsWindowVisible(window) || ReadClassName(window) != DIALOG_CLASS) return kNoQuestion;
    if (IsMessageBoxWindow(window)) return kMessageBoxQuestion;
    // Both dialogs keep their edit under the same id; the progress dialog has a bar there.
    if (!IsEditControl(GetDlgItem(window, IDC_DIRECTORY_EDIT))) return kNoQuestion;
    if (GetDlgItem(window, IDC_DIRECTORY_INSTALL)) return kDirectoryQuestion;
    if (GetDlgItem(window, IDYES) && GetDlgItem(window, IDNO)) return kFileTypesQuestion;
    return kNoQuestion;
}

struct QuestionSearch {
    const DrivenProgram* program;
    QuestionKind wanted;
    HWND box;
    HWND dialog;
};

BOOL CALLBACK SearchQuestion(HWND window, LPARAM param)
{
    QuestionSearch* search = (QuestionSearch*)param;
    if (!IsOfProgram(window, *search->program)) return TRUE;
    QuestionKind kind = KindOf(window);
    if (search->wanted != kNoQuestion && kind != search->wanted) return TRUE;
    if (kind == kMessageBoxQuestion) {
        search->box = window;
        return FALSE;
    }
    if (kind != kNoQuestion && !search->dialog) search->dialog = window;
    return TRUE;
}

BOOL CALLBACK FindIconControl(HWND control, LPARAM param)
{
    if ((GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return TRUE;
    DWORD_PTR icon = 0;
    SendMessageTimeoutA(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs,
                        &icon);
    *(HICON*)param = (HICON)icon;
    return FALSE;
}

// Reads the question that window asks. The window's own thread serves these requests from its
// modal loop.
void ReadQuestion(HWND window, Question* question)
{
    question->window = window;
    question->kind = KindOf(window);
    question->caption = ReadWindowTitle(window);
    question->icon = 0;
    question->onScreen.clear();
    if (question->kind == kMessageBoxQuestion) {
        question->text = ReadControlText(window, kMessageTextId);
        EnumChildWindows(window, FindIconControl, (LPARAM)&question->icon);
    } else {
        question->text = ReadControlText(window, IDC_DIRECTORY_EDIT);
    }
}

std::string KindName(QuestionKind kind)
{
    const char* names[] = {"message box or a dialog", "message box", "directory dialog",
                           "file types dialog"};
    return names[kind];
}

std::string DescribeQuestion(const Question& question)
{
    return KindName(question.kind) + " \"" + question.caption + "\": \"" + question.text + "\"";
}

// Polls for the next question of kind; fills onScreen when none came and reports a timeout.
PollEnd PollForQuestion(const DrivenProgram& program, Question* question, DWORD timeoutMs,
                        QuestionKind kind)
{
    *question = Question();
    PollEnd end =
        PollFor(program, timeoutMs, [&] { return FindQuestion(program, question, kind) == 0; });
    if (end == kFound) return end;
    question->onScreen = DescribePollEnd(program, end, timeoutMs);
    if (end == kTimedOut) {
        question->onScreen += "\n" + DescribeWindowsOf(program);
        ReportFailure(program, DescribePollEnd(program, end, timeoutMs) + " waiting for a " +
                               KindName(kind));
    }
    return end;
}

// Waits for the next message box, whatever dialog stays on screen meanwhile (one that a
// pressed button is about to close, for one). Returns 0, or -1 after reporting (but not when
// the watch stopped).
int WaitForMessageBoxQuestion(const DrivenProgram& program, Question* question, DWORD timeoutMs)
{
    PollEnd end = PollForQuestion(program, question, timeoutMs, kMessageBoxQuestion);
    if (end == kProgramEnded) {
        ReportFailure(program, question->onScreen + " while waiting for a message box");
    }
    return end == kFound ? 0 : -1;
}

// The button that dismisses a message box without going on: OK, else No, else Cancel.
int DismissingButton(const Question& box)
{
    return GetDlgItem(box.window, IDOK) ? IDOK : GetDlgItem(box.window, IDNO) ? IDNO : IDCANCEL;
}

struct ScreenDump {
    const DrivenProgram* program;
    std::string text;
};

BOOL CALLBACK DescribeChild(HWND child, LPARAM param)
{
    std::string* text = (std::string*)param;
    char line[64];
    snprintf(line, sizeof line, "    control %d ", GetDlgCtrlID(child));
    *text += line;
    *text += "\"" + ReadClassName(child) + "\" \"" + ReadText(child, kDescribeTimeoutMs) + "\"";
    if (!IsWindowVisible(child)) *text += " (hidden)";
    *text += "\n";
    return TRUE;
}

BOOL CALLBACK DescribeTopWindow(HWND window, LPARAM param)
{
    ScreenDump* dump = (ScreenDump*)param;
    if (!IsOfProgram(window, *dump->program)) return TRUE;
    char line[64];
    snprintf(line, sizeof line, "  window %p ", (void*)window);
    dump->text += line;
    dump->text += "class \"" + ReadClassName(window) + "\" title \"";
    dump->text += ReadWindowTitle(window) + "\"";
    if (!IsWindowVisible(window)) dump->text += " (hidden)";
    if (!IsWindowEnabled(window)) dump->text += " (disabled)";
    dump->text += "\n";
    EnumChildWindows(window, DescribeChild, (LPARAM)&dump->text);
    return TRUE;
}

std::string DescribeWindowsOf(const DrivenProgram& program)
{
    ScreenDump dump = {&program, ""};
    EnumWindows(DescribeTopWindow, (LPARAM)&dump);
    if (dump.text.empty()) dump.text = "  (none)\n";
    return dump.text;
}

}  // namespace

void SetDriverFailureReporter(DriverFailureReporter reporter)
{
    failureReporter = reporter ? reporter : ReportToStderr;
}

std::string DescribeScreen(DWORD processId)
{
    DrivenProgram program = {};
    program.process.dwProcessId = processId;
    return DescribeWindowsOf(program);
}

int StartProgram(const char* exePath, const char* workingDir, DrivenProgram* program)
{
    return StartProgramWithArguments(exePath, "", workingDir, program);
}

int StartProgramWithArguments(const char* exePath, const std::string& arguments,
                              const char* workingDir, DrivenProgram* program)
{
    std::string commandLine = std::string("\"") + exePath + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    return StartCommandLine(commandLine, workingDir, program);
}

int StartCommandLine(const std::string& commandLine, const char* workingDir,
                     DrivenProgram* program)
{
    memset(program, 0, sizeof *program);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    std::string writable = commandLine;
    if (!CreateProcessA(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, workingDir,
                        &startup, &program->process)) {
        failureReporter("cannot start " + commandLine + " in " +
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
    WindowSearch search = {&program, className, title, nullptr, controlId, 0};
    return SearchWindows(&search);
}

HWND WaitForWindow(const DrivenProgram& program, const char* className, const char* title,
                   int controlId, DWORD timeoutMs)
{
    WindowSearch search = {&program, className, title, nullptr, controlId, 0};
    return WaitForSearch(program, &search, timeoutMs);
}

HWND WaitForWindowTitledWith(const DrivenProgram& program, const char* titlePart, DWORD timeoutMs)
{
    WindowSearch search = {&program, nullptr, nullptr, titlePart, 0, 0};
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
            ReportFailure(program, line);
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

int FindQuestion(const DrivenProgram& program, Question* question, QuestionKind kind)
{
    QuestionSearch search = {&program, kind, 0, 0};
    EnumWindows(SearchQuestion, (LPARAM)&search);
    HWND window = search.box ? search.box : search.dialog;
    if (!window) return -1;
    ReadQuestion(window, question);
    return 0;
}

int NextQuestion(const DrivenProgram& program, Question* question, DWORD timeoutMs,
                 QuestionKind kind)
{
    return PollForQuestion(program, question, timeoutMs, kind) == kFound ? 0 : -1;
}

int AnswerQuestion(const DrivenProgram& program, const Question& question, int buttonId)
{
    if (PressButton(question.window, buttonId) != 0) return -1;
    return WaitForWindowGone(program, question.window, kMessageWaitMs);
}

HWND FindMessageBox(const DrivenProgram& program)
{
    Question question;
    return FindQuestion(program, &question, kMessageBoxQuestion) == 0 ? question.window : 0;
}

HWND WaitForMessageBox(const DrivenProgram& program, DWORD timeoutMs)
{
    Question question;
    return WaitForMessageBoxQuestion(program, &question, timeoutMs) == 0 ? question.window : 0;
}

std::string ReadControlText(HWND dialog, int controlId)
{
    HWND control = GetDlgItem(dialog, controlId);
    return control ? ReadText(control, kSendTimeoutMs) : "";
}

std::string ReadWindowTitle(HWND window)
{
    WCHAR wide[kTextCapacity] = L"";
    InternalGetWindowText(window, wide, kTextCapacity);
    char title[kTextCapacity * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, title, sizeof title, nullptr, nullptr);
    return title;
}

int SetControlText(HWND dialog, int controlId, const char* text)
{
    DrivenProgram owner = {};
    GetWindowThreadProcessId(dialog, &owner.process.dwProcessId);
    HWND control = GetDlgItem(dialog, controlId);
    DWORD_PTR result = 0;
    if (!control || !SendMessageTimeoutA(control, WM_SETTEXT, 0, (LPARAM)text,
                                         SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs, &result)) {
        ReportFailure(owner, "cannot set the text of control " + std::to_string(controlId));
        return -1;
    }
    return 0;
}

int PressButton(HWND dialog, int controlId)
{
    DrivenProgram owner = {};
    GetWindowThreadProcessId(dialog, &owner.process.dwProcessId);
    HWND button = GetDlgItem(dialog, controlId);
    if (!button) {
        ReportFailure(owner, "no button " + std::to_string(controlId) + " in window \"" +
                             ReadWindowTitle(dialog) + "\"");
        return -1;
    }
    // Posted rather than sent: the command may open a modal box or dialog inside its handler,
    // and the driver must be free to answer it.
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED), (LPARAM)button)) {
        ReportFailure(owner, "cannot press button " + std::to_string(controlId));
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
    if (PressButton(dialog, IDC_DIRECTORY_INSTALL) != 0) return -1;
    // Until the dialog has closed, so that the next question is never this dialog again, or
    // until it answers with a message box of its own.
    Question box;
    PollEnd end = PollFor(program, kMessageWaitMs, [&] {
        return !IsWindow(dialog) || !IsWindowVisible(dialog) ||
               FindQuestion(program, &box, kMessageBoxQuestion) == 0;
    });
    if (end != kTimedOut) return 0;
    ReportFailure(program, "the directory dialog stays after Install");
    return -1;
}

int AnswerMessageBox(const DrivenProgram& program, int buttonId, SeenMessageBox* seen,
                     DWORD timeoutMs)
{
    if (WaitForMessageBoxQuestion(program, seen, timeoutMs) != 0) return -1;
    return AnswerQuestion(program, *seen, buttonId);
}

int WaitForExit(const DrivenProgram& program, DWORD* exitCode, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    int result = 0;
    for (;;) {
        if (WaitForSingleObject(program.process.hProcess, kPollMs) == WAIT_OBJECT_0) break;
        // Only boxes: a dialog may still be on screen for a moment after its last button.
        Question box;
        if (FindQuestion(program, &box, kMessageBoxQuestion) == 0) {
            ReportFailure(program, "unexpected " + DescribeQuestion(box));
            result = -1;
            AnswerQuestion(program, box, DismissingButton(box));
        }
        if (GetTickCount() - start >= timeoutMs) {
            ReportFailure(program, "timeout after " + std::to_string(timeoutMs) +
                                   " ms waiting for the program to end");
            return -1;
        }
    }
    GetExitCodeProcess(program.process.hProcess, exitCode);
    return result;
}
