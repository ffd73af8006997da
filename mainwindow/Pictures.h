#pragma once
// The pictures of the main window, loaded once from the program's resources at the size
// that suits the screen's dpi. They live as long as the process.
#include <windows.h>

HICON LoadPicture(int resourceId, int widthAt96, int heightAt96);
