// App Paths, the uninstall entry and the default-editor registration.
#pragma once

// UM_REGISTER's work, up to the final report that the caller shows next, under the scope's
// roots (ScopeRoot, ScopeClassesRoot): writes the App Paths value and DisplayIcon (only when
// this run wrote <targetDir>\Quillor.exe: editorWritten), the uninstall values (with the
// uninstaller in the Windows directory, or for the current user in targetDir, and the
// folders the shortcuts went into), asks whether Quillor is to be the default text editor (owner
// mainWindow, caption caption). Yes: when this run wrote the editor, writes the txtfile
// open and print commands with the editor's path quoted, takes the Suffixes line of the
// Registration section into suffixList, runs the file types dialog and binds each listed
// suffix to txtfile; without it, writes none of them, shows message IDS_NO_EDITOR with the editor's
// path (caption className) and adds 1 to errorCount. No:
// quotes a bare final %1 of the txtfile commands. Registry failures are ignored and not
// counted.
void RegisterApplication(void);

// Reads this application's entry of the programs list: its InstallLocation into previousDir
// when that names an existing folder, and its DisplayVersion into previousVersion. Both stay
// empty without an entry.
void ReadPreviousInstallation(void);

// Nonzero when the application has an entry in the other scope's programs list (the machine's
// for a user's own run, the running user's for an all-users run); its InstallLocation (or the
// application's name without one) then goes into folder (kTextCapacity bytes).
int FindOtherScopeInstallation(char* folder);

// Nonzero when the script's Version is older than the installed previousVersion and the person
// does not answer Yes to replacing it (No is the default button); 0 without both versions.
int DeclineDowngrade(void);
