#include "mainwindow/Pictures.h"

#include "app/Form.h"

#include <map>

HICON LoadPicture(int resourceId, int widthAt96, int heightAt96) {
    static std::map<int, HICON> loaded;
    auto found = loaded.find(resourceId);
    if (found != loaded.end()) return found->second;
    int width = MulDiv(widthAt96, Form::Dpi(), 96);
    int height = MulDiv(heightAt96, Form::Dpi(), 96);
    auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                              width, height, LR_DEFAULTCOLOR));
    loaded[resourceId] = icon;
    return icon;
}
