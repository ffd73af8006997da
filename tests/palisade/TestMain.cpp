#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

// The control lives in a single-threaded apartment, as on a host's window thread.
int main(int argc, char** argv) {
    OleInitialize(nullptr);
    testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    OleUninitialize();
    return rc;
}
