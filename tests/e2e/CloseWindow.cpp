// wobble-e2e-close WINDOW_ID: asks an X window to close the way a window
// manager does when its user clicks the close button: a WM_PROTOCOLS client
// message carrying WM_DELETE_WINDOW. `xdotool windowclose` destroys the window
// instead, and wmctrl needs a window manager to pass its request on, so
// neither shows whether the program handles a close request.
//
// Exit status: 0 sent; 1 the window does not take part in WM_DELETE_WINDOW
// (a window manager would have to kill its client); 2 usage or no display.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

// Xlib's default handler ends the process on a bad window id; a clear line
// and a status the test can read are more useful.
int lastXError = 0;
int RememberError(Display*, XErrorEvent* event) {
    lastXError = event->error_code;
    return 0;
}

bool TakesDeleteRequests(Display* display, Window window, Atom deleteWindow) {
    Atom* protocols = nullptr;
    int count = 0;
    if (XGetWMProtocols(display, window, &protocols, &count) == 0)
        return false;
    bool found = false;
    for (int i = 0; i < count; ++i)
        found = found || protocols[i] == deleteWindow;
    XFree(protocols);
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wobble-e2e-close WINDOW_ID\n");
        return 2;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long id = std::strtoul(argv[1], &end, 0);
    if (errno != 0 || end == argv[1] || *end != '\0' || id == 0) {
        std::fprintf(stderr, "wobble-e2e-close: '%s' is not a window id\n", argv[1]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "wobble-e2e-close: cannot open the display '%s'\n",
                     XDisplayName(nullptr));
        return 2;
    }
    XSetErrorHandler(RememberError);
    const Window window = static_cast<Window>(id);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);

    int status = 0;
    if (!TakesDeleteRequests(display, window, deleteWindow)) {
        std::fprintf(stderr,
                     "wobble-e2e-close: window 0x%lx does not list WM_DELETE_WINDOW in its "
                     "WM_PROTOCOLS\n",
                     id);
        status = 1;
    } else {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(deleteWindow);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        XSync(display, False);
        if (lastXError != 0) {
            std::fprintf(stderr, "wobble-e2e-close: the X server refused the message (error %d)\n",
                         lastXError);
            status = 1;
        }
    }
    XCloseDisplay(display);
    return status;
}
