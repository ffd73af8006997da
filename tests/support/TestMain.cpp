#include <gtest/gtest.h>

#include "app/Utils.h"

int main(int argc, char** argv) {
    bastide::InitCommonControls();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
