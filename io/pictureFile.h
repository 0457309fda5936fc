#pragma once
// Pictures of the view as numbered PNG files that never replace one already there.

#include <cstddef>
#include <string>
#include <vector>

// The most pixels a picture may have: reading, turning and encoding one holds several copies of
// it at once, and a window stretched far past any screen would take gigabytes.
constexpr std::size_t MAX_PICTURE_PIXELS = 40'000'000;

// Why a view of width x height pixels cannot be pictured; empty when it can.
std::string pictureSizeRefusal(int width, int height);

struct WindowSize {
    int width;
    int height;
};

// The window a picture can be made of: width x height itself when it holds at most
// MAX_PICTURE_PIXELS, else the largest of the same shape that does.
WindowSize pictureSizedWindow(int width, int height);

// An 8-bit RGB picture, rows from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // width * height * 3 bytes
};

// "landscape-N.png".
std::string pictureFileName(int n);

// Writes `picture` as PNG to `folder`/landscape-N.png for the first N from 1 whose name is
// free, created exclusively so no file (or link) already there is touched; a failed write
// leaves no file. Returns the name written, or "" when none could be, with `reason` saying why.
std::string writeNewPicture(const std::string& folder, const Picture& picture, std::string& reason);
