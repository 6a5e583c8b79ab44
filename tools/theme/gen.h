// The default theme and demo song generator: shared output helpers.
#pragma once
#include <string>

#include "audio.h"
#include "canvas.h"

namespace themegen {

// Where everything goes: the theme folder and the game folder (the build root).
void SetOutput(const std::string& gameDir, const std::string& themeDir, bool contactSheet);
const std::string& GameDir();
// Creates every folder of a path; -1 on failure.
int MakeDirs(const std::string& path);
// Saves a picture under the theme folder (path relative to it) and remembers a thumbnail
// for the contact sheet.
void SavePicture(const Image& img, const std::string& rel);
void SaveSound(const Audio& a, const std::string& rel);
void SaveThemeText(const std::string& rel, const std::string& text);
// Writes a file anywhere (absolute path); counts failures.
void SaveFile(const std::string& path, const std::string& bytes);
void CountFailure(const std::string& what);
int Failures();
int PicturesWritten();
// Lays every saved picture out on one sheet.
int WriteContactSheet(const std::string& path);

void GenerateThemeSounds();
void GeneratePictures();
// Songs i with i % parts == part.
void GenerateSongs(int part, int parts);

}  // namespace themegen
