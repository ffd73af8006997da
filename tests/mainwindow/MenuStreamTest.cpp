// The program carries the stream of its line menu's control.

#include "mainwindow/MenuStream.h"

#include <gtest/gtest.h>

TEST(MenuStream, TheProgramCarriesTheStreamOfItsLineMenu) {
    std::span<const std::uint8_t> bytes = MainMenuStream();
    ASSERT_LT(20u, bytes.size());
    const std::uint8_t signature[] = {0x21, 0x43, 0x34, 0x12};
    EXPECT_TRUE(std::equal(signature, signature + 4, bytes.begin()));
    const std::uint8_t version[] = {0x00, 0x00, 0x05, 0x00};
    EXPECT_TRUE(std::equal(version, version + 4, bytes.begin() + 16));
}
