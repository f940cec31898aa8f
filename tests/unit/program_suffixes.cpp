// Tests of the suffixes that are never bound to the editor.
#include <gtest/gtest.h>

#include "system/suffix_walk.h"

TEST(IsProgramSuffix, Table)
{
    const struct {
        const char* key;
        int runs;
    } rows[] = {
        {".exe", 1}, {".EXE", 1},  {".Cmd", 1},   {".ps1", 1},   {".js", 1},  {".reg", 1},
        {".lnk", 1}, {".msi", 1},  {".url", 1},   {".appref-ms", 1},         {".txt", 0},
        {".ex", 0},  {".exe2", 0}, {"..exe", 0},  {".", 0},      {".log", 0}, {".jss", 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.runs, IsProgramSuffix(row.key)) << row.key;
}
