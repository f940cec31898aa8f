// What the checker's tests share: a script checked through the real checker, the lines of its report, and the parts of a clean script.
#pragma once
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "infcheck.h"

struct Report {
    int status;
    std::string output;
};

inline Report Check(const std::string& script, const char* medium = nullptr)
{
    Report report;
    report.status = CheckScript(script, "SETUP.INF", medium, &report.output);
    return report;
}

// The report line that starts with prefix, or "" when there is none.
inline std::string LineStartingWith(const std::string& output, const std::string& prefix)
{
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line;
    }
    return "";
}

// Whether the report holds a warning or an error on the given line (0: none) that carries the
// tag.
inline bool HasWarning(const std::string& output, int line, const std::string& tag)
{
    std::string prefix = line > 0 ? "SETUP.INF:" + std::to_string(line) + ": " : "SETUP.INF: ";
    std::istringstream lines(output);
    std::string text;
    std::string ending = "[" + tag + "]";
    while (std::getline(lines, text)) {
        if (text.compare(0, prefix.size(), prefix) != 0)
            continue;
        // An error is a warning that stops the installer: it carries its tag the same way.
        std::string rest = text.substr(prefix.size());
        if ((rest.compare(0, 9, "warning: ") == 0 || rest.compare(0, 7, "error: ") == 0) &&
            text.size() >= ending.size() &&
            text.compare(text.size() - ending.size(), ending.size(), ending) == 0)
            return true;
    }
    return false;
}

inline const char kInstall[] =
    "[Install]\r\n"
    "Application=Quillor\r\n"
    "Caption=Quillor Setup\r\n"
    "Directory=C:\\Quillor\r\n";
inline const char kFiles[] =
    "[Files]\r\n"
    "Program=Quillor.exe\r\n"
    "Notes=README.TXT\r\n"
    "Uninstall=%Purgax.exe\r\n"
    "Setup script=SETUP.INF\r\n";
inline const char kGroup[] =
    "[Group]\r\n"
    "Quillor.lnk=Quillor.exe,Quillor text editor,%Quillor.exe,0\r\n";
inline const char kRegistration[] =
    "[Registration]\r\n"
    "Suffixes=txt ini\r\n";

inline std::string CleanScript()
{
    return std::string(kInstall) + kFiles + kGroup + kRegistration;
}

// The clean script with its one shortcut line replaced by line.
inline std::string WithShortcut(const char* line)
{
    return std::string(kInstall) + kFiles + "[Group]\r\n" + line + "\r\n" + kRegistration;
}

// The script with each CR LF turned into CR CR LF, as a second conversion leaves it.
inline std::string ConvertedTwice(const std::string& script)
{
    std::string converted;
    for (char c : script)
        converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return converted;
}

inline int CountWarnings(const std::string& output)
{
    int count = 0;
    for (size_t at = output.find(": warning: "); at != std::string::npos;
         at = output.find(": warning: ", at + 1))
        count++;
    return count;
}

inline const std::string kAfterInstall = std::string(kFiles) + kGroup + kRegistration;
