#include <gtest/gtest.h>

#include "framework/PathText.h"

using Steps = std::vector<std::string>;

TEST(DirectoryPath, CreatesEachLevelFromTheRootDown)
{
    EXPECT_EQ(DirectoryPathSteps("C:\\Book\\Samples\\Data"),
              (Steps{"C:\\Book", "C:\\Book\\Samples", "C:\\Book\\Samples\\Data"}));
    EXPECT_EQ(DirectoryPathSteps("C:\\Book\\"), (Steps{"C:\\Book"}));
    EXPECT_EQ(DirectoryPathSteps("Book\\Samples"), (Steps{"Book", "Book\\Samples"}));
    EXPECT_EQ(DirectoryPathSteps("\\Book"), (Steps{"\\Book"}));
    EXPECT_EQ(DirectoryPathSteps("C:Book"), (Steps{"C:Book"}));
    EXPECT_EQ(DirectoryPathSteps("C:\\"), Steps{});
    EXPECT_EQ(DirectoryPathSteps(""), Steps{});
}

TEST(DirectoryPath, RefusesNetworkPathsAndOverlongPaths)
{
    EXPECT_FALSE(DirectoryPathSteps("\\\\server\\share\\dir"));
    EXPECT_TRUE(DirectoryPathSteps("C:\\" + std::string(256, 'a')));
    EXPECT_FALSE(DirectoryPathSteps("C:\\" + std::string(257, 'a')));
}
