// End-to-end: the installer writes only where it means to, whatever another user put in a target they can write to.
#include <aclapi.h>
#include <sddl.h>

#include "setup_run.h"
#include "unix_links.h"

namespace {

const char kAppPathKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quillor.exe";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillor";
const char kOpenCommand[] = "txtfile\\shell\\open\\command";

// Large enough that the copy is still running while a folder is swapped and Cancel is pressed.
const size_t kLongFileSize = 48u << 20;

std::string CannotCreate(const std::string& path)
{
    return "Cannot create \"" + path + "\" !";
}

// Files outside the target that must come out of a run byte for byte as they went in.
class LinksTest : public SetupRunTest {
protected:
    void SetUp() override
    {
        SetupRunTest::SetUp();
        ASSERT_FALSE(decoys.path.empty());
    }

    // A decoy file outside the target, remembered with its content.
    std::string Decoy(const std::string& name, const std::string& bytes)
    {
        std::string path = decoys.path + "\\" + name;
        EXPECT_EQ(0, WriteFileBytes(path, bytes));
        kept.push_back({path, bytes});
        return path;
    }

    void ExpectDecoysUnchanged()
    {
        for (const auto& decoy : kept) ExpectContent(decoy.first, decoy.second);
    }

    TempFolder decoys;
    std::vector<std::pair<std::string, std::string>> kept;
};

TEST_F(LinksTest, NoLinkOrHardLinkInAWritableTargetIsFollowed)
{
    ASSERT_NO_FATAL_FAILURE(LayOut(
        "Hello=SAMPLES\\HELLO.TXT;HELLO.TXT\r\nReadme=README.TXT\r\nScript=SETUP.INF\r\n"
        "New=NEW.TXT;HELLO.TXT\r\nHard=HARD.DAT;HELLO.TXT\r\nPlain=PLAIN.TXT\r\n",
        {{"HELLO.TXT", 20, 1}, {"README.TXT", 30, 2}, {"PLAIN.TXT", 40, 3}}));
    // What another user prepared in a folder under the drive that anyone may create.
    const std::string& target = medium.target;
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    std::string system = decoys.path + "\\system";
    ASSERT_TRUE(CreateDirectoryA(system.c_str(), nullptr));
    ASSERT_EQ(0, MakeUnixLink(target + "\\SAMPLES", system));
    ASSERT_EQ(0, MakeUnixLink(target + "\\README.TXT", Decoy("win.ini", "[windows]\r\n")));
    ASSERT_EQ(0, MakeUnixLink(target + "\\SETUP.INF", Decoy("system.ini", "[boot]\r\n")));
    ASSERT_EQ(0, MakeUnixLink(target + "\\NEW.TXT", decoys.path + "\\created.dll"));
    ASSERT_TRUE(CreateHardLinkA((target + "\\HARD.DAT").c_str(),
                                Decoy("hard.dat", "kept").c_str(), nullptr));
    targetHoldsFiles = true;

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(target));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kErrorCaption, CannotCreate(target + "\\SAMPLES")));
    for (const char* name : {"SAMPLES\\HELLO.TXT", "README.TXT", "SETUP.INF", "NEW.TXT",
                             "HARD.DAT"})
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kErrorCaption, CannotOpen(target + "\\" + name), 1));
    ASSERT_NO_FATAL_FAILURE(ExpectPartialEnd());

    ExpectDecoysUnchanged();
    EXPECT_TRUE(ListFolder(system).empty()) << "a file was made through the folder link";
    EXPECT_FALSE(PathExists(decoys.path + "\\created.dll")) << "made through the file link";
    ExpectCopied(target + "\\PLAIN.TXT", "PLAIN.TXT");
}

TEST_F(LinksTest, ACutCopyIsRemovedThroughItsHandleNotItsPath)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Long=SUB\\LONG.BIN;LONG.BIN\r\n", {{"LONG.BIN", kLongFileSize, 1}}));
    const std::string decoy = Decoy("LONG.BIN", "a file of the same name elsewhere");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    HWND progress = WaitForWindow(program, DIALOG_CLASS, kCaption, IDC_COPY_CANCEL);
    ASSERT_TRUE(progress);
    const std::string copy = medium.target + "\\SUB\\LONG.BIN";
    for (DWORD start = GetTickCount();
         ReadFileSizeOnDisk(copy) <= 0 && GetTickCount() - start < kWindowWaitMs;)
        Sleep(kPollMs);
    ASSERT_GT(ReadFileSizeOnDisk(copy), 0) << DescribeScreen(program.process.dwProcessId);

    // The folder of the file in hand now leads elsewhere, to a file of the same name.
    ASSERT_EQ(0, MoveByUnix(medium.target + "\\SUB", medium.target + "\\MOVED"));
    ASSERT_EQ(0, MakeUnixLink(medium.target + "\\SUB", decoys.path));
    ASSERT_EQ(0, PressButton(progress, IDC_COPY_CANCEL));
    ASSERT_NO_FATAL_FAILURE(ExpectAbandonedEnd());

    // Removed through the handle, never through the path that leads elsewhere now. (Wine ends
    // a handle's removal through the Unix name the file was opened by, and leaves a file that
    // was moved from the Unix side where it is: the moved copy cannot be shown gone here.)
    ExpectDecoysUnchanged();
}

// The registry values that name the editor, kept and put back around each test.
class PlantedEditorTest : public LinksTest {
protected:
    void SetUp() override
    {
        LinksTest::SetUp();
        savedOpen = ReadStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    }
    void TearDown() override
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
        RestoreStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "", savedOpen);
        LinksTest::TearDown();
    }
    StoredValue savedOpen;
};

TEST_F(PlantedEditorTest, AnEditorThisRunDidNotWriteIsNeverRegistered)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Editor=Quillor.exe\r\n", {{"Quillor.exe", 50, 1}}));
    ASSERT_TRUE(CreateDirectoryA(medium.target.c_str(), nullptr));
    const std::string planted = medium.target + "\\Quillor.exe";
    ASSERT_EQ(0, WriteFileBytes(planted, "another user's program"));
    targetHoldsFiles = true;
    // Held open by its owner, so that the copy cannot replace it.
    HANDLE held = CreateFileA(planted.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::string openBefore = ReadStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "").data;

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kErrorCaption, CannotOpen(planted), 1));
    // Yes: the failure is shown at once, naming the editor that is not there.
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDYES, kCaption, kQuestion));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kErrorCaption, "Cannot find \"" + planted + "\" !"));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kCaption, kReportPartial));
    ExpectExitStatus(kExitPartial);
    CloseHandle(held);

    EXPECT_FALSE(ReadStoredValue(HKEY_LOCAL_MACHINE, kAppPathKey, "").valueExists);
    EXPECT_FALSE(ReadStoredValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon").valueExists);
    EXPECT_EQ(openBefore, ReadStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "").data);
    ExpectContent(planted, "another user's program");
}

// The access list of a folder as the system reads it back, in its text form.
std::string ReadAccessList(const std::string& folder)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL list = nullptr;
    if (GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS)
        return "<unreadable>";
    char* text = nullptr;
    std::string result = "<no text>";
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        result = text;
        LocalFree(text);
    }
    LocalFree(descriptor);
    return result;
}

TEST_F(LinksTest, TheTargetAndItsFoldersAreLeftToAdministratorsOnly)
{
    ASSERT_NO_FATAL_FAILURE(LayOut("Sub=SUB\\A.TXT;A.TXT\r\n", {{"A.TXT", 10, 1}}));
    // An existing target that everyone could write to, and a folder the run makes below it.
    ASSERT_TRUE(CreateDirectoryA(medium.target.c_str(), nullptr));
    std::string plain = decoys.path + "\\plain";
    ASSERT_TRUE(CreateDirectoryA(plain.c_str(), nullptr));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseTarget(medium.target));
    ASSERT_NO_FATAL_FAILURE(ExpectSuccessfulEnd());

    // Wine keeps no access list of its own: it reads one back from the Unix mode bits (the
    // owner, and the others as Everyone), so the protection, the administrators' and the
    // users' entries cannot be shown here. What it keeps is that nobody but the owner and the
    // system has any right left, where an ordinary folder grants Everyone read access.
    const char everyone[] = ";;;WD)";
    EXPECT_NE(std::string::npos, ReadAccessList(plain).find(everyone)) << ReadAccessList(plain);
    for (const std::string& folder : {medium.target, medium.target + "\\SUB"}) {
        std::string list = ReadAccessList(folder);
        EXPECT_EQ(0u, list.find("D:")) << folder << ": " << list;
        EXPECT_EQ(std::string::npos, list.find(everyone)) << folder << ": " << list;
    }
    ExpectCopied(medium.target + "\\SUB\\A.TXT", "A.TXT");
}

}  // namespace
