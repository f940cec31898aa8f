// Tests of the setup script reader's pure part: line extents, section search and entry parsing.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "script/script_scan.h"
#include "text/bounded_text.h"
#include "example_script.h"

// One parsed line: the result of ParseEntry with its key and value as texts.
struct Entry {
    int length;
    std::string key;
    std::string value;
};

static Entry Parse(const char* line)
{
    int keyLength = -1;
    const char* valueStart = 0;
    int valueLength = -1;
    Entry entry;
    entry.length = ParseEntry(line, &keyLength, &valueStart, &valueLength);
    if (entry.length > 0) {
        entry.key.assign(line, keyLength);
        entry.value.assign(valueStart, valueLength);
    }
    return entry;
}

// Walks a section from the cursor the way its consumers do, until ParseEntry returns 0.
static std::vector<Entry> WalkSection(const char* text, int* cursor)
{
    std::vector<Entry> entries;
    for (;;) {
        Entry entry = Parse(text + *cursor);
        if (entry.length == 0)
            break;
        entries.push_back(entry);
        *cursor += entry.length;
    }
    return entries;
}

// A heap copy of exactly the text and its terminator, so that the sanitizer sees any overrun.
static std::vector<char> ExactCopy(const char* text, size_t length)
{
    return std::vector<char>(text, text + length + 1);
}

struct SectionWalk {
    const char* name;
    int cursor;
    std::vector<Entry> entries;
    int end;
};

TEST(ScriptExample, WalksEverySection)
{
    ASSERT_EQ(279u, strlen(kExample));
    const SectionWalk walks[] = {
        {"Install", 26,
         {{21, "Application", "Quillor"},
          {26, "Caption", "Quillor Setup "},
          {23, "Directory", "D:\\Quillor"},
          {18, "Bitmap", "SETUP.BMP"},
          {2, "", ""}},
         116},
        {"Files", 125,
         {{21, "Program", "Quillor.exe"}, {19, "", ""}, {2, "", ""}, {23, "Uninstall", "%Purgax.exe"}},
         190},
        {"Group", 199, {{48, "Quillor.lnk", "Quillor.exe,Quillor,%Quillor.exe,0"}}, 247},
        {"Registration", 263, {{16, "Suffixes", "txt ini"}}, 279},
    };
    std::vector<char> text = ExactCopy(kExample, strlen(kExample));
    for (const SectionWalk& walk : walks) {
        int cursor = -1;
        ASSERT_EQ(0, ScanForSection(text.data(), walk.name, &cursor)) << walk.name;
        EXPECT_EQ(walk.cursor, cursor) << walk.name;
        std::vector<Entry> entries = WalkSection(text.data(), &cursor);
        ASSERT_EQ(walk.entries.size(), entries.size()) << walk.name;
        for (size_t i = 0; i < entries.size(); i++) {
            EXPECT_EQ(walk.entries[i].length, entries[i].length) << walk.name << " line " << i;
            EXPECT_EQ(walk.entries[i].key, entries[i].key) << walk.name << " line " << i;
            EXPECT_EQ(walk.entries[i].value, entries[i].value) << walk.name << " line " << i;
        }
        EXPECT_EQ(walk.end, cursor) << walk.name << ": the walk stops on the next header";
    }
}

TEST(ScriptExample, PrefixNameFindsTheSameHeader)
{
    int cursor = -1;
    EXPECT_EQ(0, ScanForSection(kExample, "Inst", &cursor));
    EXPECT_EQ(26, cursor);
}

TEST(ScriptExample, MissingNameLeavesTheCursorAtTheEnd)
{
    int cursor = -1;
    EXPECT_EQ(-1, ScanForSection(kExample, "Uninstall", &cursor));
    EXPECT_EQ(279, cursor);
    EXPECT_EQ(0, Parse(kExample + cursor).length);
}

struct ExtentRow {
    const char* line;
    int content;
    int lineBreak;
};

TEST(LineExtent, Table)
{
    const ExtentRow rows[] = {
        {"", 0, 0},
        {"\n", 0, 1},
        {"\r\n", 0, 2},
        {"abc", 3, 0},
        {"abc\n", 3, 1},
        {"abc\r\nnext", 3, 2},
        {"a\rb\n", 3, 1},          // a CR inside the line is content
        {"\r", 1, 0},
        {"ab\r\r\n", 3, 2},        // only the CR right before the LF is part of the break
        {"x\0\n", 1, 0},           // the terminator ends the line
    };
    for (const ExtentRow& row : rows) {
        int content = -1;
        int lineBreak = -1;
        LineExtent(row.line, &content, &lineBreak);
        EXPECT_EQ(row.content, content) << '"' << row.line << '"';
        EXPECT_EQ(row.lineBreak, lineBreak) << '"' << row.line << '"';
    }
}

struct SectionRow {
    const char* text;
    const char* name;
    int result;
    int cursor;
};

TEST(ScanForSection, Table)
{
    const SectionRow rows[] = {
        {"", "Install", -1, 0},
        {";only a comment\r\n\r\n   \r\n", "Install", -1, 24},
        {"[Install]\rA=b\rB=c", "Install", 0, 17},            // CR alone does not end a line
        {"X=1\r\n\0[Install]\r\n", "Install", -1, 5},          // a zero byte ends the text
        {"\xEF\xBB\xBF[Install]\r\nA=b\r\n", "Install", -1, 19},  // a byte-order mark hides it
        {"[Installation]\r\nA=b", "Install", 0, 16},
        {"[Install] ;note\nA=b", "Install", 0, 16},
        {"[install]\r\n", "Install", -1, 11},
        {" [Install]\r\n", "Install", -1, 12},
        {"[ Install]\r\n", "Install", -1, 12},
        {"[Inst", "Install", -1, 5},                            // header cut by the end
        {"[Ins\ntall]\n", "Install", -1, 11},
        {"[Files]\n[Install]\n", "Install", 0, 18},
        {"[Install]\n[Install]\n", "Install", 0, 10},          // the first of two
        {"A=1\n;c\n[Files]\nB=2\n", "", 0, 15},              // an empty name: the first header
        {"[Install]", "Install", 0, 9},                        // header on the last line
        {"\n\n\n[Group]\r\n", "Group", 0, 12},
    };
    for (const SectionRow& row : rows) {
        std::vector<char> text = ExactCopy(row.text, strlen(row.text));
        int cursor = -1;
        EXPECT_EQ(row.result, ScanForSection(text.data(), row.name, &cursor))
            << '"' << row.text << "\" for " << row.name;
        EXPECT_EQ(row.cursor, cursor) << '"' << row.text << "\" for " << row.name;
    }
}

TEST(ScanForSection, CrOnlyScriptIsOneHeaderLineWithoutEntries)
{
    const char text[] = "[Install]\rApplication=Quillor\r[Files]\rA=b";
    int cursor = -1;
    ASSERT_EQ(0, ScanForSection(text, "Install", &cursor));
    EXPECT_EQ(0, Parse(text + cursor).length);
    EXPECT_EQ(-1, ScanForSection(text, "Files", &cursor));
}

TEST(ScanForSection, OnlyTheFirstOfTwoSectionsIsRead)
{
    const char text[] = "[Install]\r\nCaption=One\r\n[Install]\r\nCaption=Two\r\n";
    int cursor = -1;
    ASSERT_EQ(0, ScanForSection(text, "Install", &cursor));
    std::vector<Entry> entries = WalkSection(text, &cursor);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ("One", entries[0].value);
}

struct EntryRow {
    const char* line;
    int length;
    const char* key;
    const char* value;
};

TEST(ParseEntry, Table)
{
    const EntryRow rows[] = {
        {"", 0, "", ""},
        {"[", 0, "", ""},                       // a lone '[' ends the section
        {"[Files]\r\n", 0, "", ""},
        {"\n", 1, "", ""},
        {"\r\n", 2, "", ""},
        {";x=y\n", 5, "", ""},
        {" =x", 3, "", "x"},
        {"Key==  =v", 9, "Key", "v"},
        {"a=b\r \n", 6, "a", "b\r "},
        {"a=b\r\r\n", 6, "a", "b\r"},
        {"x\ry=z", 5, "x\ry", "z"},
        {"k= \t", 4, "k", ""},
        {"   ", 3, "   ", ""},
        {"NoEquals\r\n", 10, "NoEquals", ""},
        {"=", 1, "", ""},
        {" = \r\n", 5, "", ""},
        {"\t a\tb = c\t\r\n", 12, "\t a\tb", "c\t"},
        {"\r", 1, "\r", ""},
        {"Last", 4, "Last", ""},
        {"A=b=c", 5, "A", "b=c"},
        {"A= ;not a comment", 17, "A", ";not a comment"},
    };
    for (const EntryRow& row : rows) {
        std::vector<char> line = ExactCopy(row.line, strlen(row.line));
        Entry entry = Parse(line.data());
        EXPECT_EQ(row.length, entry.length) << '"' << row.line << '"';
        EXPECT_EQ(row.key, entry.key) << '"' << row.line << '"';
        EXPECT_EQ(row.value, entry.value) << '"' << row.line << '"';
    }
}

TEST(ParseEntry, EmptyValueStartsAtTheEndOfTheContent)
{
    const char* lines[] = {"NoEquals\r\n", "k= \t\n", "\r\n", ";c\n"};
    for (const char* line : lines) {
        int keyLength = -1;
        const char* valueStart = 0;
        int valueLength = -1;
        ParseEntry(line, &keyLength, &valueStart, &valueLength);
        int content = 0;
        int lineBreak = 0;
        LineExtent(line, &content, &lineBreak);
        EXPECT_EQ(line + content, valueStart) << '"' << line << '"';
        EXPECT_EQ(0, valueLength);
    }
}

TEST(ParseEntry, LastLineWithoutBreakThenEnd)
{
    const char text[] = "[Registration]\nSuffixes=txt";
    int cursor = -1;
    ASSERT_EQ(0, ScanForSection(text, "Registration", &cursor));
    EXPECT_EQ(12, Parse(text + cursor).length);
    EXPECT_EQ(0, Parse(text + cursor + 12).length);
}

// Every section of a text, walked to its end; returns the number of entries seen.
static int WalkAllSections(const char* text, size_t length)
{
    const char* names[] = {"Install", "Files", "Group", "Registration", ""};
    int seen = 0;
    for (const char* name : names) {
        int cursor = -1;
        int found = ScanForSection(text, name, &cursor);
        EXPECT_GE(cursor, 0);
        EXPECT_LE(static_cast<size_t>(cursor), length);
        if (found != 0)
            continue;
        for (;;) {
            int keyLength = 0;
            const char* valueStart = 0;
            int valueLength = 0;
            int n = ParseEntry(text + cursor, &keyLength, &valueStart, &valueLength);
            if (n == 0)
                break;
            EXPECT_GE(keyLength, 0);
            EXPECT_GE(valueLength, 0);
            EXPECT_LE(valueStart + valueLength, text + cursor + n);
            cursor += n;
            EXPECT_LE(static_cast<size_t>(cursor), length);
            seen++;
        }
    }
    return seen;
}

TEST(ScriptBadInput, BinaryBytesAreWalkedWithoutOverrun)
{
    std::vector<char> text(1 << 16);
    unsigned seed = 12345;
    for (char& byte : text) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>((seed >> 16) % 255 + 1);   // every byte but zero
    }
    const char headers[] = "\n[Files]\r\n=\r\n[Install]";
    memcpy(text.data() + 30000, headers, sizeof headers - 1);
    text.back() = '\0';
    EXPECT_GT(WalkAllSections(text.data(), text.size() - 1), 0);
}

TEST(ScriptBadInput, HugeLineWithoutLineBreak)
{
    const size_t size = 4 << 20;
    std::vector<char> text(size + 1, 'v');
    memcpy(text.data(), "[Files]\nK=", 10);
    text[size] = '\0';
    int cursor = -1;
    ASSERT_EQ(0, ScanForSection(text.data(), "Files", &cursor));
    Entry entry = Parse(text.data() + cursor);
    EXPECT_EQ(static_cast<int>(size) - 8, entry.length);
    EXPECT_EQ("K", entry.key);
    EXPECT_EQ(size - 10, entry.value.size());
    EXPECT_EQ(0, Parse(text.data() + cursor + entry.length).length);
}

TEST(ScriptBadInput, NoLineBreaksAndNoSection)
{
    const size_t size = 1 << 20;
    std::vector<char> text(size + 1, '[');
    text[size] = '\0';
    int cursor = -1;
    EXPECT_EQ(-1, ScanForSection(text.data(), "Install", &cursor));
    EXPECT_EQ(static_cast<int>(size), cursor);
    EXPECT_EQ(0, ScanForSection(text.data(), "[[[", &cursor));   // the name follows the '['
    EXPECT_EQ(static_cast<int>(size), cursor);
    EXPECT_EQ(0, WalkAllSections(text.data(), size));
}
