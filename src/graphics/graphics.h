// src/graphics/: texture table, sprites, fonts, text and digit numbers. Includes only platform/
// and graphics/; it takes full paths and knows no theme folder.
//
// The graphics layer in one include: texture table and sprites, fonts and text, digit numbers.
#pragma once
#include "graphics/number.h"
#include "graphics/sprite.h"
#include "graphics/text.h"
#include "graphics/texture.h"
