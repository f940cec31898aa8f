// Tests of the bounded text routines.
#include <gtest/gtest.h>

#include <string.h>

#include "text/bounded_text.h"

TEST(CompareCounted, PrefixAndCaseAndSignedBytes)
{
    EXPECT_EQ(0, CompareCounted("Bitmap2=x", "Bitmap", 6));
    EXPECT_EQ(1, CompareCounted("bitmap=x", "Bitmap", 6));
    EXPECT_EQ(-1, CompareCounted("\xE9", "e", 1));
    EXPECT_EQ(0, CompareCounted("anything", "", 0));
    EXPECT_EQ(0, CompareCounted("a", "b", -3));
    EXPECT_EQ(-1, CompareCounted("Inst", "Install", 7));  // the terminator differs
}

TEST(CopyBounded, CutsAtCapacity)
{
    char buffer[128];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(0, CopyBounded(buffer, 0, "abc", 3));
    EXPECT_EQ('x', buffer[0]);
    EXPECT_EQ(0, CopyBounded(buffer, 1, "abc", 3));
    EXPECT_EQ('\0', buffer[0]);

    char source[200];
    memset(source, 'a', sizeof source);
    EXPECT_EQ(127, CopyBounded(buffer, 128, source, 200));
    EXPECT_EQ('\0', buffer[127]);
    EXPECT_EQ(127u, strlen(buffer));

    EXPECT_EQ(3, CopyBounded(buffer, 128, "a\0b", 3));  // zero bytes inside the count are copied
    EXPECT_EQ('b', buffer[2]);
}

TEST(AppendBounded, StopsAtTheWholeBuffersCapacity)
{
    char buffer[128];
    memset(buffer, 'y', sizeof buffer);
    EXPECT_EQ(127, AppendBounded(buffer, 128, 120, "0123456789", 10));
    EXPECT_EQ('6', buffer[126]);
    EXPECT_EQ('\0', buffer[127]);
    EXPECT_EQ(5, AppendBounded(buffer, 128, 5, "abc", 0));
    EXPECT_EQ('\0', buffer[5]);
    buffer[5] = 'z';
    EXPECT_EQ(128, AppendBounded(buffer, 128, 128, "abc", 3));
    EXPECT_EQ('z', buffer[5]);

    int length = CopyBounded(buffer, 128, "C:\\Apps", 7);
    length = AppendBounded(buffer, 128, length, "\\", 1);
    length = AppendBounded(buffer, 128, length, "Ed", 2);
    EXPECT_STREQ("C:\\Apps\\Ed", buffer);
    EXPECT_EQ(10, length);
}

TEST(NextField, SplitsEmptyFieldsAndCutsLongOnes)
{
    const char* cursor = "a,,b";
    char field[260];
    NextField(&cursor, field, sizeof field, ',');
    EXPECT_STREQ("a", field);
    NextField(&cursor, field, sizeof field, ',');
    EXPECT_STREQ("", field);
    NextField(&cursor, field, sizeof field, ',');
    EXPECT_STREQ("b", field);
    NextField(&cursor, field, sizeof field, ',');
    EXPECT_STREQ("", field);
    EXPECT_EQ('\0', *cursor);

    char text[310];
    memset(text, 'q', 300);
    strcpy(text + 300, ",next");
    cursor = text;
    NextField(&cursor, field, sizeof field, ',');
    EXPECT_EQ(259u, strlen(field));
    EXPECT_STREQ("next", cursor);
}

TEST(SplitPath, Table)
{
    struct Row {
        const char* path;
        int drive, dir, ext;
    } rows[] = {
        {"E:\\SETUP\\SETUP.EXE", 2, 9, 14},
        {"D:\\INSTALL\\DISK1\\SETUP.EXE", 2, 17, 22},
        {"\\\\SERVER\\SHARE\\SETUP.EXE", 0, 15, 20},
        {"E:SETUP.EXE", 2, 2, 7},
        {"E:\\DIR.X\\SETUP", 2, 9, 0},
        {"SETUP", 0, 0, 0},
        {"A.B.Z", 0, 0, 3},
        {"", 0, 0, 0},
        {"E:\\DIR\\", 2, 7, 0},
    };
    for (const Row& row : rows) {
        PathSplit split = SplitPath(row.path);
        EXPECT_EQ(row.drive, split.driveLength) << row.path;
        EXPECT_EQ(row.dir, split.dirLength) << row.path;
        EXPECT_EQ(row.ext, split.extPosition) << row.path;
    }
}

TEST(StandardServices, LastCharDecimalAndDrive)
{
    char value[] = "A;B;X.TXT";
    EXPECT_EQ(value + 3, FindLastChar(value, ';'));
    EXPECT_EQ(nullptr, FindLastChar(value, '%'));

    EXPECT_EQ(12, ParseDecimal(" \t12abc"));
    EXPECT_EQ(-7, ParseDecimal("-7"));
    EXPECT_EQ(5, ParseDecimal("+5"));
    EXPECT_EQ(0, ParseDecimal("x1"));
    EXPECT_EQ(0, ParseDecimal(""));
    EXPECT_EQ(-294967296, ParseDecimal("4000000000"));  // wraps as a 32-bit value

    EXPECT_EQ(3, DriveNumberOf("C:\\Temp"));
    EXPECT_EQ(4, DriveNumberOf("d:\\"));
    EXPECT_EQ(0, DriveNumberOf("\\\\srv\\share"));
    EXPECT_EQ(0, DriveNumberOf(""));
}
