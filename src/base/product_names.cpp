// Every name that the setup program writes and the uninstaller finds again, defined once.
#include "base/product_names.h"

// The keys below HKEY_LOCAL_MACHINE (or HKEY_CURRENT_USER for the shell folders) start at the
// CurrentVersion key, and the App Paths key ends with the editor's name: the macros spell each
// of them once.
#define CURRENT_VERSION "Software\\Microsoft\\Windows\\CurrentVersion"
#define EDITOR_NAME "Quillor.exe"
#define TEXT_FILE_TYPE "txtfile"

const char kCurrentVersionKey[] = CURRENT_VERSION;
const char kUninstallKey[] = CURRENT_VERSION "\\Uninstall";
const char kAppPathsKey[] = CURRENT_VERSION "\\App Paths\\" EDITOR_NAME;
const char kShownAppPathsKey[] = "HKEY_LOCAL_MACHINE\\" CURRENT_VERSION "\\App Paths\\" EDITOR_NAME;
const char kSharedFilesKey[] = CURRENT_VERSION "\\SharedDLLs";
const char kShellFoldersKey[] = CURRENT_VERSION "\\Explorer\\Shell Folders";
const char kUserShellFoldersKey[] = CURRENT_VERSION "\\Explorer\\User Shell Folders";
const char kProgramsFolderValue[] = "Programs";
const char kDesktopFolderValue[] = "Desktop";
const char kProgramFolderValues[] =
    "ProgramFilesDir\0ProgramW6432Dir\0ProgramFilesDir (x86)\0"
    "CommonFilesDir\0CommonW6432Dir\0CommonFilesDir (x86)\0";

const char kTextFileType[] = TEXT_FILE_TYPE;
const char kOpenCommandKey[] = TEXT_FILE_TYPE "\\shell\\open\\command";
const char kPrintCommandKey[] = TEXT_FILE_TYPE "\\shell\\print\\command";

const char kInstallLocationValue[] = "InstallLocation";
const char kUninstallStringValue[] = "UninstallString";
const char kDisplayVersionValue[] = "DisplayVersion";
const char kScriptHashValue[] = "ScriptSha256";

const char kEditorFileName[] = EDITOR_NAME;
const char kUninstallerFileName[] = "Purgax.exe";
const char kScriptCopyName[] = "SETUP.INF";

static_assert(sizeof kScriptCopyName - 1 == kScriptCopyNameLength, "one length for one name");
