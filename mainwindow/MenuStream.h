#pragma once
// The persisted stream of the main window's toolbar control TB (its popup menu
// "MenuPop"), carried by the program as resource IDR_MENU_STREAM.

#include <cstdint>
#include <span>

// The stream's bytes, read from the program's resources; empty when missing.
std::span<const std::uint8_t> MainMenuStream();
