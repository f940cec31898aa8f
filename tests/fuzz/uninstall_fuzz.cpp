// Fuzz target: any bytes as the uninstaller's command line, a folder to put in canonical form, and a Files value whose destination it removes.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "base/capacities.h"
#include "base/folder_text.h"
#include "script/files_value.h"
#include "text/command_words.h"
#include "text/uninstall_command.h"
#include "uninstall/uninstall_paths.h"

namespace {

// A broken invariant ends the run as a crash, which libFuzzer saves.
void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool IsInside(const char* part, int length, const std::string& whole)
{
    return part >= whole.c_str() && length >= 0 && part + length <= whole.c_str() + whole.size();
}

// No component of a canonical folder ends with a dot or a blank, unless it is made of them.
void CheckCanonical(const std::string& text)
{
    std::string folder = text;
    int length = CanonicalFolderText(&folder[0], (int)folder.size());
    Require(length >= 0 && length <= (int)text.size());
    Require(folder.c_str()[length] == '\0');
    std::string once(folder.c_str(), length);
    std::string twice = once;
    Require(CanonicalFolderText(&twice[0], length) == length && twice.compare(0, length, once) == 0);
    Require(once.find("\\\\", 1) == std::string::npos);
    size_t start = 0;
    for (size_t i = 0; i <= once.size(); i++) {
        if (i < once.size() && once[i] != '\\')
            continue;
        std::string component = once.substr(start, i - start);
        bool dotsOnly = component.find_first_not_of(". ") == std::string::npos;
        Require(dotsOnly || (component.back() != '.' && component.back() != ' '));
        start = i + 1;
    }
}

// The command as Purgax reads its own and as the one walk of entries reads another vendor's:
// the switches, the target, the folder of the program, an InstallLocation's quotation marks.
void CheckCommand(const std::string& command)
{
    UninstallCommand read;
    ReadUninstallCommand(command.c_str(), &read);
    Require(read.quiet == 0 || read.quiet == 1);
    if (read.log != nullptr)
        Require(IsInside(read.log, read.logLength, command) &&
                memchr(read.log, '"', read.logLength) == nullptr);
    int length = read.targetLength;
    const char* target = read.target;
    Require(target != nullptr || length == 0);
    if (target != nullptr) {
        Require(IsInside(target, length, command));
        std::string text(target, length);
        int checked = CheckTargetText(text.c_str(), length);
        Require(checked <= length);
        if (checked >= 0)
            Require(RootLength(text.c_str(), checked) > 0);
    }
    const char* program = FindCommandProgram(command.c_str(), &length);
    Require(IsInside(program, length, command));
    const char* folder = FindCommandFolder(command.c_str(), &length);
    if (folder != nullptr)
        Require(IsInside(folder, length, command) && length > 0 && folder[length] == '\\');
    const char* unquoted = Unquoted(command.c_str(), &length);
    Require(IsInside(unquoted, length, command));
    SwitchWord word;
    if (ReadSwitchWord(command.c_str(), &word) == 0) {
        Require(IsInside(word.name, word.nameLength, command));
        Require(word.end > command.c_str() && word.end <= command.c_str() + command.size());
        if (word.value != nullptr)
            Require(IsInside(word.value, word.valueLength, command) && word.value + word.valueLength <= word.end);
    }
    program = FindProgramFolder(command.c_str(), "Quillor.exe", &length);
    if (program != nullptr)
        Require(IsInside(program, length, command) &&
                CompareFolded(program + length + 1, "Quillor.exe", 11) == 0);
}

// A destination that stays inside has no component that leaves the folder or names a device.
void CheckDestination(const std::string& value)
{
    char entry[kTextCapacity];
    FilesValue split = SplitFilesValue(value.data(), (int)value.size(), entry, kTextCapacity);
    Require(split.nameLength >= 0 && split.nameLength < kTextCapacity);
    entry[split.nameLength] = '\0';
    if (!StaysInside(entry, split.nameLength))
        return;
    Require(!HoldsDeviceName(entry, split.nameLength));
    Require(strchr(entry, ':') == nullptr && strchr(entry, '/') == nullptr && entry[0] != '\\');
    Require(strstr(entry, "\\\\") == nullptr);
    if (IsPlainName(entry, split.nameLength))
        Require(strchr(entry, '\\') == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // No zero byte inside: every routine reads terminated text.
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    if (text.size() > 4 * kPathCapacity)
        return 0;
    CheckCommand(text);
    CheckCanonical(text);
    CheckDestination(text);
    return 0;
}
