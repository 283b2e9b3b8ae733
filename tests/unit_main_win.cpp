// Test runner under Wine: the same tests, now against the code page Windows reports.
#include <gtest/gtest.h>

#include "engine/code_page_win.h"

int main(int argc, char** argv) {
    UseSystemText();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
