// Tests of the resources built into the programs: the application manifest and the version information.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <string>
#include <vector>

#include "files.h"
#include "window_watch.h"

namespace {

// Path of a file in the folder of this test program, where the build puts every program.
std::string BesideTestProgram(const char* name)
{
    return ProgramFolder() + "\\" + name;
}

// The text of manifest resource 1 in the program file, or "" when it has none.
std::string ReadManifest(const std::string& path)
{
    std::string manifest;
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module != nullptr) {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
        const char* bytes = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        if (bytes != nullptr)
            manifest.assign(bytes, SizeofResource(module, found));
        FreeLibrary(module);
    }
    return manifest;
}

// The element of the manifest that begins with opening and holds marker, or "".
std::string ElementWith(const std::string& manifest, const char* opening, const char* marker)
{
    for (size_t start = manifest.find(opening); start != std::string::npos;
         start = manifest.find(opening, start + 1)) {
        size_t end = manifest.find('>', start);
        std::string element = manifest.substr(start, end - start + 1);
        if (element.find(marker) != std::string::npos)
            return element;
    }
    return "";
}

void ExpectSetupManifest(const std::string& manifest)
{
    ASSERT_NE("", manifest);
    EXPECT_NE("", ElementWith(manifest, "<requestedExecutionLevel",
                              "level=\"requireAdministrator\""))
        << manifest;
    // Vista needs no identifier: a program that names none runs as on Vista.
    const char* systems[] = {
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
    };
    for (const char* system : systems)
        EXPECT_NE("", ElementWith(manifest, "<supportedOS", system)) << system;
    std::string controls =
        ElementWith(manifest, "<assemblyIdentity", "name=\"Microsoft.Windows.Common-Controls\"");
    EXPECT_NE(std::string::npos, controls.find("version=\"6.0.0.0\"")) << controls;
    EXPECT_NE(std::string::npos, controls.find("publicKeyToken=\"6595b64144ccf1df\"")) << controls;
    EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>")) << manifest;
}

typedef DWORD(WINAPI* VersionInfoSizeProc)(LPCSTR, LPDWORD);
typedef BOOL(WINAPI* VersionInfoProc)(LPCSTR, DWORD, DWORD, LPVOID);
typedef BOOL(WINAPI* QueryValueProc)(LPCVOID, LPCSTR, LPVOID*, PUINT);

// A string of the program file's version information (US English, code page 1252), or "".
std::string VersionString(const std::string& path, const char* name)
{
    std::string value;
    HMODULE version = LoadLibraryA("version.dll");
    if (version == nullptr)
        return value;
    auto infoSize = reinterpret_cast<VersionInfoSizeProc>(
        reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoSizeA")));
    auto info = reinterpret_cast<VersionInfoProc>(
        reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoA")));
    auto query = reinterpret_cast<QueryValueProc>(
        reinterpret_cast<void*>(GetProcAddress(version, "VerQueryValueA")));
    DWORD handle = 0;
    DWORD size = infoSize != nullptr ? infoSize(path.c_str(), &handle) : 0;
    if (size > 0 && info != nullptr && query != nullptr) {
        std::vector<char> block(size);
        void* text = nullptr;
        UINT length = 0;
        std::string key = std::string("\\StringFileInfo\\040904E4\\") + name;
        if (info(path.c_str(), 0, size, block.data()) &&
            query(block.data(), key.c_str(), &text, &length) && length > 0)
            value = static_cast<const char*>(text);
    }
    FreeLibrary(version);
    return value;
}

TEST(Manifest, TestProgramCarriesTheSetupManifest)
{
    // The unit tests link the same resource script as SETUP.EXE.
    ExpectSetupManifest(ReadManifest(BesideTestProgram("unit_tests.exe")));
}

TEST(Manifest, SetupProgramCarriesIt)
{
    std::string setup = BesideTestProgram("SETUP.EXE");
    if (!PathExists(setup))
        GTEST_SKIP() << "no SETUP.EXE beside the tests";
    ExpectSetupManifest(ReadManifest(setup));
}

TEST(Manifest, ActivatesCommonControls6)
{
    // This process runs under the manifest of the resource script. (Wine reports every process
    // as DPI aware, so only the manifest text above can show the DPI setting.)
    ACTCTX_SECTION_KEYED_DATA data;
    ZeroMemory(&data, sizeof data);
    data.cbSize = sizeof data;
    EXPECT_TRUE(FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                         "comctl32.dll", &data));
}

const char kBoxCaption[] = "resources test";
char boxText[128];

// Runs inside the message box's own modal loop.
void CALLBACK ReadAndCloseMessageBox(HWND, UINT, UINT_PTR, DWORD)
{
    DrivenProgram self = WatchedThread(GetCurrentThreadId());
    Question box;
    if (FindQuestion(self, &box) == 0) {
        lstrcpynA(boxText, box.text.c_str(), sizeof boxText);
        PressButton(box.window, IDOK);
        return;
    }
    // A box that the driver does not take for one is closed all the same: the test then fails
    // on its text instead of hanging.
    HWND shown = FindProgramWindow(self, DIALOG_CLASS, kBoxCaption, 0);
    if (shown != nullptr)
        PressButton(shown, IDOK);
}

TEST(Manifest, MessageBoxKeepsItsTextInStatic0xFFFF)
{
    // Common Controls 6 must not move the text that the UI driver reads from a message box.
    boxText[0] = '\0';
    UINT_PTR timer = SetTimer(nullptr, 0, 50, ReadAndCloseMessageBox);
    int answer = MessageBoxA(nullptr, "text of the box", kBoxCaption, MB_OK | MB_ICONERROR);
    KillTimer(nullptr, timer);
    EXPECT_EQ(IDOK, answer);
    EXPECT_STREQ("text of the box", boxText);
}

TEST(VersionInfo, SetupProgramNamesProductVersionAndDescription)
{
    std::string setup = BesideTestProgram("SETUP.EXE");
    if (!PathExists(setup))
        GTEST_SKIP() << "no SETUP.EXE beside the tests";
    EXPECT_EQ("Quillor", VersionString(setup, "ProductName"));
    EXPECT_EQ("1.0.0.0", VersionString(setup, "FileVersion"));
    EXPECT_EQ("Quillor Setup", VersionString(setup, "FileDescription"));
    EXPECT_EQ("SETUP.EXE", VersionString(setup, "OriginalFilename"));
}

TEST(VersionInfo, TestProgramCarriesTheSetupVersion)
{
    std::string tests = BesideTestProgram("unit_tests.exe");
    EXPECT_EQ("Quillor", VersionString(tests, "ProductName"));
    EXPECT_EQ("Quillor Setup", VersionString(tests, "FileDescription"));
}

TEST(VersionInfo, EditorNamesProductVersionAndDescription)
{
    std::string editor = BesideTestProgram("Quillor.exe");
    if (!PathExists(editor))
        GTEST_SKIP() << "no Quillor.exe beside the tests";
    EXPECT_EQ("Quillor", VersionString(editor, "ProductName"));
    EXPECT_EQ("1.0.0.0", VersionString(editor, "FileVersion"));
    EXPECT_EQ("Quillor text editor", VersionString(editor, "FileDescription"));
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Every wrapped text of the setup program's dialogs fits its static control: a control too low
// for its text cuts the second line off.
TEST(DialogTemplates, EveryTextFitsItsControl)
{
    const char* const templates[] = {"Directory", "Copy", "Registration"};
    for (const char* name : templates) {
        HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), name, nullptr, QuietDialog, 0);
        ASSERT_NE(nullptr, dialog) << name;
        for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
             control = GetWindow(control, GW_HWNDNEXT)) {
            char className[16] = "";
            char text[256] = "";
            GetClassNameA(control, className, sizeof className);
            GetWindowTextA(control, text, sizeof text);
            LONG style = GetWindowLongA(control, GWL_STYLE);
            if (lstrcmpiA(className, "Static") != 0 || (style & SS_TYPEMASK) != SS_LEFT ||
                text[0] == '\0')
                continue;
            RECT client;
            GetClientRect(control, &client);
            RECT needed = client;
            HDC dc = GetDC(control);
            HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(
                                                   SendMessageA(control, WM_GETFONT, 0, 0)));
            DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK);
            SelectObject(dc, oldFont);
            ReleaseDC(control, dc);
            EXPECT_LE(needed.bottom, client.bottom) << name << ": \"" << text << "\"";
        }
        DestroyWindow(dialog);
    }
}

}  // namespace
#endif
