/* Plays a chart on the drum keys as real X key events (XTest), each press at the moment its
 * note is due by the song's own audio clock.
 *
 * The song's clock is read back from the game's trace: every "sounddiff" event (written with
 * the debug read-out on) gives, at its moment t, the play clock c and diff = (c - OFFSET -
 * music start) - song position. A note of chart time T is due by the song when the song
 * position reaches T - OFFSET - music start, that is at t + T - c + diff; the latest event
 * after the song's second correction is used for each press.
 *
 * usage: note_injector NOTES TRACE
 *   NOTES: lines "index time type" (type 1 don, 2 kat, 3 big don, 4 big kat), in time order.
 * Prints "index due_ms pressed_ms" (CLOCK_MONOTONIC) for every press. */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "monotonic_ms.h"

/* Sleeps until the absolute moment ms (CLOCK_MONOTONIC), the last 0.3 ms spinning. */
static void WaitUntil(double ms) {
  double coarse = ms - 0.3;
  if (coarse > NowMs()) {
    struct timespec ts;
    ts.tv_sec = (time_t)(coarse / 1000.0);
    ts.tv_nsec = (long)((coarse - ts.tv_sec * 1000.0) * 1.0e6);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, NULL) == EINTR) {
    }
  }
  while (NowMs() < ms) {
  }
}

/* The trace, read as it grows. */
static FILE* g_trace;
static char g_line[4096];
static size_t g_fill;
static int g_anchored;
static double g_anchorT, g_anchorClock, g_anchorDiff;

static void TakeLine(const char* l) {
  if (!strstr(l, "\"ev\":\"sounddiff\"")) return;
  double t, diff, clock;
  int song, paused;
  if (sscanf(l, "{\"ev\":\"sounddiff\",\"t\":%lf,\"diff\":%lf,\"clock\":%lf,\"song\":%d,\"paused\":%d", &t, &diff,
             &clock, &song, &paused) != 5)
    return;
  if (song != 3 || paused) return; /* after the second correction only */
  g_anchored = 1;
  g_anchorT = t;
  g_anchorClock = clock;
  g_anchorDiff = diff;
}

static void ReadTrace(void) {
  int c;
  while ((c = fgetc(g_trace)) != EOF) {
    if (c == '\n') {
      g_line[g_fill] = '\0';
      TakeLine(g_line);
      g_fill = 0;
    } else if (g_fill + 1 < sizeof g_line) {
      g_line[g_fill++] = (char)c;
    }
  }
  clearerr(g_trace);
}

static double DueMs(double noteTime) { return g_anchorT + noteTime - g_anchorClock + g_anchorDiff; }

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s NOTES TRACE\n", argv[0]);
    return 2;
  }
  FILE* nf = fopen(argv[1], "r");
  if (!nf) return 1;
  int cap = 70000, n = 0;
  int* index = malloc(sizeof(int) * cap);
  int* type = malloc(sizeof(int) * cap);
  double* at = malloc(sizeof(double) * cap);
  while (n < cap && fscanf(nf, "%d %lf %d", &index[n], &at[n], &type[n]) == 3) ++n;
  fclose(nf);
  g_trace = fopen(argv[2], "r");
  if (!g_trace) return 1;
  Display* dpy = XOpenDisplay(NULL);
  if (!dpy) {
    fprintf(stderr, "note_injector: no display\n");
    return 1;
  }
  int ev, err, major, minor;
  if (!XTestQueryExtension(dpy, &ev, &err, &major, &minor)) {
    fprintf(stderr, "note_injector: no XTest\n");
    return 1;
  }
  KeyCode f = XKeysymToKeycode(dpy, XK_f), j = XKeysymToKeycode(dpy, XK_j);
  KeyCode d = XKeysymToKeycode(dpy, XK_d), k = XKeysymToKeycode(dpy, XK_k);

  double giveUp = NowMs() + 30000.0;
  while (!g_anchored && NowMs() < giveUp) {
    ReadTrace();
    struct timespec ts = {0, 2000000};
    nanosleep(&ts, NULL);
  }
  if (!g_anchored) {
    fprintf(stderr, "note_injector: the trace shows no song clock (DebugMode=1?)\n");
    return 1;
  }
  int donSide = 0, katSide = 0;
  for (int i = 0; i < n; ++i) {
    /* Sleep to 3 ms before the press, then take the latest reading of the song's clock. */
    ReadTrace();
    WaitUntil(DueMs(at[i]) - 3.0);
    ReadTrace();
    double due = DueMs(at[i]);
    KeyCode keys[2];
    int count = 0;
    switch (type[i]) {
      case 1: keys[count++] = (donSide ^= 1) ? f : j; break;
      case 2: keys[count++] = (katSide ^= 1) ? d : k; break;
      case 3: keys[count++] = f; keys[count++] = j; break;
      default: keys[count++] = d; keys[count++] = k; break;
    }
    WaitUntil(due);
    for (int q = 0; q < count; ++q) XTestFakeKeyEvent(dpy, keys[q], True, CurrentTime);
    double pressed = NowMs();
    XFlush(dpy);
    printf("%d %.4f %.4f\n", index[i], due, pressed);
    /* Hold for 15 ms, or half the gap to the next note when that is shorter. */
    double release = due + 15.0;
    if (i + 1 < n && at[i + 1] - at[i] < 30.0) release = due + (at[i + 1] - at[i]) / 2.0;
    WaitUntil(release);
    for (int q = 0; q < count; ++q) XTestFakeKeyEvent(dpy, keys[q], False, CurrentTime);
    XFlush(dpy);
  }
  XSync(dpy, False);
  XCloseDisplay(dpy);
  fflush(stdout);
  return 0;
}
