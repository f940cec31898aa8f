// The report: how each finding is written, escaped and counted, and the closing summary line.
#include "checker.h"

#include <ctype.h>
#include <stdio.h>
#include <string>

#include "text/bounded_text.h"

namespace infcheck {

std::string Upper(const std::string& text)
{
    std::string result = text;
    for (char& c : result)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return result;
}

// The name as the file system compares it, for matching destinations and targets. A carriage
// return at its end is left out: the cr-doubled warning covers it, and the names then match
// once the line ends are fixed.
std::string NameKey(const std::string& name)
{
    std::string key = Upper(name);
    while (!key.empty() && key.back() == '\r')
        key.pop_back();
    return key;
}

// The text with control and high bytes written as escapes, so that nothing the script holds
// reaches the terminal raw.
std::string Shown(const char* text, int length)
{
    std::string result;
    for (int i = 0; i < length; i++) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char escape[8];
        if (c == '\r') {
            result += "\\r";
        } else if (c == '\t') {
            result += "\\t";
        } else if (c < 0x20 || c >= 0x7F) {
            snprintf(escape, sizeof escape, "\\x%02X", c);
            result += escape;
        } else {
            result += static_cast<char>(c);
        }
    }
    return result;
}

std::string Shown(const char* text)
{
    return Shown(text, TextLength(text));
}

std::string Shown(const std::string& text)
{
    return Shown(text.data(), static_cast<int>(text.size()));
}

// The text between single quotes, escaped.
std::string Quoted(const char* text, int length)
{
    return "'" + Shown(text, length) + "'";
}

std::string Quoted(const char* text)
{
    return Quoted(text, TextLength(text));
}

// "1 file", "2 files".
std::string Count(long long count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void Say(Check* check, int line, const std::string& text)
{
    *check->output += check->scriptName;
    if (line > 0)
        *check->output += ":" + std::to_string(line);
    *check->output += ": " + text + "\n";
}

void Detail(Check* check, const std::string& text)
{
    *check->output += "    " + text + "\n";
}

void Warn(Check* check, int line, const char* tag, const std::string& text)
{
    check->warnings++;
    Say(check, line, "warning: " + text + " [" + tag + "]");
}

void Fail(Check* check, const char* tag, const std::string& text)
{
    check->errors++;
    Say(check, 0, "error: " + text + " [" + tag + "]");
}

std::string Summary(const Check& check)
{
    std::string summary = Count(check.settingCount, "setting", "settings") + ", " +
                          Count(check.fileCount, "file", "files");
    if (check.mediumDir != nullptr)
        summary += " (" + Count(check.sourceBytes, "byte", "bytes") + " found)";
    return summary + ", " + Count(check.shortcutCount, "shortcut", "shortcuts") + ", " +
           Count(check.suffixCount, "suffix", "suffixes") + "; " +
           Count(check.warnings, "warning", "warnings") + ", " +
           Count(check.errors, "error", "errors");
}

}  // namespace infcheck
