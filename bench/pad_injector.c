/* A drum controller for the pad latency benchmark: preloaded into the game, it plugs an SDL
 * virtual game controller in once the game has started its pad input, then presses the left
 * shoulder (the left rim) at random moments and writes the CLOCK_MONOTONIC time (ms) of each
 * press, taken right before the button changes, to KODOBAN_PAD_INJECT (one per line).
 * Settings from the environment: KODOBAN_PAD_INJECT=FILE, KODOBAN_PAD_COUNT (200),
 * KODOBAN_PAD_GAP (20..60 ms), KODOBAN_PAD_HOLD (25 ms), KODOBAN_PAD_SEED.
 * Only the program named Kodoban is driven; other programs that inherit the preload are left
 * alone. A uinput device would also take the kernel's path, which this sandbox lacks. */
#include <SDL.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "monotonic_ms.h"

static int EnvInt(const char* name, int def) {
  const char* v = getenv(name);
  return v && *v ? atoi(v) : def;
}

static void* Drive(void* arg) {
  const char* out = (const char*)arg;
  for (int i = 0; i < 3000 && !SDL_WasInit(SDL_INIT_GAMECONTROLLER); ++i) SleepMs(10);
  if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return NULL;
  SleepMs(EnvInt("KODOBAN_PAD_START", 2000));
  SDL_VirtualJoystickDesc desc;
  memset(&desc, 0, sizeof desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  int index = SDL_JoystickAttachVirtualEx(&desc);
  SDL_Joystick* js = index >= 0 ? SDL_JoystickOpen(index) : NULL;
  if (!js) return NULL;
  SleepMs(500);  // the game opens it on its next pump
  FILE* f = fopen(out, "w");
  if (!f) return NULL;
  const int count = EnvInt("KODOBAN_PAD_COUNT", 200);
  const int minGap = EnvInt("KODOBAN_PAD_GAP_MIN", 20), maxGap = EnvInt("KODOBAN_PAD_GAP_MAX", 60);
  const int hold = EnvInt("KODOBAN_PAD_HOLD", 25);
  srand((unsigned)EnvInt("KODOBAN_PAD_SEED", 1));
  for (int i = 0; i < count; ++i) {
    SleepMs(minGap + (maxGap > minGap ? rand() % (maxGap - minGap) : 0) + (rand() % 1000) / 1000.0);
    double t = NowMs();
    SDL_JoystickSetVirtualButton(js, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 1);
    fprintf(f, "%.4f\n", t);
    SleepMs(hold);
    SDL_JoystickSetVirtualButton(js, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 0);
  }
  fclose(f);
  return NULL;
}

__attribute__((constructor)) static void StartPadInjector(void) {
  const char* out = getenv("KODOBAN_PAD_INJECT");
  if (!out || !*out) return;
  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return;
  exe[n] = '\0';
  const char* base = strrchr(exe, '/');
  if (strcmp(base ? base + 1 : exe, "Kodoban") != 0) return;
  pthread_t thread;
  if (pthread_create(&thread, NULL, Drive, (void*)out) == 0) pthread_detach(thread);
}
