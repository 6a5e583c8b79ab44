// kodoban-themegen: writes the default theme (pictures, sounds, layout files) and the demo
// songs into a game folder. Everything is drawn and synthesized here; nothing is copied.
//
//   kodoban-themegen [--contact-sheet FILE] [--stamp FILE] GAME_DIR
#include <SDL.h>
#include <SDL_image.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>
#include <sys/stat.h>

#include "gen.h"

namespace themegen {

namespace {
std::string gGameDir, gThemeDir;
bool gContact = false;
std::mutex gMutex;
int gFailures = 0;
int gPictures = 0;
struct Thumb {
  std::string name;
  Image img;
};
std::vector<Thumb> gThumbs;
constexpr int kThumb = 72;
}  // namespace

void SetOutput(const std::string& gameDir, const std::string& themeDir, bool contact) {
  gGameDir = gameDir;
  gThemeDir = themeDir;
  gContact = contact;
}
const std::string& GameDir() { return gGameDir; }

int MakeDirs(const std::string& path) {
  std::string cur;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      if (!cur.empty() && mkdir(cur.c_str(), 0755) != 0 && errno != EEXIST) return -1;
    }
    if (i < path.size()) cur += path[i];
  }
  return 0;
}

void CountFailure(const std::string& what) {
  std::lock_guard<std::mutex> lock(gMutex);
  ++gFailures;
  std::fprintf(stderr, "themegen: could not write %s\n", what.c_str());
}
int Failures() { return gFailures; }
int PicturesWritten() { return gPictures; }

static std::string Dir(const std::string& p) {
  size_t k = p.rfind('/');
  return k == std::string::npos ? std::string() : p.substr(0, k);
}

void SavePicture(const Image& img, const std::string& rel) {
  std::string path = gThemeDir + "/" + rel;
  MakeDirs(Dir(path));
  if (SavePng(img, path) != 0) CountFailure(path);
  std::lock_guard<std::mutex> lock(gMutex);
  ++gPictures;
  if (gContact) {
    float k = std::min(1.0f, float(kThumb) / std::max(img.w, img.h));
    int w = std::max(1, int(img.w * k)), h = std::max(1, int(img.h * k));
    gThumbs.push_back({rel, Scaled(img, w, h)});
  }
}

void SaveSound(const Audio& a, const std::string& rel) {
  std::string path = gThemeDir + "/" + rel;
  MakeDirs(Dir(path));
  if (WriteWav(path, a) != 0) CountFailure(path);
}

void SaveFile(const std::string& path, const std::string& bytes) {
  MakeDirs(Dir(path));
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    CountFailure(path);
    return;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) CountFailure(path);
}

void SaveThemeText(const std::string& rel, const std::string& text) { SaveFile(gThemeDir + "/" + rel, text); }

int WriteContactSheet(const std::string& path) {
  MakeDirs(Dir(path));
  // Cells of kThumb on a mid grey, so that light and dark pictures both show.
  const int cell = kThumb + 6, cols = 24;
  int rows = int((gThumbs.size() + cols - 1) / cols);
  Image sheet(cols * cell, std::max(1, rows) * cell + 24);
  Clear(sheet, Rgb(0x2A2F3A));
  Text(sheet, "Kodoban default theme: " + std::to_string(gThumbs.size()) + " pictures", Font::SansBold, 14,
       8, 12, Rgb(0xFFFFFF), Color{}, 0, -1);
  for (size_t i = 0; i < gThumbs.size(); ++i) {
    int cx = int(i % cols) * cell + 3, cy = int(i / cols) * cell + 24 + 3;
    for (int y = 0; y < kThumb; ++y)
      for (int x = 0; x < kThumb; ++x) sheet.blend(cx + x, cy + y, Rgb(0x9AA0A8), 1.0f);
    const Image& t = gThumbs[i].img;
    Blit(sheet, t, cx + (kThumb - t.w) / 2.0f, cy + (kThumb - t.h) / 2.0f);
  }
  return SavePng(sheet, path);
}

}  // namespace themegen

int main(int argc, char** argv) {
  using namespace themegen;
  std::string gameDir, contact, stamp;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--contact-sheet" && i + 1 < argc) {
      contact = argv[++i];
    } else if (a == "--stamp" && i + 1 < argc) {
      stamp = argv[++i];
    } else if (a.size() > 0 && a[0] == '-') {
      std::fprintf(stderr, "usage: kodoban-themegen [--contact-sheet FILE] [--stamp FILE] GAME_DIR\n");
      return 2;
    } else {
      gameDir = a;
    }
  }
  if (gameDir.empty()) {
    std::fprintf(stderr, "usage: kodoban-themegen [--contact-sheet FILE] [--stamp FILE] GAME_DIR\n");
    return 2;
  }
  auto t0 = std::chrono::steady_clock::now();
  if (!TextInit()) {
    std::fprintf(stderr, "themegen: SDL_ttf failed to start\n");
    return 1;
  }
  std::string themeDir = gameDir + "/Files/Theme/Default";
  if (MakeDirs(themeDir) != 0) {
    std::fprintf(stderr, "themegen: cannot create %s\n", themeDir.c_str());
    return 1;
  }
  SetOutput(gameDir, themeDir, !contact.empty());
  // The songs (synthesis and Vorbis encoding) run on two threads beside the pictures.
  std::thread songsA([] { GenerateSongs(0, 2); });
  std::thread songsB([] {
    GenerateThemeSounds();
    GenerateSongs(1, 2);
  });
  GeneratePictures();
  songsA.join();
  songsB.join();
  if (!contact.empty() && WriteContactSheet(contact) != 0) CountFailure(contact);
  TextShutdown();
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("kodoban-themegen: %d pictures, theme and demo songs written to %s in %.1f s\n",
              PicturesWritten(), gameDir.c_str(), secs);
  if (Failures() > 0) {
    std::fprintf(stderr, "themegen: %d files could not be written\n", Failures());
    return 1;
  }
  if (!stamp.empty()) SaveFile(stamp, "ok\n");
  return Failures() > 0 ? 1 : 0;
}
