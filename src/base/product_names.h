// Every name that the setup program writes and the uninstaller finds again: registry keys and values, file names.
#pragma once

// Each is defined once, in product_names.cpp.

// Software\Microsoft\Windows\CurrentVersion, below HKEY_LOCAL_MACHINE.
extern const char kCurrentVersionKey[];
// The programs list: one key per installed application, named by its Application setting.
extern const char kUninstallKey[];
// The editor's entry in App Paths.
extern const char kAppPathsKey[];
// The use count of each file in the Windows directory, by its full path.
extern const char kSharedFilesKey[];
// The current user's shell folders, and the two of them that hold shortcuts.
extern const char kShellFoldersKey[];
extern const char kUserShellFoldersKey[];
extern const char kProgramsFolderValue[];
extern const char kDesktopFolderValue[];
// The same two of every user, below HKEY_LOCAL_MACHINE.
extern const char kCommonProgramsValue[];
extern const char kCommonDesktopValue[];
// The program files folder, a value of the CurrentVersion key.
extern const char kProgramFilesValue[];

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
// Where the installation made its shortcuts: the group folder and the desktop folder.
extern const char kGroupFolderValue[];
extern const char kDesktopShortcutsValue[];
// The suffixes that a user's own installation bound to the text-file type, for its uninstaller.
extern const char kBoundSuffixesValue[];

// The two programs the installer names whatever the script says: the editor in the target
// folder and the uninstaller in the Windows directory.
extern const char kEditorFileName[];
extern const char kUninstallerFileName[];

// The installation's copy of its setup script, in the target folder.
extern const char kScriptCopyName[];
enum { kScriptCopyNameLength = 9 };
