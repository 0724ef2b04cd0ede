#include "EditorTestSupport.h"

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    ::testing::AddGlobalTestEnvironment (new testing_support::GuiEnvironment());
    return RUN_ALL_TESTS();
}
