// Assertions shared by the unit and the end-to-end tests: paths that the shell may store in another case, and shortcut files read back.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "files.h"
#include "links.h"

// Paths compare without regard to case: the shell may store a long form in another case.
#define EXPECT_SAME_PATH(expected, actual)                                                  \
    EXPECT_EQ(0, lstrcmpiA(std::string(expected).c_str(), std::string(actual).c_str())) \
        << (expected) << " / " << (actual)

// Checks a shortcut file against the target, description, icon file and index it must carry;
// every shortcut opens its target in a normal window.
inline void ExpectLink(const std::string& path, const std::string& target,
                       const std::string& description, const std::string& iconFile, int iconIndex)
{
    SCOPED_TRACE(path);
    ASSERT_TRUE(PathExists(path));
    LinkContents link = LoadLink(path);
    ASSERT_EQ(S_OK, link.status);
    EXPECT_SAME_PATH(target, link.target);
    EXPECT_EQ(description, link.description);
    EXPECT_SAME_PATH(iconFile, link.iconFile);
    EXPECT_EQ(iconIndex, link.iconIndex);
    EXPECT_EQ(SW_SHOWNORMAL, link.showCommand);
}
