// The graphics layer in one include: texture table and sprites, fonts and text, digit numbers.
#pragma once
#include "graphics/number.h"
#include "graphics/sprite.h"
#include "graphics/text.h"
#include "graphics/texture.h"
