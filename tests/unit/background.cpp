// Tests of the background bitmap: the header checks, and reading and tiling real BMP files.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "background/bitmap_header.h"

namespace {

struct BmpFields {
    unsigned offBits;
    unsigned infoSize;
    int width;
    int height;
    unsigned bitCount;
    unsigned compression;
    unsigned imageSize;
    unsigned colorsUsed;
};

void Put16(std::vector<unsigned char>& bytes, size_t at, unsigned value)
{
    bytes[at] = value & 0xFF;
    bytes[at + 1] = (value >> 8) & 0xFF;
}

void Put32(std::vector<unsigned char>& bytes, size_t at, unsigned value)
{
    Put16(bytes, at, value & 0xFFFF);
    Put16(bytes, at + 2, value >> 16);
}

// The 14-byte file header followed by the 40-byte information header.
std::vector<unsigned char> MakeHeaders(const BmpFields& fields)
{
    std::vector<unsigned char> bytes(kFileHeaderSize + kInfoHeaderSize, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 10, fields.offBits);
    Put32(bytes, 14, fields.infoSize);
    Put32(bytes, 18, static_cast<unsigned>(fields.width));
    Put32(bytes, 22, static_cast<unsigned>(fields.height));
    Put16(bytes, 26, 1);
    Put16(bytes, 28, fields.bitCount);
    Put32(bytes, 30, fields.compression);
    Put32(bytes, 34, fields.imageSize);
    Put32(bytes, 46, fields.colorsUsed);
    return bytes;
}

struct HeaderRow {
    const char* name;
    BmpFields fields;
    unsigned long long fileSize;
    int expected;
    unsigned headerBytes;
    unsigned pixelBytes;
};

}  // namespace

TEST(CheckBitmapHeader, Table)
{
    const int kMinInt = -2147483647 - 1;
    const HeaderRow rows[] = {
        // A 3 x 2 picture of 24 bits has rows of 12 bytes: 24 pixel bytes.
        {"24-bit as written", {54, 40, 3, 2, 24, 0, 24, 0}, 78, kBitmapUsable, 40, 24},
        {"biSizeImage 0", {54, 40, 3, 2, 24, 0, 0, 0}, 78, kBitmapUsable, 40, 24},
        {"biSizeImage short", {54, 40, 3, 2, 24, 0, 10, 0}, 78, kBitmapUsable, 40, 24},
        {"biSizeImage larger, inside", {54, 40, 3, 2, 24, 0, 30, 0}, 90, kBitmapUsable, 40, 30},
        {"bytes after the pixels", {54, 40, 3, 2, 24, 0, 24, 0}, 5000, kBitmapUsable, 40, 24},
        {"top-down", {54, 40, 3, -2, 24, 0, 0, 0}, 78, kBitmapUsable, 40, 24},
        {"1-bit rows round to 4 bytes", {62, 40, 33, 1, 1, 0, 0, 0}, 70, kBitmapUsable, 48, 8},
        {"8-bit, full colour table", {1078, 40, 3, 2, 8, 0, 0, 0}, 1086, kBitmapUsable, 1064, 8},
        {"8-bit, 2 colours used", {62, 40, 3, 2, 8, 0, 0, 2}, 70, kBitmapUsable, 48, 8},
        {"32-bit bit fields", {66, 40, 2, 2, 32, 3, 0, 0}, 82, kBitmapUsable, 52, 16},
        {"RLE8 with its size", {1078, 40, 50, 50, 8, 1, 100, 0}, 1178, kBitmapUsable, 1064, 100},
        {"gap before the pixels", {100, 40, 3, 2, 24, 0, 0, 0}, 124, kBitmapUsable, 86, 24},

        {"pixels cut", {54, 40, 3, 2, 24, 0, 0, 0}, 77, kBitmapTruncated, 0, 0},
        {"biSizeImage past the end", {54, 40, 3, 2, 24, 0, 25, 0}, 78, kBitmapTruncated, 0, 0},
        {"huge biSizeImage", {54, 40, 3, 2, 24, 0, 0xFFFFFFFF, 0}, 78, kBitmapTruncated, 0, 0},
        {"cut in the colour table", {1078, 40, 3, 2, 8, 0, 0, 0}, 600, kBitmapTruncated, 0, 0},
        {"bfOffBits far past the end", {0xFFFFFFF0, 40, 3, 2, 24, 0, 0, 0}, 78, kBitmapTruncated,
         0, 0},

        {"bfOffBits 53", {53, 40, 3, 2, 24, 0, 0, 0}, 78, kBitmapUnusable, 0, 0},
        {"core header", {54, 12, 3, 2, 24, 0, 0, 0}, 78, kBitmapUnusable, 0, 0},
        {"header past bfOffBits", {54, 108, 3, 2, 24, 0, 0, 0}, 200, kBitmapUnusable, 0, 0},
        {"width 0", {54, 40, 0, 2, 24, 0, 0, 0}, 78, kBitmapUnusable, 0, 0},
        {"height 0", {54, 40, 3, 0, 24, 0, 0, 0}, 78, kBitmapUnusable, 0, 0},
        {"negative width", {54, 40, -3, 2, 24, 0, 0, 0}, 78, kBitmapUnusable, 0, 0},
        {"height of the least int", {54, 40, 3, kMinInt, 24, 0, 0, 0}, 78, kBitmapUnusable, 0, 0},
        {"width of the largest int", {54, 40, 2147483647, 1, 32, 0, 0, 0}, 1ull << 40,
         kBitmapUnusable, 0, 0},
        {"absurd pixel count", {54, 40, 32767, 32767, 32, 0, 0, 0}, 1ull << 40, kBitmapUnusable,
         0, 0},
        {"bit count 7", {54, 40, 3, 2, 7, 0, 0, 0}, 78, kBitmapUnusable, 0, 0},
        {"8-bit without colour table", {54, 40, 3, 2, 8, 0, 0, 0}, 78, kBitmapUnusable, 0, 0},
        {"colours used past the table", {62, 40, 3, 2, 24, 0, 0, 3}, 200, kBitmapUnusable, 0, 0},
        {"bit fields without masks", {54, 40, 2, 2, 32, 3, 0, 0}, 82, kBitmapUnusable, 0, 0},
        {"bit fields on 24 bits", {66, 40, 2, 2, 24, 3, 0, 0}, 82, kBitmapUnusable, 0, 0},
        {"RLE8 without size", {1078, 40, 50, 50, 8, 1, 0, 0}, 5000, kBitmapUnusable, 0, 0},
        {"RLE8 top-down", {1078, 40, 50, -50, 8, 1, 100, 0}, 1178, kBitmapUnusable, 0, 0},
        {"JPEG", {54, 40, 3, 2, 24, 4, 10, 0}, 78, kBitmapUnusable, 0, 0},
    };
    for (const HeaderRow& row : rows) {
        std::vector<unsigned char> bytes = MakeHeaders(row.fields);
        BitmapSizes sizes = {0xDEAD, 0xBEEF};
        int result = CheckBitmapHeader(bytes.data(), bytes.data() + kFileHeaderSize, row.fileSize,
                                       &sizes);
        EXPECT_EQ(row.expected, result) << row.name;
        if (row.expected == kBitmapUsable) {
            EXPECT_EQ(row.headerBytes, sizes.headerBytes) << row.name;
            EXPECT_EQ(row.pixelBytes, sizes.pixelBytes) << row.name;
        } else {
            EXPECT_EQ(0xDEADu, sizes.headerBytes) << row.name;
        }
    }
}

#ifdef _WIN32
#include <windows.h>

#include "background/background_bitmap.h"
#include "base/setup_state.h"
#include "files.h"
#include "window_watch.h"

namespace {

std::string Bytes(const std::vector<unsigned char>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// The 3 x 2 test picture, top row first, as the platform's colour values.
const COLORREF kPicture[6] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255),
                              RGB(255, 255, 255), RGB(0, 0, 0), RGB(0x12, 0x34, 0x56)};

// The test picture as a 24-bit file; imageSize is written as given.
std::vector<unsigned char> Picture24(unsigned imageSize)
{
    std::vector<unsigned char> bytes = MakeHeaders({54, 40, 3, 2, 24, 0, imageSize, 0});
    for (int row = 1; row >= 0; row--) {   // bottom-up
        for (int column = 0; column < 3; column++) {
            COLORREF color = kPicture[row * 3 + column];
            bytes.push_back(GetBValue(color));
            bytes.push_back(GetGValue(color));
            bytes.push_back(GetRValue(color));
        }
        bytes.insert(bytes.end(), 3, 0);   // rows of 12 bytes
    }
    return bytes;
}

// The test picture as an 8-bit file with a 6-colour table.
std::vector<unsigned char> Picture8()
{
    std::vector<unsigned char> bytes = MakeHeaders({54 + 24, 40, 3, 2, 8, 0, 0, 6});
    for (COLORREF color : kPicture) {
        bytes.push_back(GetBValue(color));
        bytes.push_back(GetGValue(color));
        bytes.push_back(GetRValue(color));
        bytes.push_back(0);
    }
    const unsigned char pixels[8] = {3, 4, 5, 0, 0, 1, 2, 0};
    bytes.insert(bytes.end(), pixels, pixels + 8);
    return bytes;
}

std::vector<unsigned char> Cut(std::vector<unsigned char> bytes, size_t size)
{
    bytes.resize(size);
    return bytes;
}

std::vector<unsigned char> WithSignature(std::vector<unsigned char> bytes)
{
    bytes[0] = 'X';
    bytes[1] = 'Y';
    return bytes;
}

std::vector<unsigned char> WithTrailer(std::vector<unsigned char> bytes)
{
    bytes.insert(bytes.end(), 100, 0xEE);
    return bytes;
}

void ExpectTestPicture(HBITMAP bitmap, const char* name)
{
    BITMAP info;
    ASSERT_EQ(static_cast<int>(sizeof info), GetObjectA(bitmap, sizeof info, &info)) << name;
    EXPECT_EQ(3, info.bmWidth) << name;
    EXPECT_EQ(2, info.bmHeight) << name;
    HDC memoryDc = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(memoryDc, bitmap);
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(kPicture[i], GetPixel(memoryDc, i % 3, i / 3)) << name << " pixel " << i;
    SelectObject(memoryDc, previous);
    DeleteDC(memoryDc);
}

struct LoadRow {
    const char* name;
    std::vector<unsigned char> bytes;
    const char* format;   // the message expected, its %s the path; 0 when the picture loads
};

class LoadBitmapFileTest : public ::testing::Test {
protected:
    // Loads file into a bitmap, answering every message box.
    HBITMAP Load(const std::string& file, std::vector<SeenMessageBox>* answered)
    {
        HBITMAP bitmap = 0;
        HDC screen = GetDC(NULL);
        AnswerEveryMessageBoxDuring(answered, [&] {
            bitmap = LoadBitmapFile(GetModuleHandleA(NULL), "Install", NULL, file.c_str(),
                                    screen);
        });
        ReleaseDC(NULL, screen);
        return bitmap;
    }

    TempFolder folder;
    std::string path = folder.path + "\\picture.bmp";
};

}  // namespace

TEST_F(LoadBitmapFileTest, ReadsOrRefusesFiles)
{
    std::vector<unsigned char> good = Picture24(24);
    const LoadRow rows[] = {
        {"24-bit picture", good, 0},
        {"biSizeImage 0", Picture24(0), 0},
        {"bytes after the pixels", WithTrailer(good), 0},
        {"other signature", WithSignature(good), 0},
        {"8-bit picture", Picture8(), 0},
        {"pixels cut", Cut(good, good.size() - 1), "Cannot read \"%s\" !"},
        {"file header cut", Cut(good, 10), "Cannot read \"%s\" !"},
        {"information header cut", Cut(good, 30), "Cannot read \"%s\" !"},
        {"colour table cut", Cut(Picture8(), 70), "Cannot read \"%s\" !"},
        {"empty file", {}, "Cannot read \"%s\" !"},
        {"bfOffBits 20", MakeHeaders({20, 40, 3, 2, 24, 0, 0, 0}), "%s: cannot create bitmap !"},
        {"width 0", WithTrailer(MakeHeaders({54, 40, 0, 2, 24, 0, 0, 0})),
         "%s: cannot create bitmap !"},
        {"PNG inside", WithTrailer(MakeHeaders({54, 40, 3, 2, 0, 5, 50, 0})),
         "%s: cannot create bitmap !"},
    };
    for (const LoadRow& row : rows) {
        ASSERT_EQ(0, WriteFileBytes(path, Bytes(row.bytes))) << path;
        std::vector<SeenMessageBox> answered;
        HBITMAP bitmap = Load(path, &answered);
        if (row.format == 0) {
            ASSERT_NE(nullptr, bitmap) << row.name;
            ExpectTestPicture(bitmap, row.name);
            EXPECT_EQ(0u, answered.size()) << row.name;
            DeleteObject(bitmap);
        } else {
            char expected[512];
            wsprintfA(expected, row.format, path.c_str());
            EXPECT_EQ(nullptr, bitmap) << row.name;
            ASSERT_EQ(1u, answered.size()) << row.name;
            EXPECT_EQ(expected, answered[0].text) << row.name;
            EXPECT_EQ("Install", answered[0].caption) << row.name;
        }
    }

    std::vector<SeenMessageBox> empty;
    EXPECT_EQ(nullptr, Load("", &empty));
    EXPECT_EQ(0u, empty.size());
}

// The picture is taken from the program's directory, and the split of modulePath that the
// copy engine extends stays as start-up left it.
TEST(LoadBackground, TakesTheProgramsDirectoryAndKeepsTheSharedSplit)
{
    std::string directory = ProgramFolder() + "\\";
    std::string picture = directory + "background-test.bmp";
    ASSERT_EQ(0, WriteFileBytes(picture, Bytes(Picture24(0))));

    setupState.instance = GetModuleHandleA(NULL);
    lstrcpyA(setupState.className, "Install");
    lstrcpyA(setupState.bitmapFile, "background-test.bmp");
    setupState.driveLength = 2;
    setupState.dirLength = 7;
    setupState.extPosition = 11;
    std::vector<SeenMessageBox> answered;
    AnswerEveryMessageBoxDuring(&answered, [] { LoadBackground(NULL); });
    DeleteFileA(picture.c_str());

    EXPECT_EQ(0u, answered.size());
    ASSERT_NE(nullptr, setupState.backgroundBitmap);
    ExpectTestPicture(setupState.backgroundBitmap, "background");
    EXPECT_EQ(picture.substr(0, kTextCapacity - 1), setupState.bitmapPath);
    EXPECT_EQ(2, setupState.driveLength);
    EXPECT_EQ(7, setupState.dirLength);
    EXPECT_EQ(11, setupState.extPosition);

    HBITMAP bitmap = setupState.backgroundBitmap;
    DeleteBackground();
    EXPECT_EQ(nullptr, setupState.backgroundBitmap);
    EXPECT_EQ(0u, GetObjectType(bitmap));
    DeleteBackground();
    EXPECT_EQ(nullptr, setupState.backgroundBitmap);

    lstrcpyA(setupState.bitmapFile, "no-such-picture.bmp");
    std::vector<SeenMessageBox> missing;
    AnswerEveryMessageBoxDuring(&missing, [] { LoadBackground(NULL); });
    ASSERT_EQ(1u, missing.size());
    EXPECT_EQ("Cannot open \"" + directory + "no-such-picture.bmp\" !", missing[0].text);
    EXPECT_EQ(nullptr, setupState.backgroundBitmap);
    setupState.bitmapFile[0] = '\0';
}

namespace {

LRESULT CALLBACK TiledWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        KeepClientSize(lParam);
        return 0;
    case WM_PAINT:
        PaintBackground(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

// Tiles start at the top-left corner and repeat every width and height, clipped at the edges.
TEST(PaintBackground, TilesFromTheTopLeftCorner)
{
    TempFolder folder;
    std::string path = folder.path + "\\tile-test.bmp";
    ASSERT_EQ(0, WriteFileBytes(path, Bytes(Picture24(24))));
    HDC screen = GetDC(NULL);
    std::vector<SeenMessageBox> answered;
    AnswerEveryMessageBoxDuring(&answered, [&] {
        setupState.backgroundBitmap =
            LoadBitmapFile(GetModuleHandleA(NULL), "Install", NULL, path.c_str(), screen);
    });
    ReleaseDC(NULL, screen);
    DeleteFileA(path.c_str());
    ASSERT_NE(nullptr, setupState.backgroundBitmap);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TiledWindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = "TileTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "TileTest", "", WS_POPUP | WS_VISIBLE, 0, 0, 8, 5, NULL,
                                  NULL, GetModuleHandleA(NULL), NULL);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(8, setupState.clientWidth);
    EXPECT_EQ(5, setupState.clientHeight);
    UpdateWindow(window);

    // Memory of what was painted: the window's own surface copied into a bitmap.
    HDC windowDc = GetDC(window);
    HDC copyDc = CreateCompatibleDC(windowDc);
    HBITMAP copy = CreateCompatibleBitmap(windowDc, 8, 5);
    HGDIOBJ previous = SelectObject(copyDc, copy);
    BitBlt(copyDc, 0, 0, 8, 5, windowDc, 0, 0, SRCCOPY);
    for (int y = 0; y < 5; y++) {
        for (int x = 0; x < 8; x++)
            EXPECT_EQ(kPicture[(y % 2) * 3 + x % 3], GetPixel(copyDc, x, y)) << x << "," << y;
    }
    SelectObject(copyDc, previous);
    DeleteObject(copy);
    DeleteDC(copyDc);
    ReleaseDC(window, windowDc);
    DestroyWindow(window);
    UnregisterClassA("TileTest", GetModuleHandleA(NULL));
    DeleteBackground();
    setupState.clientWidth = 0;
    setupState.clientHeight = 0;
}

#endif
