// The file as a whole: how it splits into lines, its encoding, its carriage returns and its headers.
#include "checker.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <map>
#include <vector>

#include "script/script_scan.h"
#include "text/bounded_text.h"

namespace infcheck {

int LineNumberAt(const Check& check, int offset)
{
    auto after = std::upper_bound(check.lineStarts.begin(), check.lineStarts.end(), offset);
    return static_cast<int>(after - check.lineStarts.begin());
}

int ContentLength(const char* line)
{
    int content = 0;
    int lineBreak = 0;
    LineExtent(line, &content, &lineBreak);
    return content;
}

int StartsWithIgnoringCase(const char* line, int length, const char* name)
{
    int nameLength = TextLength(name);
    if (length < nameLength)
        return 0;
    for (int i = 0; i < nameLength; i++) {
        if (tolower(static_cast<unsigned char>(line[i])) !=
            tolower(static_cast<unsigned char>(name[i])))
            return 0;
    }
    return 1;
}

int CountBlanks(const char* text, int length)
{
    int blanks = 0;
    while (blanks < length && (text[blanks] == ' ' || text[blanks] == '\t'))
        blanks++;
    return blanks;
}

int HasNoEquals(const char* line, int content)
{
    return memchr(line, '=', content) == nullptr;
}

// Edits (a changed, added or dropped letter, or two neighbours swapped) that turn word into
// name, ignoring case; stops counting above limit.
static int SpellingDistance(const std::string& word, const char* name, int limit)
{
    int wordLength = static_cast<int>(word.size());
    int nameLength = TextLength(name);
    if (abs(wordLength - nameLength) > limit)
        return limit + 1;
    std::vector<std::vector<int>> cost(wordLength + 1, std::vector<int>(nameLength + 1));
    for (int i = 0; i <= wordLength; i++) {
        for (int j = 0; j <= nameLength; j++) {
            if (i == 0 || j == 0) {
                cost[i][j] = i + j;
                continue;
            }
            int a = tolower(static_cast<unsigned char>(word[i - 1]));
            int b = tolower(static_cast<unsigned char>(name[j - 1]));
            cost[i][j] = std::min({cost[i - 1][j] + 1, cost[i][j - 1] + 1,
                                   cost[i - 1][j - 1] + (a == b ? 0 : 1)});
            if (i > 1 && j > 1 && a == tolower(static_cast<unsigned char>(name[j - 2])) &&
                b == tolower(static_cast<unsigned char>(word[i - 2])))
                cost[i][j] = std::min(cost[i][j], cost[i - 2][j - 2] + 1);
        }
    }
    return cost[wordLength][nameLength];
}

// Splits the text into lines at line feeds, as the installer does.
void SplitLines(Check* check)
{
    const char* text = check->text;
    for (int start = 0; text[start] != '\0';) {
        check->lineStarts.push_back(start);
        int content = 0;
        int lineBreak = 0;
        LineExtent(text + start, &content, &lineBreak);
        if (lineBreak == 0)
            break;
        start += content + lineBreak;
    }
}

// A byte-order mark or a zero byte: the installer reads the bytes as they are.
void CheckEncoding(Check* check, const std::string& bytes)
{
    const char* text = check->text;
    check->hasByteOrderMark = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (check->hasByteOrderMark) {
        std::string what = text[3] == '['
            ? "so the header " + Quoted(text + 3, ContentLength(text + 3)) + " on it is not recognised"
            : "so the first line does not read as written";
        Warn(check, 1, "bom",
             "the file begins with a UTF-8 byte-order mark; the installer reads those three "
             "bytes as part of line 1, " + what + " (save the script as plain 8-bit text)");
    }
    int textLength = TextLength(text);
    if (static_cast<size_t>(textLength) < bytes.size()) {
        std::string what = bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 ||
                                                  bytes.compare(0, 2, "\xFE\xFF") == 0)
            ? " (the file is UTF-16; save it as plain 8-bit text)"
            : "";
        int lineNumber = static_cast<int>(std::count(text, text + textLength, '\n')) + 1;
        Warn(check, lineNumber, "zero-byte",
             "a zero byte at offset " + std::to_string(textLength) +
                 " ends the script for the installer; nothing after it is read" + what);
    }
}

// Carriage returns inside lines, each line on its own, and the extra one before the CR LF of a
// file whose line ends were converted twice, once for the whole file.
void CheckCarriageReturns(Check* check)
{
    int doubledCount = 0;
    int firstDoubled = 0;
    for (size_t index = 0; index < check->lineStarts.size(); index++) {
        int lineNumber = static_cast<int>(index) + 1;
        const char* line = check->text + check->lineStarts[index];
        int content = 0;
        int lineBreak = 0;
        LineExtent(line, &content, &lineBreak);
        int doubled = lineBreak > 0 && content > 0 && line[content - 1] == '\r';
        if (doubled && doubledCount++ == 0)
            firstDoubled = lineNumber;
        int inside = static_cast<int>(std::count(line, line + content - doubled, '\r'));
        if (inside > 0)
            Warn(check, lineNumber, "cr-break",
                 "the line holds " + Count(inside, "carriage return", "carriage returns") +
                     " not followed by a line feed; the installer keeps them as ordinary "
                     "characters, so lines separated by CR alone read as one line");
    }
    if (doubledCount > 0)
        Warn(check, firstDoubled, "cr-doubled",
             Count(doubledCount, "line ends", "lines end") +
                 " in CR CR LF (a file converted twice), the first on this line; the installer "
                 "keeps the first CR as the last character of each such line, so every value "
                 "there ends in it: sources named there cannot be opened and names and titles "
                 "carry a stray carriage return (save the script with CR LF line ends)");
}

// What SETUP.EXE does when a header meant for section does not open it.
static std::string MissedSectionConsequence(const Check& check, const char* section)
{
    int cursor = 0;
    if (ScanForSection(check.text, section, &cursor) == 0)
        return "its lines are never read; SETUP.EXE reads the [" + std::string(section) +
               "] of line " + std::to_string(LineNumberAt(check, cursor - 1));
    if (strcmp(section, kGroupSection) == 0)
        return "without a [Group] SETUP.EXE silently makes no group folder and no shortcuts";
    if (strcmp(section, kRegistrationSection) == 0)
        return "without a [Registration] SETUP.EXE silently skips the file types dialog, so "
               "no suffix is bound to txtfile";
    if (strcmp(section, kChecksumsSection) == 0)
        return "without a [Checksums] SETUP.EXE installs the files without checking them";
    return "without it SETUP.EXE shows \"Section [" + std::string(section) +
           "] does not exist !\" and ends before any window";
}

// A header that opens one of the four sections: repeated, or matched by prefix only.
static void CheckKnownHeader(Check* check, int lineNumber, const char* line, int content,
                      const char* known, std::map<std::string, int>* firstHeader)
{
    std::string header = Quoted(line, content);
    auto first = firstHeader->find(known);
    if (first != firstHeader->end()) {
        Warn(check, lineNumber, "section-repeated",
             "header " + header + " repeats section [" + known + "] of line " +
                 std::to_string(first->second) +
                 "; the installer reads only the first one and never reaches this one");
        return;
    }
    (*firstHeader)[known] = lineNumber;
    if (line[1 + TextLength(known)] != ']')
        Warn(check, lineNumber, "header-prefix",
             "header " + header + " opens section [" + known +
                 "]: headers match the section name by prefix");
}

// The section that a header opening none of them was meant for, or null when it looks like
// none; tag and why say how it went wrong.
static const char* MeantSection(const char* line, int content, const char** tag, const char** why)
{
    const char* inner = line + 1;
    int innerLength = content - 1;
    int blanks = CountBlanks(inner, innerLength);
    for (const char* name : kSectionNames) {
        if (StartsWithIgnoringCase(inner + blanks, innerLength - blanks, name)) {
            *tag = blanks > 0 ? "header-blank" : "header-case";
            *why = blanks > 0 ? "a blank after '[' defeats the name"
                              : "section names are case-sensitive";
            return name;
        }
    }
    const char* close = static_cast<const char*>(memchr(inner, ']', innerLength));
    std::string word(inner, close != nullptr ? close - inner : innerLength);
    word.erase(word.find_last_not_of(" \t\r") + 1);
    for (const char* name : kSectionNames) {
        int limit = TextLength(name) >= 7 ? 2 : 1;
        if (SpellingDistance(word, name, limit) <= limit) {
            *tag = "header-misspelt";
            *why = "is the name misspelt?";
            return name;
        }
    }
    return nullptr;
}

static void CheckUnknownHeader(Check* check, int lineNumber, const char* line, int content)
{
    std::string header = Quoted(line, content);
    const char* tag = nullptr;
    const char* why = nullptr;
    const char* meant = MeantSection(line, content, &tag, &why);
    if (meant == nullptr) {
        Say(check, lineNumber, "note: section " + header + " is not read by the installer");
        return;
    }
    Warn(check, lineNumber, tag,
         "header " + header + " does not open section [" + meant + "] (" + why + "); " +
             MissedSectionConsequence(*check, meant));
}

// A line that is not a header: one that would be a header without its leading blanks, or an
// entry before the first header.
static void CheckOrdinaryLine(Check* check, int lineNumber, const char* line, int content,
                       int inSection)
{
    int blanks = CountBlanks(line, content);
    if (blanks > 0 && blanks < content && line[blanks] == '[') {
        std::string what;
        for (const char* name : kSectionNames) {
            if (CompareCounted(line + blanks + 1, name, TextLength(name)) == 0)
                what = "; " + MissedSectionConsequence(*check, name);
        }
        Warn(check, lineNumber, "header-blank",
             Quoted(line, content) +
                 " is not a header: a blank before '[' makes it an ordinary line" + what);
        return;
    }
    if (!inSection && content > 0 && line[0] != ';' &&
        !(check->hasByteOrderMark && lineNumber == 1))
        Warn(check, lineNumber, "outside-section",
             Quoted(line, content) +
                 " stands before the first section header; the installer never reads it");
}

// Walks the headers and the lines around them.
void CheckHeaders(Check* check)
{
    std::map<std::string, int> firstHeader;
    int inSection = 0;
    for (size_t index = 0; index < check->lineStarts.size(); index++) {
        int lineNumber = static_cast<int>(index) + 1;
        const char* line = check->text + check->lineStarts[index];
        int content = ContentLength(line);
        if (content == 0 || line[0] != '[') {
            CheckOrdinaryLine(check, lineNumber, line, content, inSection);
            continue;
        }
        inSection = 1;
        const char* known = nullptr;
        for (const char* name : kSectionNames) {
            if (CompareCounted(line + 1, name, TextLength(name)) == 0)
                known = name;
        }
        if (known != nullptr)
            CheckKnownHeader(check, lineNumber, line, content, known, &firstHeader);
        else
            CheckUnknownHeader(check, lineNumber, line, content);
    }
}

}  // namespace infcheck
