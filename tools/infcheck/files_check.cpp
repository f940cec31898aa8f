// The [Files] entries: sources on the medium, destinations, cut and clashing names, the named programs.
#include "checker.h"

#include <string.h>
#include <string>

#include "script/files_value.h"
#include "text/bounded_text.h"

namespace infcheck {

// Records a destination and reports an earlier entry that writes the same one.
void AddDestination(Check* check, int lineNumber, const std::string& destination)
{
    std::string key = NameKey(destination);
    auto earlier = check->destinations.find(key);
    if (earlier != check->destinations.end()) {
        Warn(check, lineNumber, "dest-duplicate",
             Shown(destination) + " is also written by line " + std::to_string(earlier->second) +
                 "; the later entry overwrites it");
        return;
    }
    check->destinations[key] = lineNumber;
}

// One Files entry as the installer takes it.
struct FileEntry {
    char entryKey[kTextCapacity];
    char entryValue[kTextCapacity];   // the destination name once split
    FilesValue split;
    std::string destination;          // <target>\name or <windows>\name
};

static void ReadFileEntry(const Entry& entry, FileEntry* file)
{
    CopyBounded(file->entryKey, kTextCapacity, entry.line, entry.keyLength);
    file->split = SplitFilesValue(entry.valueStart, entry.valueLength, file->entryValue,
                                  kTextCapacity);
    file->entryValue[file->split.nameLength] = '\0';
    file->destination = std::string(file->split.toWindows ? kWindowsDir : kTargetDir) + "\\" +
                        file->entryValue;
}

// Looks the entry's source up on the medium and says the entry. Returns 1 when the source was
// looked up and is not there, else 0.
static int SayFileEntry(Check* check, int lineNumber, const FileEntry& file)
{
    const char* source = file.split.source;
    std::string sizeNote;
    int sourceMissing = 0;
    long long size = 0;
    if (source[0] != '\0' && check->mediumDir != nullptr) {
        if (FindMediumFile(check->mediumDir, source, &size) == 0) {
            check->sourceBytes += size;
            sizeNote = " (" + Count(size, "byte", "bytes") + ")";
        } else {
            sourceMissing = 1;
        }
    }
    Say(check, lineNumber, "file " + Quoted(file.entryKey) + ": " + Quoted(source) + " -> " +
                               Shown(file.destination) + sizeNote);
    if (file.split.toWindows)
        Detail(check, "for the current user: " +
                          Shown(std::string(kTargetDir) + "\\" + file.entryValue) +
                          " (a user cannot write the Windows directory)");
    return sourceMissing;
}

// A key or value longer than the installer keeps; a cut value can lose its source name.
static void WarnCutFileEntry(Check* check, const Entry& entry, const FileEntry& file)
{
    int toWindows = file.split.toWindows;
    const char* valueStart = entry.valueStart + toWindows;
    int valueLength = entry.valueLength - toWindows;
    if (valueLength >= kTextCapacity) {
        std::string whole(valueStart, valueLength);
        size_t last = whole.rfind(';');
        std::string meant = last == std::string::npos ? whole : whole.substr(last + 1);
        std::string what = meant == file.split.source
            ? ""
            : ", so the source becomes " + Quoted(file.split.source) + " instead of " +
                  Quoted(meant.c_str(), static_cast<int>(meant.size()));
        Warn(check, entry.lineNumber, "value-cut",
             "the value is " + std::to_string(valueLength) + " characters" +
                 (toWindows ? " after the '%'" : "") + "; the installer keeps the first " +
                 std::to_string(kTextCapacity - 1) + what);
    }
    if (entry.keyLength >= kTextCapacity)
        Warn(check, entry.lineNumber, "value-cut",
             "the key is " + std::to_string(entry.keyLength) +
                 " characters; the progress dialog shows the first " +
                 std::to_string(kTextCapacity - 1));
}

// A source that is empty or not on the medium; a destination that is empty or absolute.
static void WarnFileNames(Check* check, int lineNumber, const FileEntry& file, int sourceMissing)
{
    const char* source = file.split.source;
    const char* destinationName = file.entryValue;
    if (source[0] == '\0') {
        Warn(check, lineNumber, "source-empty",
             "the entry names no source file; the installer tries to open the medium's "
             "folder itself, shows \"Cannot open\" and counts a failure");
    } else if (sourceMissing && source[TextLength(source) - 1] != '\r') {
        // A source that ends in a carriage return is already part of the cr-doubled warning.
        Warn(check, lineNumber, "source-missing",
             "the source " + Quoted(source) + " is not on the medium (" + check->mediumDir +
                 "): SETUP.EXE shows \"Cannot open\" for it and counts a failure");
    }
    if (destinationName[0] == '\0') {
        Warn(check, lineNumber, "dest-empty",
             "the destination name is empty; the installer cannot open " +
                 Shown(file.destination));
    } else if (strchr(destinationName, ':') != nullptr) {
        Warn(check, lineNumber, "dest-absolute",
             "the destination " + Quoted(destinationName) + " is always taken below " +
                 (file.split.toWindows ? kWindowsDir : kTargetDir) + ", never as a path of its own");
    }
}

// The editor and the uninstaller, which SETUP.EXE names whatever the script copies, and the
// copy of the script itself.
static void CheckNamedPrograms(Check* check)
{
    if (check->targetFiles.count(NameKey(kEditorName)) == 0)
        Warn(check, 0, "editor-missing",
             std::string("no [Files] entry installs ") + kEditorName + " into " + kTargetDir +
                 ": SETUP.EXE still writes the App Paths entry " + kTargetDir + "\\" +
                 kEditorName + " and, on Yes to the default-editor question, the txtfile open "
                 "and print commands that start it, so they name a program that is not there");
    std::string uninstaller = std::string(kWindowsDir) + "\\" + kUninstallerName;
    if (check->destinations.count(NameKey(uninstaller)) == 0)
        Warn(check, 0, "uninstaller-missing",
             std::string("no [Files] entry installs ") + kUninstallerName + " into " +
                 kWindowsDir + " (write it as %" + kUninstallerName +
                 "): SETUP.EXE still writes the uninstall entry " + uninstaller + " /" +
                 kTargetDir + ", so the program cannot be removed from the list of installed "
                 "programs");
    // The uninstaller learns the files of the installation only from this copy.
    if (check->targetFiles.count(NameKey(kScriptName)) == 0)
        Warn(check, 0, "script-copy-missing",
             std::string("no [Files] entry installs ") + kScriptName + " into " + kTargetDir +
                 " (write it as Setup script=" + kScriptName + "): without that copy the "
                 "uninstaller does not know the installed files; it can only offer to remove "
                 "the whole target folder, and leaves the shortcuts and the Windows-directory "
                 "files behind");
}

void CheckFiles(Check* check)
{
    int cursor = 0;
    if (OpenSection(check, kFilesSection, nullptr, &cursor) != 0)
        return;
    Entry entry;
    while (NextEntry(*check, &cursor, &entry) == 0) {
        if (entry.keyLength == 0 && entry.valueLength == 0)
            continue;
        FileEntry file;
        ReadFileEntry(entry, &file);
        check->fileCount++;
        int sourceMissing = SayFileEntry(check, entry.lineNumber, file);
        WarnCutFileEntry(check, entry, file);
        WarnFileNames(check, entry.lineNumber, file, sourceMissing);
        AddDestination(check, entry.lineNumber, file.destination);
        if (!file.split.toWindows)
            check->targetFiles.emplace(NameKey(file.entryValue), entry.lineNumber);
    }
    CheckNamedPrograms(check);
}

}  // namespace infcheck
