// What the checker's parts share: the names it checks against, the state of one check, an entry
// line, and the routines that more than one part calls.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/capacities.h"
#include "infcheck.h"

namespace infcheck {

// The installer's string-table names; the script is matched against exactly these.
const char kInstallSection[] = "Install";
const char kFilesSection[] = "Files";
const char kGroupSection[] = "Group";
const char kRegistrationSection[] = "Registration";
const char kChecksumsSection[] = "Checksums";
const char* const kSectionNames[] = {kInstallSection, kFilesSection, kGroupSection,
                                     kRegistrationSection, kChecksumsSection};
const char* const kInstallKeys[] = {"Bitmap", "Application", "Caption", "Directory",
                                    "Publisher", "Version"};
const int kInstallKeyCount = 6;
const char kSuffixesKey[] = "Suffixes";
const char* const kRegistrationKeys[] = {kSuffixesKey};
const int kRegistrationKeyCount = 1;

// The two programs that SETUP.EXE names whatever the script says: the editor in the target
// directory (App Paths, the txtfile commands) and the uninstaller in the Windows directory.
const char kEditorName[] = "Quillor.exe";
const char kUninstallerName[] = "Purgax.exe";
const char kScriptName[] = "SETUP.INF";

// Placeholders for the folders that only exist on the target machine.
const char kTargetDir[] = "<target>";
const char kWindowsDir[] = "<windows>";
const char kProgramsDir[] = "<programs>";
const char kDesktopDir[] = "<desktop>";

struct Check {
    const char* text;               // the script up to its first zero byte
    std::string scriptName;
    const char* mediumDir;          // null: no lookups on disk
    std::vector<int> lineStarts;    // offset of each line, as the installer splits lines
    int hasByteOrderMark;
    std::string* output;
    int warnings;
    int errors;
    // Destinations written so far, upper-cased, with the line that wrote them.
    std::map<std::string, int> destinations;
    // Names installed under the target directory, upper-cased, for the shortcut targets.
    std::map<std::string, int> targetFiles;
    char applicationName[kTextCapacity];
    int fileCount;
    long long sourceBytes;
    int shortcutCount;
    int suffixCount;
    int settingCount;
};

// One entry line of a section, as the installer's reader splits it.
struct Entry {
    const char* line;
    int lineNumber;
    int content;            // length of the line without its break
    int keyLength;
    const char* valueStart;
    int valueLength;
};

// The report (report.cpp): findings are written through these, never straight to the output.
std::string Upper(const std::string& text);
std::string NameKey(const std::string& name);
std::string Shown(const char* text, int length);
std::string Shown(const char* text);
std::string Shown(const std::string& text);
std::string Quoted(const char* text, int length);
std::string Quoted(const char* text);
std::string Count(long long count, const char* one, const char* many);
void Say(Check* check, int line, const std::string& text);
void Detail(Check* check, const std::string& text);
void Warn(Check* check, int line, const char* tag, const std::string& text);
void Fail(Check* check, const char* tag, const std::string& text);
std::string Summary(const Check& check);

// Lines and headers (lines.cpp).
int LineNumberAt(const Check& check, int offset);
int ContentLength(const char* line);
int StartsWithIgnoringCase(const char* line, int length, const char* name);
int CountBlanks(const char* text, int length);
int HasNoEquals(const char* line, int content);
void SplitLines(Check* check);
void CheckEncoding(Check* check, const std::string& bytes);
void CheckCarriageReturns(Check* check);
void CheckHeaders(Check* check);

// Sections and their entries (sections.cpp).
int OpenSection(Check* check, const char* section, const char* missingNote, int* cursor);
int NextEntry(const Check& check, int* cursor, Entry* entry);
std::string CutNote(int length);
void TakeNamedKeys(Check* check, const Entry& entry, const char* section,
                   const char* const* keys, int keyCount, char (*settings)[kTextCapacity],
                   int* settingLines);

// One routine per section (install_keys.cpp, files_check.cpp, group_check.cpp,
// registration_check.cpp); AddDestination is shared by Files and Group.
void CheckInstall(Check* check);
void AddDestination(Check* check, int lineNumber, const std::string& destination);
void CheckFiles(Check* check);
void CheckGroup(Check* check);
void CheckRegistration(Check* check);
void CheckChecksums(Check* check);
}  // namespace infcheck
