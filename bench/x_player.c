/* Real X input for the game on a private X server: the hands of the scripted player in
 * tests/e2e and of the benchmarks that browse and drum (the bench/ scripts).
 *
 *   x_player keys FILE   presses keys from FILE, one per line: "AT_MS KEY HOLD_MS", AT_MS a
 *                        CLOCK_MONOTONIC time in ms (0 = at once, right after the previous
 *                        press), KEY an X key name (f, j, d, k, Escape, F1, ...); prints the
 *                        moment each press left for the server
 *   x_player drop WINDOW PATH
 *                        drops PATH on WINDOW (an X window id) through the XDND protocol and
 *                        waits for the window to finish the drop (5 s at most)
 *   x_player window      prints the id of the top-level window named "Kodoban" (1 when none)
 *   x_player close WINDOW
 *                        asks WINDOW to close, as a window manager's close button does
 */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "monotonic_ms.h"

/* One press or release, in time order. */
typedef struct {
  double at;
  KeyCode code;
  int down;
} KeyEvent;

static int ByTime(const void* a, const void* b) {
  const KeyEvent* x = a;
  const KeyEvent* y = b;
  if (x->at != y->at) return x->at < y->at ? -1 : 1;
  return x->down - y->down; /* a release before a press at the same moment */
}

static int Keys(Display* dpy, const char* path) {
  int ev, err, major, minor;
  if (!XTestQueryExtension(dpy, &ev, &err, &major, &minor)) {
    fprintf(stderr, "x_player: no XTest\n");
    return 1;
  }
  FILE* f = strcmp(path, "-") == 0 ? stdin : fopen(path, "r");
  if (!f) {
    fprintf(stderr, "x_player: can't read %s\n", path);
    return 1;
  }
  int cap = 256, n = 0;
  KeyEvent* events = malloc(sizeof(KeyEvent) * cap);
  char line[256], name[64];
  double at, hold, last = NowMs();
  while (fgets(line, sizeof line, f)) {
    if (sscanf(line, "%lf %63s %lf", &at, name, &hold) != 3) continue;
    KeySym sym = XStringToKeysym(name);
    KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(dpy, sym);
    if (code == 0) {
      fprintf(stderr, "x_player: unknown key %s\n", name);
      return 1;
    }
    if (at <= 0) at = last;
    last = at;
    if (n + 2 > cap) {
      cap *= 2;
      events = realloc(events, sizeof(KeyEvent) * cap);
    }
    events[n++] = (KeyEvent){at, code, 1};
    events[n++] = (KeyEvent){at + hold, code, 0};
  }
  if (f != stdin) fclose(f);
  qsort(events, n, sizeof(KeyEvent), ByTime);
  for (int i = 0; i < n; ++i) {
    SleepMs(events[i].at - NowMs());
    XTestFakeKeyEvent(dpy, events[i].code, events[i].down ? True : False, CurrentTime);
    double t = NowMs();
    XFlush(dpy);
    if (events[i].down) printf("%.3f %d\n", t, events[i].code);
  }
  XSync(dpy, False);
  free(events);
  return 0;
}

static void Send(Display* d, Window to, Atom type, long l0, long l1, long l2, long l3, long l4) {
  XEvent e;
  memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.display = d;
  e.xclient.window = to;
  e.xclient.message_type = type;
  e.xclient.format = 32;
  e.xclient.data.l[0] = l0;
  e.xclient.data.l[1] = l1;
  e.xclient.data.l[2] = l2;
  e.xclient.data.l[3] = l3;
  e.xclient.data.l[4] = l4;
  XSendEvent(d, to, False, NoEventMask, &e);
  XFlush(d);
}

static int Drop(Display* d, Window target, const char* path) {
  char uri[4200];
  snprintf(uri, sizeof uri, "file://%s\r\n", path);
  Window src = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  Atom enter = XInternAtom(d, "XdndEnter", False);
  Atom position = XInternAtom(d, "XdndPosition", False);
  Atom status = XInternAtom(d, "XdndStatus", False);
  Atom drop = XInternAtom(d, "XdndDrop", False);
  Atom finished = XInternAtom(d, "XdndFinished", False);
  Atom selection = XInternAtom(d, "XdndSelection", False);
  Atom copy = XInternAtom(d, "XdndActionCopy", False);
  Atom urilist = XInternAtom(d, "text/uri-list", False);
  XSetSelectionOwner(d, selection, src, CurrentTime);
  int x, y;
  Window child;
  XTranslateCoordinates(d, target, DefaultRootWindow(d), 100, 100, &x, &y, &child);
  Send(d, target, enter, (long)src, 5L << 24, (long)urilist, 0, 0);
  Send(d, target, position, (long)src, 0, ((long)x << 16) | y, CurrentTime, (long)copy);
  double start = NowMs();
  int dropped = 0;
  while (NowMs() - start < 5000) {
    while (XPending(d)) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.type == ClientMessage && e.xclient.message_type == status && !dropped) {
        Send(d, target, drop, (long)src, 0, CurrentTime, 0, 0);
        dropped = 1;
      } else if (e.type == ClientMessage && e.xclient.message_type == finished) {
        return 0;
      } else if (e.type == SelectionRequest) {
        XSelectionRequestEvent* r = &e.xselectionrequest;
        XChangeProperty(d, r->requestor, r->property, r->target, 8, PropModeReplace,
                        (unsigned char*)uri, (int)strlen(uri));
        XEvent n;
        memset(&n, 0, sizeof n);
        n.xselection.type = SelectionNotify;
        n.xselection.requestor = r->requestor;
        n.xselection.selection = r->selection;
        n.xselection.target = r->target;
        n.xselection.property = r->property;
        n.xselection.time = r->time;
        XSendEvent(d, r->requestor, False, 0, &n);
        XFlush(d);
      }
    }
    SleepMs(5);
  }
  fprintf(stderr, "x_player: the drop was not finished (dropped=%d)\n", dropped);
  return 1;
}

static int FindWindow(Display* d) {
  Window root, parent, *children = NULL;
  unsigned int n = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return 1;
  int rc = 1;
  for (unsigned int i = 0; i < n && rc != 0; ++i) {
    char* name = NULL;
    if (XFetchName(d, children[i], &name) && name) {
      if (strcmp(name, "Kodoban") == 0) {
        printf("%lu\n", (unsigned long)children[i]);
        rc = 0;
      }
      XFree(name);
    }
  }
  if (children) XFree(children);
  return rc;
}

static int Close(Display* d, Window w) {
  Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
  Atom del = XInternAtom(d, "WM_DELETE_WINDOW", False);
  XEvent e;
  memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = protocols;
  e.xclient.format = 32;
  e.xclient.data.l[0] = (long)del;
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &e);
  XSync(d, False);
  return 0;
}

int main(int argc, char** argv) {
  int need = argc >= 2 && strcmp(argv[1], "window") == 0 ? 2 : argc >= 2 && strcmp(argv[1], "drop") == 0 ? 4 : 3;
  if (argc < need) {
    fprintf(stderr, "usage: x_player keys FILE | drop WINDOW PATH | window | close WINDOW\n");
    return 2;
  }
  Display* dpy = XOpenDisplay(NULL);
  if (!dpy) {
    fprintf(stderr, "x_player: no display\n");
    return 1;
  }
  int rc = 2;
  if (strcmp(argv[1], "keys") == 0) rc = Keys(dpy, argv[2]);
  if (strcmp(argv[1], "drop") == 0) rc = Drop(dpy, (Window)strtoul(argv[2], NULL, 0), argv[3]);
  if (strcmp(argv[1], "window") == 0) rc = FindWindow(dpy);
  if (strcmp(argv[1], "close") == 0) rc = Close(dpy, (Window)strtoul(argv[2], NULL, 0));
  XCloseDisplay(dpy);
  return rc;
}
