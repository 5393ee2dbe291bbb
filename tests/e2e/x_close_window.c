/* Asks an X window to close the way a window manager's close button does: a
 * WM_PROTOCOLS client message carrying WM_DELETE_WINDOW. Tests run without a
 * window manager, so they send it themselves.
 *   x_close_window WINDOW_ID   (decimal or 0x-hex, as xdotool prints it) */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
    return 2;
  }
  char* end = NULL;
  unsigned long id = strtoul(argv[1], &end, 0);
  if (end == argv[1] || *end != '\0' || id == 0) {
    fprintf(stderr, "%s: bad window id '%s'\n", argv[0], argv[1]);
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "%s: cannot open display\n", argv[0]);
    return 1;
  }
  XEvent event;
  memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = (Window)id;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
  event.xclient.data.l[1] = CurrentTime;
  Status sent = XSendEvent(display, (Window)id, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return sent ? 0 : 1;
}
