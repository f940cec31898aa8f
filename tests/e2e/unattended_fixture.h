// The fixture of the tests that start the setup program with switches, as deployment tools do.
#pragma once

#include "setup_run.h"

#include "unix_links.h"

inline const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillor";
inline const char kEditorPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quillor.exe";
inline const char kOpenCommand[] = "txtfile\\shell\\open\\command";
inline const char kPrintCommand[] = "txtfile\\shell\\print\\command";

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class UnattendedTest : public SetupRunTest {
protected:
    void SetUp() override
    {
        SetupRunTest::SetUp();
        savedOpen = ReadStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "");
        savedPrint = ReadStoredValue(HKEY_CLASSES_ROOT, kPrintCommand, "");
        RemoveEntries();
    }

    void TearDown() override
    {
        CloseProgram(&program);
        for (const std::string& link : links) RemoveUnixLink(link);
        RemoveEntries();
        RestoreStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "", savedOpen);
        RestoreStoredValue(HKEY_CLASSES_ROOT, kPrintCommand, "", savedPrint);
        SetupRunTest::TearDown();
    }

    void RemoveEntries()
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntry);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEditorPath);
    }

    // Lays out a medium whose script has the given Install lines besides Application and
    // Caption, the Files lines and anything after them.
    void LayOutScript(const std::string& installLines, const std::string& rest,
                      const std::vector<SourceFile>& sources)
    {
        ASSERT_NO_FATAL_FAILURE(LayOut("", sources));
        std::string script = "[Install]\r\nApplication=Quillor\r\nCaption=Quillor Setup\r\n" +
                             installLines + "[Files]\r\n" + rest;
        ASSERT_EQ(0, WriteMediumFile(medium, "SETUP.INF", script));
    }

    void StartWith(const std::string& arguments)
    {
        ASSERT_EQ(0, StartProgramWithArguments((medium.folder + "\\SETUP.EXE").c_str(),
                                               arguments, medium.folder.c_str(), &program));
    }

    // Runs SETUP.EXE with arguments to its end and returns its exit status. Any message box or
    // dialog that asks something fails the test, and so does any visible window at all when
    // windowsSeen is null; otherwise *windowsSeen says whether one was seen.
    DWORD RunUnattended(const std::string& arguments, int* windowsSeen = nullptr)
    {
        StartWith(arguments);
        return WaitWithoutQuestions(windowsSeen);
    }

    bool EntryExists()
    {
        HKEY key = 0;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    // Lays out a medium of one file whose application is named prefix and this test process's
    // number, so that its numbered logs start afresh (those of an earlier process with the same
    // number are removed). Returns the numbered logs' stem: the temporary folder, the name, "-".
    std::string LayOutNamedApplication(const std::string& prefix)
    {
        const std::string application = prefix + std::to_string(GetCurrentProcessId());
        EXPECT_EQ(0, CreateMedium("quillor-e2e",
                                  "[Install]\r\nApplication=" + application +
                                      "\r\nCaption=Quillor Setup\r\n[Files]\r\nFirst=FIRST.TXT\r\n",
                                  &medium));
        EXPECT_EQ(0, WriteMediumFile(medium, "FIRST.TXT", PatternBytes(10, 1)));
        char temp[MAX_PATH] = "";
        EXPECT_NE(0u, GetTempPathA(MAX_PATH, temp));
        for (const ListedFile& file : ListFolder(temp)) {
            if (file.name.rfind(application + "-", 0) == 0)
                DeleteFileA((std::string(temp) + file.name).c_str());
        }
        return std::string(temp) + application + "-";
    }

    std::string LogPath() { return medium.root + "\\run.log"; }
    std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

    StoredValue savedOpen;
    StoredValue savedPrint;
    std::vector<std::string> links;
};
