// The test side's dialog answerer: a dialog that never comes fails the test instead of hanging it.
#include <windows.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "DialogAnswerer.h"

namespace {
// Waits for a dialog that never comes while a message box of the test's own thread is in the way.
int WaitInVain()
{
    DialogAnswerer answerer({{TitledDialog("Never Shown"), IDOK}}, {}, std::chrono::milliseconds(300));
    const int result = ::MessageBoxA(nullptr, "In the way", "Other", MB_OKCANCEL);
    EXPECT_FALSE(answerer.Finished());
    return result;
}
}  // namespace

TEST(DialogAnswerer, AStepThatNeverComesFailsTheTestAndEndsTheModalLoop)
{
    int result = 0;
    EXPECT_NONFATAL_FAILURE(
        result = WaitInVain(),
        "Waited 300 ms for the dialog 'Never Shown' (step 1 of 1); open dialogs: 'Other' (In the way)");
    EXPECT_EQ(result, IDCANCEL) << "the box in the way was cancelled";
}
