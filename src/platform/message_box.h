// Modal information message with the caption "確認". Never blocks when KODOBAN_HEADLESS=1:
// the text then goes to stderr. Text bytes are Shift-JIS unless they are valid UTF-8.
#pragma once

struct SDL_Window;

namespace platform {

// The window the boxes belong to (none before the window exists).
void MessageBoxSetParent(SDL_Window* window);
void ShowMessageBox(const char* text);
// Tests: the number of messages shown so far and the last one (as given, not converted).
int MessageBoxCount();
const char* MessageBoxLastText();
void MessageBoxResetLog();

}  // namespace platform
