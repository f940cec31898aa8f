// Tests of the progress bar's bands and percentages, and of the progress dialog on its own.
#include <gtest/gtest.h>

#include "copy/progress_bands.h"

namespace {

struct BandsRow {
    int width;
    int percent;
    BarBands expected;
};

const BandsRow kBandsRows[] = {
    // width, percent: blue width, black, grey width, white start, white width
    {100, 0, {0, 1, 3, 4, 96}},
    {100, 50, {50, 1, 3, 54, 46}},
    {100, 96, {96, 1, 3, 100, 0}},
    {100, 97, {97, 1, 2, 100, 0}},
    {100, 98, {98, 1, 1, 100, 0}},
    {100, 99, {99, 1, 0, 100, 0}},
    {100, 100, {100, 0, 0, 100, 0}},
    {100, 65536 + 50, {50, 1, 3, 54, 46}},  // taken as unsigned 16-bit
    {100, 150, {100, 0, 0, 100, 0}},        // clipped to the control
    {100, -1, {100, 0, 0, 100, 0}},         // 65535 %
    {3, 0, {0, 1, 2, 3, 0}},
    {1, 50, {0, 1, 0, 1, 0}},
    {0, 50, {0, 0, 0, 0, 0}},
    {267, 33, {88, 1, 3, 92, 175}},
};

}  // namespace

TEST(ComputeBarBands, BandsForEachPercent)
{
    for (const BandsRow& row : kBandsRows) {
        BarBands bands = ComputeBarBands(row.width, row.percent);
        SCOPED_TRACE(testing::Message() << "width " << row.width << ", percent " << row.percent);
        EXPECT_EQ(row.expected.doneWidth, bands.doneWidth);
        EXPECT_EQ(row.expected.blackWidth, bands.blackWidth);
        EXPECT_EQ(row.expected.grayWidth, bands.grayWidth);
        EXPECT_EQ(row.expected.whiteStart, bands.whiteStart);
        EXPECT_EQ(row.expected.whiteWidth, bands.whiteWidth);
    }
}

TEST(ComputeBarBands, BandsCoverTheWholeWidthExactlyOnce)
{
    for (int width = 0; width <= 300; width += 7) {
        for (int percent = 0; percent <= 100; percent++) {
            BarBands bands = ComputeBarBands(width, percent);
            int covered = bands.doneWidth + bands.blackWidth + bands.grayWidth + bands.whiteWidth;
            ASSERT_EQ(width, covered) << "width " << width << ", percent " << percent;
            if (bands.whiteWidth > 0) {
                ASSERT_EQ(bands.doneWidth + 4, bands.whiteStart);
            }
        }
    }
}

TEST(PercentOf, TruncatesAndTreatsEmptyWholesAsZero)
{
    const struct {
        long long part;
        long long whole;
        int expected;
    } rows[] = {
        {0, 0, 0},
        {5, 0, 0},
        {0, 8192, 0},
        {8192, 24576, 33},
        {16384, 24576, 66},
        {24576, 24576, 100},
        {24576, 32768, 75},
        {32768, 32768, 100},
        {1, 3, 33},
        {9000, 8192, 100},  // a source that grew while it was copied
        {-1, 100, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, PercentOf(row.part, row.whole))
            << row.part << " of " << row.whole;
}

TEST(PercentOf, LargeCountsDoNotOverflow)
{
    // Beyond 21,474,836 bytes the product with 100 no longer fits 32 bits.
    EXPECT_EQ(75, PercentOf(30000000, 40000000));
    EXPECT_EQ(99, PercentOf(2147483646, 2147483647));
    EXPECT_EQ(50, PercentOf(1610612736LL, 3221225472LL));            // 1.5 GiB of 3 GiB
    EXPECT_EQ(99, PercentOf(3221225471LL, 3221225472LL));
    EXPECT_EQ(33, PercentOf(0x2AAAAAAAAAAAAAAALL, 0x7FFFFFFFFFFFFFFFLL));
    EXPECT_EQ(99, PercentOf(0x7FFFFFFFFFFFFFFELL, 0x7FFFFFFFFFFFFFFFLL));
}

#ifdef _WIN32
#include "copy_host.h"

namespace {

class ProgressDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        memset(&setupState, 0, sizeof setupState);
        setupState.instance = GetModuleHandleA(nullptr);
        lstrcpyA(setupState.caption, "Quillor setup");
        setupState.barBrush = CreateSolidBrush(RGB(0, 0, 255));
        setupState.grayBrush = CreateSolidBrush(RGB(192, 192, 192));
        setupState.mainWindow = CreateTestWindow("H3CopyTestHost", HostWindowProc, 640, 480);
        currentRun = &run;
        setupState.progressDialog = CreateDialogParamA(setupState.instance, "Copy",
                                                       setupState.mainWindow, CopyDialogProc, 0);
        ASSERT_NE(nullptr, setupState.progressDialog);
    }

    void TearDown() override
    {
        if (setupState.progressDialog)
            DestroyWindow(setupState.progressDialog);
        DestroyWindow(setupState.mainWindow);
        DeleteObject(setupState.barBrush);
        DeleteObject(setupState.grayBrush);
        currentRun = nullptr;
        memset(&setupState, 0, sizeof setupState);
    }

    void Pump()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (setupState.progressDialog && IsDialogMessageA(setupState.progressDialog, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    EngineRun run;
};

TEST_F(ProgressDialogTest, StartsWithTheCaptionAndZeroOverall)
{
    char title[128] = "";
    GetWindowTextA(setupState.progressDialog, title, sizeof title);
    EXPECT_STREQ("Quillor setup", title);
    EXPECT_EQ("0 %", DialogText(IDC_COPY_OVERALL_TEXT));
    EXPECT_EQ("", DialogText(IDC_COPY_FILE_TEXT));
    EXPECT_TRUE(IsWindowVisible(setupState.progressDialog));
}

TEST_F(ProgressDialogTest, ThreeGibibytePayloadShowsTruePercentages)
{
    setupState.totalBytes = 3221225472LL;
    setupState.fileSize = 2147483648LL + 8192;
    setupState.fileCopied = 1073741824LL;
    SendMessageA(setupState.progressDialog, WM_COMMAND, CMD_COPY_PROGRESS, 0);
    EXPECT_EQ("49 %", DialogText(IDC_COPY_FILE_TEXT));
    EXPECT_EQ("0 %", DialogText(IDC_COPY_OVERALL_TEXT));

    setupState.fileCopied = setupState.fileSize;
    setupState.copiedBytes = setupState.fileSize;
    SendMessageA(setupState.progressDialog, WM_COMMAND, CMD_COPY_PROGRESS, 0);
    EXPECT_EQ("100 %", DialogText(IDC_COPY_FILE_TEXT));
    EXPECT_EQ("66 %", DialogText(IDC_COPY_OVERALL_TEXT));
}

TEST_F(ProgressDialogTest, TotalOfZeroKeepsTheOverallAtZero)
{
    setupState.fileSize = 10;
    setupState.fileCopied = 10;
    setupState.copiedBytes = 10;
    SendMessageA(setupState.progressDialog, WM_COMMAND, CMD_COPY_PROGRESS, 0);
    EXPECT_EQ("100 %", DialogText(IDC_COPY_FILE_TEXT));
    EXPECT_EQ("0 %", DialogText(IDC_COPY_OVERALL_TEXT));
}

TEST_F(ProgressDialogTest, DrawsTheFourBandsInTheBar)
{
    HWND bar = GetDlgItem(setupState.progressDialog, IDC_COPY_FILE_BAR);
    RECT client;
    GetClientRect(bar, &client);
    ASSERT_GT(client.right, 10);
    int x = 50 * client.right / 100;
    DrawProgressBar(setupState.progressDialog, IDC_COPY_FILE_BAR, 50);

    HDC dc = GetDC(bar);
    int row = client.bottom / 2;
    COLORREF blue0 = GetPixel(dc, 0, row);
    COLORREF blueEnd = GetPixel(dc, x - 1, row);
    COLORREF black = GetPixel(dc, x, row);
    COLORREF gray = GetPixel(dc, x + 3, row);
    COLORREF white = GetPixel(dc, x + 4, row);
    COLORREF whiteEnd = GetPixel(dc, client.right - 1, row);
    ReleaseDC(bar, dc);
    EXPECT_EQ(RGB(0, 0, 255), blue0);
    EXPECT_EQ(RGB(0, 0, 255), blueEnd);
    EXPECT_EQ(RGB(0, 0, 0), black);
    EXPECT_EQ(RGB(192, 192, 192), gray);
    EXPECT_EQ(RGB(255, 255, 255), white);
    EXPECT_EQ(RGB(255, 255, 255), whiteEnd);
}

COLORREF PixelOf(HWND control, int x, int y)
{
    HDC dc = GetDC(control);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(control, dc);
    return color;
}

void WhitenControl(HWND control)
{
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    PatBlt(dc, 0, 0, client.right, client.bottom, WHITENESS);
    ReleaseDC(control, dc);
}

TEST_F(ProgressDialogTest, AnUnchangedBarIsDrawnAgainOnlyAfterThePaintingOfTheDialog)
{
    HWND bar = GetDlgItem(setupState.progressDialog, IDC_COPY_FILE_BAR);
    setupState.fileSize = 1000;
    setupState.fileCopied = 500;
    SendMessageA(setupState.progressDialog, WM_COMMAND, CMD_COPY_PROGRESS, 0);
    EXPECT_EQ(RGB(0, 0, 255), PixelOf(bar, 1, 1));

    WhitenControl(bar);
    setupState.fileCopied = 501;  // still 50 %
    SendMessageA(setupState.progressDialog, WM_COMMAND, CMD_COPY_PROGRESS, 0);
    EXPECT_EQ(RGB(255, 255, 255), PixelOf(bar, 1, 1));

    InvalidateRect(setupState.progressDialog, nullptr, TRUE);
    UpdateWindow(setupState.progressDialog);
    WhitenControl(bar);
    SendMessageA(setupState.progressDialog, WM_COMMAND, CMD_COPY_PROGRESS, 0);
    EXPECT_EQ(RGB(0, 0, 255), PixelOf(bar, 1, 1));
}

TEST_F(ProgressDialogTest, CancelButtonAndEnterCancelButEscapeAndCloseDoNot)
{
    PostMessageA(setupState.progressDialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(setupState.progressDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND button = GetDlgItem(setupState.progressDialog, IDC_COPY_CANCEL);
    PostMessageA(button, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(0, setupState.cancelled);
    EXPECT_TRUE(IsWindow(setupState.progressDialog));

    PostMessageA(button, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(1, setupState.cancelled);

    setupState.cancelled = 0;
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(1, setupState.cancelled);
}

TEST_F(ProgressDialogTest, FinishCopyClosesTheDialogAndNamesTheNextStep)
{
    HWND dialog = setupState.progressDialog;
    EXPECT_EQ(static_cast<UINT>(UM_SHORTCUTS), FinishCopy());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(nullptr, setupState.progressDialog);

    setupState.cancelled = 1;
    EXPECT_EQ(static_cast<UINT>(UM_FINISH), FinishCopy());
}

}  // namespace

#endif  // _WIN32
