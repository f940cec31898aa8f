// End-to-end tests of the main window's background: the script's picture tiled from the top-left corner, the plain workspace colour, and the messages of a missing or broken picture.
#include "setup_run.h"

namespace {

const char kTestCaption[] = "Background Test";
const char kClassName[] = "Install";

// The test picture: 100 x 50 pixels of one colour with four distinct corners.
const int kTileWidth = 100;
const int kTileHeight = 50;
const COLORREF kTileBase = RGB(200, 160, 40);
const COLORREF kTopLeft = RGB(255, 0, 0);
const COLORREF kTopRight = RGB(0, 255, 0);
const COLORREF kBottomLeft = RGB(0, 0, 255);
const COLORREF kBottomRight = RGB(255, 255, 255);

// How long the main window may take to show its background.
const DWORD kPaintWaitMs = 10000;

void PutLittleEndian(std::string* bytes, unsigned value, int count)
{
    for (int i = 0; i < count; i++) bytes->push_back((char)((value >> (8 * i)) & 0xFF));
}

// The colour of the test picture at (x, y), counted from its top-left corner.
COLORREF TilePixel(int x, int y)
{
    bool right = x == kTileWidth - 1;
    bool bottom = y == kTileHeight - 1;
    if (x == 0 && y == 0) return kTopLeft;
    if (right && y == 0) return kTopRight;
    if (x == 0 && bottom) return kBottomLeft;
    if (right && bottom) return kBottomRight;
    return kTileBase;
}

// The test picture as a 24-bit BMP file, rows bottom-up as the format stores them.
std::string TestBitmap()
{
    const int rowBytes = (kTileWidth * 3 + 3) & ~3;
    const int pixelBytes = rowBytes * kTileHeight;
    std::string file = "BM";
    PutLittleEndian(&file, 54 + pixelBytes, 4);
    PutLittleEndian(&file, 0, 4);
    PutLittleEndian(&file, 54, 4);
    PutLittleEndian(&file, 40, 4);
    PutLittleEndian(&file, kTileWidth, 4);
    PutLittleEndian(&file, kTileHeight, 4);
    PutLittleEndian(&file, 1, 2);
    PutLittleEndian(&file, 24, 2);
    PutLittleEndian(&file, 0, 4);
    PutLittleEndian(&file, pixelBytes, 4);
    PutLittleEndian(&file, 2835, 4);
    PutLittleEndian(&file, 2835, 4);
    PutLittleEndian(&file, 0, 4);
    PutLittleEndian(&file, 0, 4);
    for (int y = kTileHeight - 1; y >= 0; y--) {
        std::string row;
        for (int x = 0; x < kTileWidth; x++) {
            COLORREF colour = TilePixel(x, y);
            row.push_back((char)GetBValue(colour));
            row.push_back((char)GetGValue(colour));
            row.push_back((char)GetRValue(colour));
        }
        row.resize(rowBytes, '\0');
        file += row;
    }
    return file;
}

// A medium in a fresh folder: SETUP.EXE and a script with the given Bitmap line.
void LayOutMedium(const char* name, const char* bitmapLine, Medium* medium)
{
    std::string script = "[Install]\r\nApplication=Quillor\r\nCaption=";
    script += kTestCaption;
    script += "\r\nDirectory=C:\\Quillor\r\n";
    script += bitmapLine;
    script += "\r\n[Files]\r\n";
    ASSERT_EQ(CreateMedium(name, script, medium), 0);
}

// The client area of a window as it is on the screen, one COLORREF per pixel.
struct Capture {
    int width;
    int height;
    std::vector<COLORREF> pixels;
    RECT covered;   // the part hidden by the target directory dialog, in client coordinates
};

COLORREF PixelAt(const Capture& capture, int x, int y)
{
    return capture.pixels[(size_t)y * capture.width + x];
}

// Copies the window's client area from the screen, which the window covers while it is on top.
int CaptureClient(HWND window, HWND dialog, Capture* capture)
{
    RECT client;
    POINT origin = {0, 0};
    GetClientRect(window, &client);
    ClientToScreen(window, &origin);
    capture->width = client.right;
    capture->height = client.bottom;
    capture->pixels.assign((size_t)capture->width * capture->height, 0);
    SetRectEmpty(&capture->covered);
    if (dialog) {
        GetWindowRect(dialog, &capture->covered);
        OffsetRect(&capture->covered, -origin.x, -origin.y);
    }
    if (capture->width <= 0 || capture->height <= 0) return -1;

    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture->width;
    info.bmiHeader.biHeight = -capture->height;   // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    int result = -1;
    if (memory && section && bits) {
        HGDIOBJ previous = SelectObject(memory, section);
        if (BitBlt(memory, 0, 0, capture->width, capture->height, screen, origin.x, origin.y,
                   SRCCOPY)) {
            GdiFlush();
            const DWORD* source = (const DWORD*)bits;
            for (size_t i = 0; i < capture->pixels.size(); i++) {
                DWORD p = source[i];
                capture->pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
            }
            result = 0;
        }
        SelectObject(memory, previous);
    }
    if (section) DeleteObject(section);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return result;
}

bool IsCovered(const Capture& capture, int x, int y)
{
    POINT point = {x, y};
    return PtInRect(&capture.covered, point) != 0;
}

std::string Hex(COLORREF colour)
{
    char text[16];
    wsprintfA(text, "%02x%02x%02x", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

// The pixels worth checking for a tiling: the four corners and the middle of every tile, and
// the client area's right column and bottom row, where the last tiles are cut.
std::vector<POINT> TileProbePoints(int width, int height)
{
    std::vector<POINT> points;
    for (int x = 0; x < width; x += kTileWidth) {
        for (int y = 0; y < height; y += kTileHeight) {
            const POINT corners[] = {{x, y}, {x + kTileWidth - 1, y}, {x, y + kTileHeight - 1},
                                     {x + kTileWidth - 1, y + kTileHeight - 1},
                                     {x + kTileWidth / 2, y + kTileHeight / 2}};
            for (POINT point : corners) {
                if (point.x < width && point.y < height) points.push_back(point);
            }
        }
    }
    for (int y = 0; y < height; y += 7) points.push_back(POINT{width - 1, y});
    for (int x = 0; x < width; x += 7) points.push_back(POINT{x, height - 1});
    return points;
}

// Compares the visible probe points with the expected colours. Returns the first mismatches
// as text ("" when all match) and counts the points compared.
template <typename Expected>
std::string CompareProbes(const Capture& capture, const std::vector<POINT>& points,
                          Expected expected, int* compared)
{
    std::string mismatches;
    int shown = 0;
    *compared = 0;
    for (POINT point : points) {
        if (IsCovered(capture, point.x, point.y)) continue;
        (*compared)++;
        COLORREF want = expected(point.x, point.y);
        COLORREF got = PixelAt(capture, point.x, point.y);
        if (got != want && shown < 10) {
            mismatches += "(" + std::to_string(point.x) + "," + std::to_string(point.y) + ") is " +
                          Hex(got) + ", expected " + Hex(want) + "\n";
            shown++;
        }
    }
    return mismatches;
}

std::vector<POINT> GridPoints(int width, int height, int step)
{
    std::vector<POINT> points;
    for (int y = 0; y < height; y += step) {
        for (int x = 0; x < width; x += step) points.push_back(POINT{x, y});
    }
    points.push_back(POINT{width - 1, height - 1});
    return points;
}

unsigned LittleEndianAt(const std::string& bytes, size_t offset, int count)
{
    unsigned value = 0;
    for (int i = count - 1; i >= 0; i--) value = (value << 8) | (unsigned char)bytes[offset + i];
    return value;
}

// An uncompressed 24-bit bottom-up BMP file, read for its pixels.
struct Picture {
    int width;
    int height;
    std::string bytes;
    unsigned pixelOffset;
};

int ReadPicture(const std::string& path, Picture* picture)
{
    if (ReadFileBytes(path, &picture->bytes) != 0 || picture->bytes.size() < 54) return -1;
    picture->pixelOffset = LittleEndianAt(picture->bytes, 10, 4);
    picture->width = (int)LittleEndianAt(picture->bytes, 18, 4);
    picture->height = (int)LittleEndianAt(picture->bytes, 22, 4);
    if (LittleEndianAt(picture->bytes, 28, 2) != 24 || picture->width <= 0 || picture->height <= 0)
        return -1;
    size_t rowBytes = ((size_t)picture->width * 3 + 3) & ~(size_t)3;
    return picture->bytes.size() >= picture->pixelOffset + rowBytes * picture->height ? 0 : -1;
}

COLORREF PicturePixel(const Picture& picture, int x, int y)
{
    size_t rowBytes = ((size_t)picture.width * 3 + 3) & ~(size_t)3;
    size_t at = picture.pixelOffset + rowBytes * (picture.height - 1 - y) + (size_t)x * 3;
    const std::string& b = picture.bytes;
    return RGB((unsigned char)b[at + 2], (unsigned char)b[at + 1], (unsigned char)b[at]);
}

// Every pixel of a few rows and columns, which catches any misplaced tile of a small picture.
std::vector<POINT> RowAndColumnPoints(int width, int height, int step)
{
    std::vector<POINT> points;
    for (int y = 0; y < height; y += step) {
        for (int x = 0; x < width; x++) points.push_back(POINT{x, y});
    }
    for (int x = 0; x < width; x += step) {
        for (int y = 0; y < height; y++) points.push_back(POINT{x, y});
    }
    return points;
}

// A running setup program that shows its target directory dialog over the main window.
class BackgroundTest : public SetupRunTest {
protected:
    // Waits for the target directory dialog, then for the main window under it.
    void WaitForDirectoryDialog()
    {
        dialog = WaitForWindow(program, DIALOG_CLASS, caption, IDC_DIRECTORY_EDIT);
        ASSERT_NE(dialog, (HWND)0);
        mainWindow = FindProgramWindow(program, kClassName, caption, 0);
        ASSERT_NE(mainWindow, (HWND)0) << DescribeScreen(program.process.dwProcessId);
    }

    // Captures the client area until the probes show what is expected or the bound passes,
    // so that a paint still under way is waited for. Fails with the last mismatches.
    template <typename Expected>
    void ExpectClientPixels(const std::vector<POINT>& points, Expected expected)
    {
        Capture capture;
        std::string mismatches = "no capture";
        int compared = 0;
        DWORD start = GetTickCount();
        do {
            if (CaptureClient(mainWindow, dialog, &capture) == 0) {
                mismatches = CompareProbes(capture, points, expected, &compared);
                if (mismatches.empty()) break;
            }
            Sleep(50);
        } while (GetTickCount() - start < kPaintWaitMs);
        EXPECT_EQ(mismatches, "") << "client area " << capture.width << "x" << capture.height;
        EXPECT_GT(compared, (int)points.size() / 2) << "too few pixels outside the dialog";
    }

    // Waits for the target directory dialog, checks that the main window shows the plain
    // workspace colour around it, and cancels.
    void ExpectWorkspaceColourThenCancel()
    {
        ASSERT_NO_FATAL_FAILURE(WaitForDirectoryDialog());
        RECT client;
        GetClientRect(mainWindow, &client);
        COLORREF workspace = GetSysColor(COLOR_APPWORKSPACE);
        ExpectClientPixels(GridPoints(client.right, client.bottom, 37),
                           [workspace](int, int) { return workspace; });
        CancelAndExpectCleanEnd();
    }

    // Cancels the target directory dialog; the program ends without a report, with the status
    // of that Cancel.
    void CancelAndExpectCleanEnd()
    {
        ASSERT_EQ(PressButton(dialog, IDC_DIRECTORY_CANCEL), 0);
        ExpectExitStatus(kExitDirectoryCancelled);
    }

    const char* caption = kTestCaption;
    HWND dialog = 0;
    HWND mainWindow = 0;
};

TEST_F(BackgroundTest, TilesThePictureFromTheClientAreasTopLeftCorner)
{
    LayOutMedium("quillor-e2e-background-tiles", "Bitmap=TILE.BMP", &medium);
    ASSERT_EQ(WriteFileBytes(medium.folder + "\\TILE.BMP", TestBitmap()), 0);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WaitForDirectoryDialog());
    RECT client;
    GetClientRect(mainWindow, &client);
    ASSERT_GT(client.right, kTileWidth);
    ASSERT_GT(client.bottom, kTileHeight);
    ExpectClientPixels(TileProbePoints(client.right, client.bottom), [](int x, int y) {
        return TilePixel(x % kTileWidth, y % kTileHeight);
    });
    CancelAndExpectCleanEnd();
}

TEST_F(BackgroundTest, ShowsTheWorkspaceColourWithoutABitmapKey)
{
    LayOutMedium("quillor-e2e-background-plain", "", &medium);
    ASSERT_NO_FATAL_FAILURE(Start());
    ExpectWorkspaceColourThenCancel();
}

TEST_F(BackgroundTest, TilesTheSampleMediumsPicture)
{
    ASSERT_EQ(CreateSampleMedium("quillor-e2e-background-sample", &medium), 0);
    Picture picture;
    ASSERT_EQ(ReadPicture(medium.folder + "\\SETUP.BMP", &picture), 0);
    caption = "Quillor Setup";
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WaitForDirectoryDialog());
    RECT client;
    GetClientRect(mainWindow, &client);
    ExpectClientPixels(RowAndColumnPoints(client.right, client.bottom, 97),
                       [&picture](int x, int y) {
                           return PicturePixel(picture, x % picture.width, y % picture.height);
                       });
    CancelAndExpectCleanEnd();
}

// A picture that cannot be used: its file's name and content, and the message it brings.
struct BrokenPicture {
    const char* name;
    const char* fileName;        // the Bitmap value
    int written;                 // 0: no file; otherwise the number of bytes of the test picture
    const char* messageFormat;   // the message, with %s for the picture's full path
};

class BrokenPictureTest : public BackgroundTest,
                          public ::testing::WithParamInterface<BrokenPicture> {};

TEST_P(BrokenPictureTest, ShowsItsMessageThenThePlainBackground)
{
    const BrokenPicture& picture = GetParam();
    std::string bitmapLine = std::string("Bitmap=") + picture.fileName;
    LayOutMedium((std::string("quillor-e2e-background-") + picture.name).c_str(),
                 bitmapLine.c_str(), &medium);
    if (picture.written > 0) {
        std::string bytes = TestBitmap().substr(0, picture.written);
        ASSERT_EQ(WriteFileBytes(medium.folder + "\\" + picture.fileName, bytes), 0);
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    std::string path = medium.folder + "\\" + picture.fileName;
    char expected[512];
    wsprintfA(expected, picture.messageFormat, path.c_str());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(IDOK, kClassName, expected));

    ExpectWorkspaceColourThenCancel();
}

const BrokenPicture kBrokenPictures[] = {
    {"Missing", "NOPE.BMP", 0, "Cannot open \"%s\" !"},
    {"HeaderCut", "SHORT.BMP", 10, "Cannot read \"%s\" !"},
    {"PixelsCut", "CUT.BMP", 54 + 300 * 20, "Cannot read \"%s\" !"},
};

INSTANTIATE_TEST_SUITE_P(Pictures, BrokenPictureTest, ::testing::ValuesIn(kBrokenPictures),
                         [](const ::testing::TestParamInfo<BrokenPicture>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
