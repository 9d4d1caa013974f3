#include <gtest/gtest.h>

#include "framework/SafeFormat.h"

TEST(SafeFormat, SubstitutesInOrderAndKeepsStrayPercents)
{
    EXPECT_EQ(FormatText("100% done with %s", {"Book"}), "100% done with Book");
    EXPECT_EQ(FormatText("'%s' has '%c' at %d", {"A*B", '*', 2}), "'A*B' has '*' at 2");
    EXPECT_EQ(FormatText("%%s is literal", {"x"}), "%s is literal");
    EXPECT_EQ(FormatText("trailing %"), "trailing %");
}

TEST(SafeFormat, ConversionsWithoutOrWithWrongArgumentsStayLiteral)
{
    EXPECT_EQ(FormatText("%s and %s", {"one"}), "one and %s");
    EXPECT_EQ(FormatText("%n%p%x%08d", {}), "%n%p%x%08d");
    // %d given a string: written literally, the string is used up.
    EXPECT_EQ(FormatText("%d then %s", {"text", "next"}), "%d then next");
    EXPECT_EQ(FormatText("no conversions", {"surplus"}), "no conversions");
}
