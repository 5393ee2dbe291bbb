/* Real input for the whole-program tests, sent through the X server's XTest
 * extension as a mouse, a keyboard or another program would send it:
 *   x_input flood RATE SECONDS X Y W H   pointer motion at RATE events a second
 *                                        for SECONDS, wandering over the
 *                                        rectangle (root coordinates)
 *   x_input click X Y MS                 move there, press the left button,
 *                                        release it MS milliseconds later
 *   x_input steal-focus SECONDS          map a window of our own, take the
 *                                        keyboard focus for SECONDS, close it
 * xdotool sends motion far too slowly to stand in for a real mouse. */
#define _POSIX_C_SOURCE 199309L
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static void SleepUntil(double when) {
  double left = when - Now();
  if (left <= 0) return;
  struct timespec t;
  t.tv_sec = (time_t)left;
  t.tv_nsec = (long)((left - (double)t.tv_sec) * 1e9);
  nanosleep(&t, NULL);
}

static int Flood(Display* d, double rate, double seconds, int x, int y, int w, int h) {
  long total = (long)(rate * seconds);
  double start = Now();
  for (long i = 0; i < total; ++i) {
    /* A loose figure of eight: every event lands somewhere new. */
    int px = x + (int)((i * 7) % (w > 0 ? w : 1));
    int py = y + (int)((i * 3 + (i / w) * 5) % (h > 0 ? h : 1));
    XTestFakeMotionEvent(d, -1, px, py, CurrentTime);
    XFlush(d);
    SleepUntil(start + (double)(i + 1) / rate);
  }
  XSync(d, False);
  printf("%ld motion events in %.2f s\n", total, Now() - start);
  return 0;
}

static int Click(Display* d, int x, int y, int ms) {
  XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
  XTestFakeButtonEvent(d, 1, True, CurrentTime);
  XFlush(d);
  SleepUntil(Now() + ms / 1000.0);
  XTestFakeButtonEvent(d, 1, False, CurrentTime);
  XSync(d, False);
  return 0;
}

static int StealFocus(Display* d, double seconds) {
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 200, 100, 0, 0, 0);
  XStoreName(d, w, "x_input focus thief");
  XMapRaised(d, w);
  XSync(d, False);
  /* The window must be viewable before it can take the focus. */
  XWindowAttributes a;
  double deadline = Now() + 5.0;
  do {
    XGetWindowAttributes(d, w, &a);
    if (a.map_state == IsViewable) break;
    SleepUntil(Now() + 0.01);
  } while (Now() < deadline);
  XSetInputFocus(d, w, RevertToParent, CurrentTime);
  XSync(d, False);
  SleepUntil(Now() + seconds);
  XDestroyWindow(d, w);
  XSync(d, False);
  return 0;
}

int main(int argc, char** argv) {
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "x_input: cannot open the display\n");
    return 1;
  }
  int event, error, major, minor;
  if (!XTestQueryExtension(d, &event, &error, &major, &minor)) {
    fprintf(stderr, "x_input: the X server has no XTest\n");
    return 1;
  }
  int result = 2;
  if (argc == 8 && strcmp(argv[1], "flood") == 0) {
    result = Flood(d, atof(argv[2]), atof(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]),
                   atoi(argv[7]));
  } else if (argc == 5 && strcmp(argv[1], "click") == 0) {
    result = Click(d, atoi(argv[2]), atoi(argv[3]), atoi(argv[4]));
  } else if (argc == 3 && strcmp(argv[1], "steal-focus") == 0) {
    result = StealFocus(d, atof(argv[2]));
  } else {
    fprintf(stderr, "usage: x_input flood RATE SECONDS X Y W H | click X Y MS | steal-focus SECONDS\n");
  }
  XCloseDisplay(d);
  return result;
}
