// The tray agent's status image: a PNG file compiled into the program
// (StatusImage.cmake).
#pragma once

#include <cstddef>

#include <wx/bitmap.h>

extern const unsigned char g_statusImage[];
extern const std::size_t g_statusImageSize;

// The image decoded (needs the PNG handler); an invalid bitmap if it cannot be.
wxBitmap LoadStatusImage();
