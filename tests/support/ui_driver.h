// Drives a running program through its windows, its controls and the questions it asks: message boxes and the setup program's dialogs.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

// Bounds of every wait, in milliseconds, and the polling interval.
enum : DWORD {
    kWindowWaitMs = 30000,
    kExitWaitMs = 30000,
    kMessageWaitMs = 5000,
    kPollMs = 10,
};

// Class name of dialogs and message boxes.
#define DIALOG_CLASS "#32770"

// Id of a message box's text control.
enum { kMessageTextId = 0xFFFF };

// The windows the driver looks at: those of a program it started (CloseProgram releases it),
// or, for code under test in this process, those of one thread (see WatchedThread).
struct DrivenProgram {
    PROCESS_INFORMATION process;
    DWORD onlyThread;                 // when nonzero, only this thread's windows count
    const std::atomic<int>* stop;     // when set, every wait gives up at once, unreported
};

// What a question is: a message box, or one of the setup program's dialogs that wait for an
// answer (the progress dialog asks nothing).
enum QuestionKind {
    kNoQuestion,
    kMessageBoxQuestion,
    kDirectoryQuestion,   // the target directory dialog: Install or Cancel
    kFileTypesQuestion,   // the file types dialog: Yes or No
};

// One question as it was shown.
struct Question {
    HWND window = 0;              // 0 when none came
    QuestionKind kind = kNoQuestion;
    std::string caption;
    std::string text;             // a message box's text, or a dialog's edit text
    HICON icon = 0;               // a message box's icon
    std::string onScreen;         // when none came: why, and what was on screen
};

// A message box is a question of the kind kMessageBoxQuestion.
typedef Question SeenMessageBox;

// Receives every failure of the driver: a timeout with a description of the program's windows,
// a missing control, a program that did not start. The default reporter writes to stderr.
typedef void (*DriverFailureReporter)(const std::string& failure);
void SetDriverFailureReporter(DriverFailureReporter reporter);

// Starts exePath with workingDir as its current directory (nullptr: ours). Returns 0, or -1
// after reporting.
int StartProgram(const char* exePath, const char* workingDir, DrivenProgram* program);

// Like StartProgram, with arguments after the quoted program path on its command line.
int StartProgramWithArguments(const char* exePath, const std::string& arguments,
                              const char* workingDir, DrivenProgram* program);

// Starts a whole command line as the system starts a registered command (UninstallString): the
// program is what the command line names first. Returns 0, or -1 after reporting.
int StartCommandLine(const std::string& commandLine, const char* workingDir,
                     DrivenProgram* program);

// Ends the program if it still runs (by its own handle) and closes its handles. Safe to call twice.
void CloseProgram(DrivenProgram* program);

// The visible top-level window of the program whose class is className and whose title is
// title (nullptr: any title), and which has a child with id controlId (0: no such condition).
// Returns it, or 0 when there is none right now.
HWND FindProgramWindow(const DrivenProgram& program, const char* className, const char* title,
                       int controlId);

// Like FindProgramWindow, but polls until the window shows up. Returns 0 after reporting a timeout.
HWND WaitForWindow(const DrivenProgram& program, const char* className, const char* title,
                   int controlId, DWORD timeoutMs = kWindowWaitMs);

// Polls until the program shows a visible top-level window whose title holds titlePart.
// Returns it, or 0 after reporting.
HWND WaitForWindowTitledWith(const DrivenProgram& program, const char* titlePart,
                             DWORD timeoutMs = kWindowWaitMs);

// Polls until window is destroyed or hidden. Returns 0, or -1 after reporting a timeout.
int WaitForWindowGone(const DrivenProgram& program, HWND window, DWORD timeoutMs = kWindowWaitMs);

// Nonzero when window is a message box: a dialog with a text control 0xFFFF and none of the
// setup program's own dialog controls (ids 256 to 261).
int IsMessageBoxWindow(HWND window);

// The question of kind (kNoQuestion: of any kind) that the program shows right now, message
// boxes first (a box stands over the dialog it interrupts). Returns 0 with it in question, or
// -1 when it asks nothing.
int FindQuestion(const DrivenProgram& program, Question* question,
                 QuestionKind kind = kNoQuestion);

// Polls until the program asks its next question of kind (kNoQuestion: of any kind) and returns
// it unanswered. Returns 0, or -1 when none came: the program ended or the watch stopped
// (question->onScreen says which), or the bound passed (reported).
int NextQuestion(const DrivenProgram& program, Question* question, DWORD timeoutMs = kWindowWaitMs,
                 QuestionKind kind = kNoQuestion);

// Presses buttonId in the question's window and waits until it has closed. 0, or -1 after
// reporting.
int AnswerQuestion(const DrivenProgram& program, const Question& question, int buttonId);

// The visible message box of the program, or 0.
HWND FindMessageBox(const DrivenProgram& program);

// Polls until the program shows a message box and returns it, unanswered; 0 after reporting
// (also when the program ends first).
HWND WaitForMessageBox(const DrivenProgram& program, DWORD timeoutMs = kWindowWaitMs);

// The text of a control of a dialog of this or another process (read with WM_GETTEXT), or ""
// on failure.
std::string ReadControlText(HWND dialog, int controlId);

// The title of a window, read without sending it a message.
std::string ReadWindowTitle(HWND window);

// Sets the text of a control. Returns 0, or -1 after reporting.
int SetControlText(HWND dialog, int controlId, const char* text);

// Presses the button controlId of dialog: sends it the command that a click sends. Returns 0,
// or -1 after reporting (no such control, or the program did not take the command).
int PressButton(HWND dialog, int controlId);

// Nonzero when dialog has a visible control controlId (a message box keeps the buttons that
// its type does not ask for, hidden).
int HasVisibleButton(HWND dialog, int controlId);

// Waits for the target directory dialog titled caption, types target into its edit, presses
// Install and waits until the dialog has closed (or shows a message box). Returns 0, or -1
// after reporting.
int ChooseTargetDirectory(const DrivenProgram& program, const char* caption, const char* target);

// Waits for the next message box, stores it into seen, presses buttonId (IDOK, IDCANCEL, IDYES,
// IDNO) and waits until the box has closed. Returns 0, or -1 after reporting. seen is filled
// even when the button does not exist.
int AnswerMessageBox(const DrivenProgram& program, int buttonId, SeenMessageBox* seen,
                     DWORD timeoutMs = kWindowWaitMs);

// Waits until the program ends and stores its exit code. A message box that shows up meanwhile
// is a failure: it is reported with its text and dismissed. Returns 0, or -1 after reporting.
int WaitForExit(const DrivenProgram& program, DWORD* exitCode, DWORD timeoutMs = kExitWaitMs);

// Every top-level window of the process, with class, title, visibility and its controls' ids,
// classes and texts, one per line.
std::string DescribeScreen(DWORD processId);
