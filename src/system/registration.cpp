// App Paths, the uninstall entry and the default-editor registration.
#include "system/registration.h"

#include <shlobj.h>

#include "base/format_text.h"
#include "base/key_paths.h"
#include "base/message_boxes.h"
#include "base/script_hash.h"
#include "base/setup_messages.h"
#include "base/setup_state.h"
#include "base/system_libraries.h"
#include "base/uninstall_entries.h"
#include "dialogs/registration_dialog.h"
#include "resources/resource_ids.h"
#include "script/script_reader.h"
#include "script/script_scan.h"
#include "system/command_line.h"
#include "system/suffix_walk.h"
#include "system/version_order.h"
#include "text/bounded_text.h"

// A command read from the registry keeps 259 characters; the quoting of a final %1 adds two.
enum {
    kCommandReadCapacity = kPathCapacity,
    kCommandCapacity = kPathCapacity + 2,
    kUninstallPathCapacity = 256,
};

static const char kUninstallerSwitch[] = " /";
static const char kQuietSwitches[] = " /S /";
static const char kOpenSuffix[] = " \"%1\"";
static const char kPrintSuffix[] = " /p \"%1\"";

typedef void(WINAPI* SHChangeNotifyCall)(LONG, UINT, LPCVOID, LPCVOID);

// Writes text as the default value of path under root, sized by its length.
static void WriteDefaultText(HKEY root, const char* path, const char* text)
{
    WriteKeyPathValue(root, path, "", REG_SZ, text, TextLength(text));
}

// targetDir + "\Quillor.exe", quoted as asked, + tail into command (kCommandCapacity bytes).
static void BuildEditorCommand(char* command, ProgramQuoting quoting, const char* tail)
{
    BuildProgramCommand(command, kCommandCapacity, setupState.targetDir, kEditorFileName, quoting,
                        tail);
}

// Yes without the editor: commands that named it would leave no text file that opens, or
// open one that someone else put there. Shows message IDS_NO_EDITOR with its path and counts an error.
static void ReportMissingEditor(char* path)
{
    SetupState& s = setupState;
    BuildEditorCommand(path, kQuoteNever, "");
    ShowSetupMessage(s.className, s.mainWindow, IDS_NO_EDITOR, path, MB_ICONERROR);
    s.errorCount++;
}

// Writes a number of the programs list under the uninstall key.
static void WriteUninstallNumber(const char* uninstallPath, const char* name, DWORD number)
{
    WriteKeyPathValue(HKEY_LOCAL_MACHINE, uninstallPath, name, REG_DWORD, &number,
                      sizeof number);
}

// Writes text under the uninstall key, sized by its length; an empty text removes the value,
// so that an earlier installation's (its version, say) does not stay as if it were this one's.
static void WriteUninstallText(const char* uninstallPath, const char* name, const char* text)
{
    if (text[0] != '\0')
        WriteKeyPathValue(HKEY_LOCAL_MACHINE, uninstallPath, name, REG_SZ, text,
                          TextLength(text));
    else
        DeleteKeyPathValue(HKEY_LOCAL_MACHINE, uninstallPath, name);
}

// What the programs list shows beside the name, and the hash of the script that the
// uninstaller compares with the copy in the target directory before it trusts that copy.
static void WriteUninstallDetails(const char* uninstallPath, char* command)
{
    // Without a name the values would land on the Uninstall key itself.
    if (setupState.applicationName[0] == '\0')
        return;
    WriteUninstallText(uninstallPath, kInstallLocationValue, setupState.targetDir);
    if (setupState.editorWritten) {
        BuildEditorCommand(command, kQuoteNever, "");
        WriteUninstallText(uninstallPath, "DisplayIcon", command);
    }
    WriteUninstallNumber(uninstallPath, "EstimatedSize", TotalKilobytes(0xFFFFFFFF));
    WriteUninstallNumber(uninstallPath, "NoModify", 1);
    WriteUninstallNumber(uninstallPath, "NoRepair", 1);
    WriteUninstallText(uninstallPath, "Publisher", setupState.publisher);
    WriteUninstallText(uninstallPath, kDisplayVersionValue, setupState.version);
    char hash[kHashTextCapacity];
    if (HashText(setupState.scriptText, TextLength(setupState.scriptText), hash) == 0)
        WriteUninstallText(uninstallPath, kScriptHashValue, hash);
}

static void RegisterUninstaller(char* command)
{
    char uninstallPath[kUninstallPathCapacity];
    FormatText(uninstallPath, "%s\\%s", kUninstallKey, setupState.applicationName);
    // The name is written with its whole field, as the uninstall list has always read it.
    WriteKeyPathValue(HKEY_LOCAL_MACHINE, uninstallPath, "DisplayName", REG_SZ,
                      setupState.applicationName, kTextCapacity);

    char windowsDir[kPathCapacity];
    windowsDir[0] = '\0';
    GetWindowsDirectoryA(windowsDir, kPathCapacity);
    // Quoted when the Windows directory holds a blank, for the reason the editor's commands
    // always are.
    int length = BuildProgramCommand(command, kCommandCapacity, windowsDir, kUninstallerFileName,
                                     kQuoteWhenBlank, kUninstallerSwitch);
    if (length < 0)
        length = TextLength(command);
    AppendBounded(command, kCommandCapacity, length, setupState.targetDir,
                  TextLength(setupState.targetDir));
    WriteUninstallText(uninstallPath, kUninstallStringValue, command);
    // The quiet form, for deployment tools: the program's path always quoted, and nothing
    // written when the command would be cut.
    int targetLength = TextLength(setupState.targetDir);
    length = BuildProgramCommand(command, kCommandCapacity, windowsDir, kUninstallerFileName,
                                 kQuoteAlways, kQuietSwitches);
    if (length >= 0 && AppendBounded(command, kCommandCapacity, length, setupState.targetDir,
                                     targetLength) == length + targetLength)
        WriteUninstallText(uninstallPath, "QuietUninstallString", command);
    WriteUninstallDetails(uninstallPath, command);
}

// Copies the value of the last Suffixes line of the Registration section into suffixList.
// Returns -1 when the section is missing.
static int ReadSuffixList(void)
{
    if (FindScriptSection(setupState.mainWindow, setupState.registrationSection, 0) != 0)
        return -1;
    static const NamedKey suffixes = {setupState.suffixesKey, setupState.suffixList, kTextCapacity};
    ReadNamedKeys(setupState.scriptText, &setupState.cursor, &suffixes, 1);
    return 0;
}

// Binds every suffix of suffixList to txtfile under "." + suffix, but for the suffixes of
// files that run: those are left as they are, and named in one box (in a quiet run, the log).
static void BindSuffixes(void)
{
    SetupState& s = setupState;
    char skipped[kTextCapacity];
    int skippedLength = 0;
    skipped[0] = '\0';
    const char* cursor = s.suffixList;
    while (NextSuffixKey(&cursor, s.workBuffer, kWorkCapacity) > 0) {
        if (IsProgramSuffix(s.workBuffer)) {
            // The list holds at most 127 characters, so the skipped ones always fit.
            if (skippedLength > 0)
                skippedLength = AppendBounded(skipped, kTextCapacity, skippedLength, " ", 1);
            skippedLength = AppendBounded(skipped, kTextCapacity, skippedLength, s.workBuffer + 1,
                                          TextLength(s.workBuffer + 1));
            continue;
        }
        WriteDefaultText(HKEY_CLASSES_ROOT, s.workBuffer, kTextFileType);
    }
    if (skippedLength > 0)
        ShowSetupMessage(s.caption, s.mainWindow, IDS_PROGRAM_SUFFIXES, skipped,
                         MB_ICONWARNING);
}

static void BecomeDefaultEditor(char* command)
{
    BuildEditorCommand(command, kQuoteAlways, kOpenSuffix);
    WriteDefaultText(HKEY_CLASSES_ROOT, kOpenCommandKey, command);
    BuildEditorCommand(command, kQuoteAlways, kPrintSuffix);
    WriteDefaultText(HKEY_CLASSES_ROOT, kPrintCommandKey, command);

    if (ReadSuffixList() == 0) {
        if (RunRegistrationDialog() == IDYES && !setupState.cancelled)
            BindSuffixes();
    }
    // Lets the shell drop the file associations it has cached.
    SHChangeNotifyCall notify = reinterpret_cast<SHChangeNotifyCall>(
        FindSystemProcedure("shell32.dll", "SHChangeNotify"));
    if (notify != nullptr)
        notify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

// Puts a bare final %1 of the command at path between double quotation marks.
static void QuoteCommand(char* command, const char* path)
{
    // The read keeps the text terminated within 260 bytes, so two more characters fit.
    if (ReadKeyPathValue(HKEY_CLASSES_ROOT, path, "", REG_SZ, command,
                         kCommandReadCapacity) != 0)
        return;
    if (QuoteFinalArgument(command, kCommandCapacity))
        WriteDefaultText(HKEY_CLASSES_ROOT, path, command);
}

void RegisterApplication(void)
{
    SetupState& s = setupState;
    char command[kCommandCapacity];

    // Only the editor that this run wrote is named: one that merely lies in the target may be
    // anybody's.
    if (s.editorWritten) {
        BuildEditorCommand(command, kQuoteNever, "");
        WriteDefaultText(HKEY_LOCAL_MACHINE, kAppPathsKey, command);
    }
    RegisterUninstaller(command);

    int answer = ShowStringMessage(s.instance, s.caption, s.mainWindow, IDS_DEFAULT_EDITOR,
                                   MB_YESNO | MB_ICONQUESTION, s.registerAsked ? IDYES : IDNO);
    // The main window closed while the question was open: the run is abandoned.
    if (s.cancelled)
        return;
    if (answer == IDYES) {
        if (s.editorWritten)
            BecomeDefaultEditor(command);
        else
            ReportMissingEditor(command);
    } else {
        QuoteCommand(command, kOpenCommandKey);
        QuoteCommand(command, kPrintCommandKey);
    }
}

void ReadPreviousInstallation(void)
{
    char path[kPathCapacity];
    // Without a name the path would be the programs list itself.
    if (setupState.applicationName[0] == '\0' ||
        JoinPath(path, kPathCapacity, kUninstallKey, setupState.applicationName) < 0)
        return;
    char* folder = setupState.previousDir;
    if (ReadKeyPathValue(HKEY_LOCAL_MACHINE, path, kInstallLocationValue, REG_SZ, folder,
                         kTextCapacity) == 0) {
        DWORD attributes = GetFileAttributesA(folder);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            folder[0] = '\0';
    }
    ReadKeyPathValue(HKEY_LOCAL_MACHINE, path, kDisplayVersionValue, REG_SZ,
                     setupState.previousVersion, kTextCapacity);
}

int DeclineDowngrade(void)
{
    SetupState& s = setupState;
    // A script without a version is of an unknown one: it may be older than the installed.
    if (s.previousVersion[0] == '\0' ||
        (s.version[0] != '\0' && CompareVersions(s.version, s.previousVersion) >= 0))
        return 0;
    // Nobody to ask: No, unless the command line allowed the downgrade.
    return ShowFormattedMessage(s.instance, s.caption, s.mainWindow, IDS_OLDER_VERSION,
                                s.previousVersion, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2,
                                s.allowDowngrade ? IDYES : IDNO) != IDYES;
}
