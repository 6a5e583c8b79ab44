/* Presses F as real X key events (XTest) at random moments and prints the CLOCK_MONOTONIC
 * time (ms) of each press, taken right before the request leaves for the server.
 * usage: key_injector COUNT MIN_GAP_MS MAX_GAP_MS HOLD_MS SEED */
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "monotonic_ms.h"

int main(int argc, char** argv) {
  if (argc < 6) {
    fprintf(stderr, "usage: %s COUNT MIN_GAP_MS MAX_GAP_MS HOLD_MS SEED\n", argv[0]);
    return 2;
  }
  int count = atoi(argv[1]);
  int minGap = atoi(argv[2]), maxGap = atoi(argv[3]), hold = atoi(argv[4]);
  srand((unsigned)atoi(argv[5]));
  Display* dpy = XOpenDisplay(NULL);
  if (!dpy) {
    fprintf(stderr, "key_injector: no display\n");
    return 1;
  }
  int ev, err, major, minor;
  if (!XTestQueryExtension(dpy, &ev, &err, &major, &minor)) {
    fprintf(stderr, "key_injector: no XTest\n");
    return 1;
  }
  KeyCode f = XKeysymToKeycode(dpy, XK_f);
  for (int i = 0; i < count; ++i) {
    /* A random gap with a fractional part, so presses fall at every phase of the frame. */
    double gap = minGap + (maxGap - minGap) * (rand() / (double)RAND_MAX);
    SleepMs(gap);
    XTestFakeKeyEvent(dpy, f, True, CurrentTime);
    double t = NowMs();
    XFlush(dpy);
    printf("%.3f\n", t);
    SleepMs(hold);
    XTestFakeKeyEvent(dpy, f, False, CurrentTime);
    XFlush(dpy);
  }
  XSync(dpy, False);
  XCloseDisplay(dpy);
  return 0;
}
