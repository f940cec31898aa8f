// The one process-wide record of settings, paths, handles, counters and flags.
#pragma once

#include <windows.h>

#include "base/capacities.h"
#include "base/exit_statuses.h"
#include "base/product_names.h"
#include "base/script_hash.h"

// Who is at the screen, as the command line says.
enum RunMode {
    kRunWithWindows,     // no switch: every dialog and box
    kRunPassive,         // the background and the progress dialog only; no question, no box
    kRunWithoutWindow,   // no window at all
};

// Whether the destination in hand was created by this copy, and over what.
enum DestCreated {
    kDestNotCreated,   // nothing created (yet)
    kDestNew,          // created where nothing was
    kDestOverOlder,    // created in place of an older file, which was set aside
};

// How many destination folders the copy remembers as made and checked (a power of two: the
// ring's next slot is kept by masking).
enum { kEnteredFolders = 32 };
static_assert((kEnteredFolders & (kEnteredFolders - 1)) == 0 && kEnteredFolders > 0,
              "kEnteredFolders is a power of two");

struct SetupState {
    // Handles and windows.
    HINSTANCE instance;
    HWND mainWindow;
    HWND progressDialog;        // the modeless COPY dialog while files are copied, else 0
    HBITMAP backgroundBitmap;   // the tiled background picture, or 0
    HBRUSH barBrush;            // pure blue, the done part of a progress bar
    HBRUSH grayBrush;           // light grey, the shade after the done part
    // The progress dialog's label and four percentage displays (file text, overall text, file
    // bar, overall bar), looked up once, and the percentage each display shows (-1: none yet).
    HWND progressLabel;
    HWND progressDisplays[4];
    int progressShown[4];
    int clientWidth;            // client size from the last WM_SIZE, each 0 to 65535
    int clientHeight;

    // The loaded setup script and the entry being read.
    HGLOBAL scriptMemory;
    const char* scriptText;
    int cursor;                 // byte offset of the current line in scriptText
    int lineLength;             // length of the line last parsed by the Files and Group walks
    int keyLength;
    const char* valueStart;     // value of the current entry; the shortcut step's field cursor
    int valueLength;
    char entryKey[kTextCapacity];
    char entryValue[kTextCapacity];

    // Names and texts from the string table.
    char className[kNameCapacity];
    char directoryPrompt[kTextCapacity];
    char sizeFormat[kTextCapacity];
    char filesSection[kNameCapacity];
    char checksumsSection[kNameCapacity];
    char groupSection[kNameCapacity];
    char installSection[kNameCapacity];
    char registrationSection[kNameCapacity];
    char applicationKey[kNameCapacity];
    char bitmapKey[kNameCapacity];
    char captionKey[kNameCapacity];
    char directoryKey[kNameCapacity];
    char suffixesKey[kNameCapacity];
    char publisherKey[kNameCapacity];
    char versionKey[kNameCapacity];

    // Settings and paths.
    char bitmapFile[kTextCapacity];
    char applicationName[kTextCapacity];
    char caption[kTextCapacity];
    char targetDir[kTextCapacity];
    char publisher[kTextCapacity];   // shown in the programs list; empty when not set
    char version[kTextCapacity];
    // The folder and version of this application's entry in the programs list, when it names
    // an existing folder (empty otherwise): the proposal, and the version to compare with.
    char previousDir[kTextCapacity];
    char previousVersion[kTextCapacity];
    // The script of the installation that this run replaces in its folder, read from its
    // trusted copy there before the copy starts; 0 without one.
    const char* previousScript;
    char suffixList[kTextCapacity];
    char bitmapPath[kTextCapacity];
    char modulePath[kPathCapacity];   // the program's path, then the script's, then a source's
    int driveLength;
    int dirLength;                    // just after the last backslash of the program's path
    int extPosition;
    char destPath[kPathCapacity];
    char programsFolder[kTextCapacity];
    char desktopFolder[kTextCapacity];
    char groupFolder[kTextCapacity];

    // Copying state and counters. Byte counts are 64-bit so that large payloads neither wrap
    // into negative sizes nor into wrong percentages.
    HANDLE sourceFile;
    HANDLE destFile;
    DestCreated destCreated;    // whether the destination in hand was created by this copy
    int editorInHand;           // the destination in hand is <targetDir>\Quillor.exe
    int editorWritten;          // this run wrote <targetDir>\Quillor.exe whole
    // The destination folders last made and checked (a ring, nextEntered its next slot).
    char enteredFolders[kEnteredFolders][kPathCapacity];
    int nextEntered;
    int bytesRead;
    long long fileSize;
    long long fileCopied;
    long long totalBytes;
    long long copiedBytes;
    int noPendingDeletion;      // the system's list of operations at the next restart held no
                                // deletion when it was last read
    int cancelled;              // Cancel in the progress dialog, or the main window closed
    int abandoned;              // Cancel in the box of a destination that cannot be created
    int underWay;               // from the start of the copy to the final report: an end
                                // before the report is undone
    int errorCount;
    // The medium's check against the script's [Checksums] section.
    int checksumsCursor;        // offset of the section's first entry line; 0: no section
    int checksumsNext;          // where the next look-up in it starts (after the last found)
    char scriptPath[kPathCapacity];   // the script, which is never listed in its own section
    RunningHash sourceHash;     // of the source being copied, while it is checked
    unsigned char expectedDigest[32];
    int damagedCount;           // sources found to differ from their entries
    char damagedFile[kPathCapacity];  // the first of them
    ExitStatus exitStatus;      // how the run ends, set before the window exists

    // The command line's switches.
    RunMode runMode;
    int targetGiven;            // targetDir came from the command line
    int registerAsked;          // a quiet run answers Yes to the default-editor question
    int verifyOnly;             // /VERIFY: the medium is checked, nothing is installed
    int allowDowngrade;         // /ALLOWDOWNGRADE: a run without questions replaces a newer
                                // version too
    char registerSuffixes[kTextCapacity];   // the suffixes given with it, or empty
    char logPath[kPathCapacity];            // where the log goes, or empty: the temp folder
    char workBuffer[kWorkCapacity];
};

// The one instance, zero-initialised before start-up.
extern SetupState setupState;

// setupState.totalBytes in units of 1024 bytes, rounded up, and at most limit.
DWORD TotalKilobytes(DWORD limit);

