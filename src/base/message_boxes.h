// Message boxes whose texts come from the string table, and dialog placement.
#pragma once

#include <windows.h>

// The answer a box takes when nobody is there: 0 stands for the one that keeps the run going,
// OK for boxes with OK (OK and Cancel: skip and go on), No for questions.
enum { kAnswerByType = 0 };

// The one place that knows whether anyone is there: shows text in a message box, or in a
// quiet run (runLog.quiet) takes silentAnswer (kAnswerByType: by the box's buttons) without
// waiting. Logs the text, the Windows error in hand for failure boxes, and the answer.
int AskOrAnswer(HWND owner, const char* text, const char* caption, UINT type, int silentAnswer);

// Shows string `id` in a message box through AskOrAnswer; returns the button pressed.
int ShowStringMessage(HINSTANCE instance, const char* caption, HWND owner, UINT id, UINT type,
                      int silentAnswer = kAnswerByType);

// Shows string `id` formatted with one "%s" argument (a null argument counts as empty), cut
// so that the text stays within 511 characters, through AskOrAnswer; returns the button pressed.
int ShowFormattedMessage(HINSTANCE instance, const char* caption, HWND owner, UINT id,
                         const char* argument, UINT type, int silentAnswer = kAnswerByType);

// Centres the dialog over the parent, kept on the screen.
void CenterDialog(HWND parent, HWND dialog);

// Sets the text of the dialog's control id.
void SetDialogText(HWND dialog, int id, const char* text);

// Limits the dialog's edit field id to capacity characters, then sets its text.
void SetEditField(HWND dialog, int id, int capacity, const char* text);
