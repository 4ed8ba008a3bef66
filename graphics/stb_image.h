// stb_image.h - the PNG decoder compiled in stb_image.cpp (PNG only, at most
// 16384 pixels a side). Include this rather than <stb/stb_image.h>.

#ifndef NUBRIX_GRAPHICS_STB_IMAGE_H
#define NUBRIX_GRAPHICS_STB_IMAGE_H

#include <stb/stb_image.h>

#endif
