// stb_image.cpp - the one place the PNG decoder is compiled.
//
// Only PNG is built in: every image the program loads is a PNG, and each
// format left out is decoder code that hostile files cannot reach. Pictures
// wider or taller than 16384 pixels are refused before any pixel memory is
// allocated; no texture the program can create is that large anyway.

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_MAX_DIMENSIONS 16384
#define STBI_FAILURE_USERMSG

#include <stb/stb_image.h>
