// Every name that the setup program writes and the uninstaller finds again: registry keys and values, file names.
#pragma once

// Each is defined once, in product_names.cpp.

// Software\Microsoft\Windows\CurrentVersion, below HKEY_LOCAL_MACHINE.
extern const char kCurrentVersionKey[];
// The programs list: one key per installed application, named by its Application setting.
extern const char kUninstallKey[];
// The editor's entry in App Paths, and the same key as the uninstaller's report names it.
extern const char kAppPathsKey[];
extern const char kShownAppPathsKey[];
// The use count of each file in the Windows directory, by its full path.
extern const char kSharedFilesKey[];
// The current user's shell folders, and the two of them that hold shortcuts.
extern const char kShellFoldersKey[];
extern const char kUserShellFoldersKey[];
extern const char kProgramsFolderValue[];
extern const char kDesktopFolderValue[];
// The program files folder, a value of the CurrentVersion key.
// The CurrentVersion values that name the program folders, one after the other, each ended by
// a zero, and an empty name after the last; the first, "ProgramFilesDir", names the folder
// that a target is proposed in.
extern const char kProgramFolderValues[];

// The text-file type's commands, below HKEY_CLASSES_ROOT.
extern const char kTextFileType[];
extern const char kOpenCommandKey[];
extern const char kPrintCommandKey[];

// Values of an uninstall entry that the uninstaller reads back.
extern const char kInstallLocationValue[];
extern const char kUninstallStringValue[];
extern const char kDisplayVersionValue[];
// The SHA-256 of the script the installation ran, which vouches for its copy in the target.
extern const char kScriptHashValue[];

// The two programs the installer names whatever the script says: the editor in the target
// folder and the uninstaller in the Windows directory.
extern const char kEditorFileName[];
extern const char kUninstallerFileName[];

// The installation's copy of its setup script, in the target folder.
extern const char kScriptCopyName[];
enum { kScriptCopyNameLength = 9 };
