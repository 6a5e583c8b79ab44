#include "platform/message_box.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/text_encoding.h"

namespace platform {

namespace {
constexpr const char* kMessageCaption = "確認";  // "Confirmation"

std::mutex g_logMutex;
int g_count = 0;
std::string g_lastText;
std::atomic<SDL_Window*> g_parent{nullptr};

bool Headless() {
  const char* h = std::getenv("KODOBAN_HEADLESS");
  return h && *h && std::strcmp(h, "0") != 0;
}
}  // namespace

void MessageBoxSetParent(SDL_Window* window) { g_parent.store(window, std::memory_order_release); }

void ShowMessageBox(const char* text) {
  if (!text) text = "";
  {
    std::lock_guard<std::mutex> lock(g_logMutex);
    ++g_count;
    g_lastText = text;
  }
  std::string utf8 = ToUtf8(text);
  if (Headless()) {
    std::fprintf(stderr, "[%s] %s\n", kMessageCaption, utf8.c_str());
    std::fflush(stderr);
    return;
  }
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, kMessageCaption, utf8.c_str(),
                               g_parent.load(std::memory_order_acquire)) != 0) {
    // No display to show it on: the text must still reach the player somewhere.
    std::fprintf(stderr, "[%s] %s\n", kMessageCaption, utf8.c_str());
    std::fflush(stderr);
  }
}

int MessageBoxCount() {
  std::lock_guard<std::mutex> lock(g_logMutex);
  return g_count;
}

const char* MessageBoxLastText() {
  // Tests read this on the thread that showed the message; the string stays valid until the
  // next message or reset.
  std::lock_guard<std::mutex> lock(g_logMutex);
  return g_lastText.c_str();
}

void MessageBoxResetLog() {
  std::lock_guard<std::mutex> lock(g_logMutex);
  g_count = 0;
  g_lastText.clear();
}

}  // namespace platform
