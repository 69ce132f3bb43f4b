/* Times one input event until the screen answers it: sends the event with XTest (or starts a
 * program) and waits for X Damage reports in a rectangle of the root window, looking at the
 * rectangle's pixels after each report until they fulfil the condition. Screenshot polling is
 * far too coarse for this; the Damage report arrives as the server draws.
 *
 *   xwait [--timeout MS] (--changed N | --gold N) X Y W H ACTION...
 *
 *   --changed N   done once more than N pixels of the rectangle differ from before the action
 *   --gold N      done once more than N pixels of the rectangle show the skin's gold (0xB8955B)
 *   ACTION        click X Y     move there, press button 1, release it: timed from the release
 *                 motion X Y    move the pointer there (with button 1 held, a drag step)
 *                 launch PROGRAM [ARG...]   start a program: timed from just before the fork
 *
 * Prints "ms=ELAPSED start=T0 end=T1 [pid=PID]", the times in seconds of CLOCK_MONOTONIC (the
 * clock of Python's time.monotonic), so that other timed events can be set beside them.
 * Exits 1 when the condition is not met in time (default 60 s), 2 on wrong use.
 *
 *   xwait --watch X Y W H
 *
 * prints a line "repaint" for each burst of Damage reports that touches the rectangle, until its
 * output is closed: a script reading it waits for the screen's answer instead of sleeping. */

#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double now (void)
{
    struct timespec t;
    clock_gettime (CLOCK_MONOTONIC, &t);
    return (double) t.tv_sec + (double) t.tv_nsec / 1e9;
}

static int usage (void)
{
    fputs ("usage: xwait [--timeout MS] (--changed N | --gold N) X Y W H "
           "(click X Y | motion X Y | launch PROGRAM [ARG...])\n"
           "       xwait --watch X Y W H\n", stderr);
    return 2;
}

static int touches (const XDamageNotifyEvent* damage, int rx, int ry, int rw, int rh)
{
    const XRectangle* a = &damage->area;
    return a->x < rx + rw && a->x + a->width > rx && a->y < ry + rh && a->y + a->height > ry;
}

/* One line per burst: a repaint comes as many reports, and the reader only needs to wake once. */
static int watch (Display* display, int damage_event, int rx, int ry, int rw, int rh)
{
    signal (SIGPIPE, SIG_DFL);
    XDamageCreate (display, DefaultRootWindow (display), XDamageReportRawRectangles);
    XFlush (display);

    for (;;)
    {
        int touched = 0;

        do
        {
            XEvent event;
            XNextEvent (display, &event);
            if (event.type == damage_event + XDamageNotify)
                touched |= touches ((const XDamageNotifyEvent*) &event, rx, ry, rw, rh);
        }
        while (XPending (display) > 0);

        if (touched && (puts ("repaint") == EOF || fflush (stdout) == EOF))
            return 0;
    }
}

static int parse_int (const char* text, int* value)
{
    char* end = NULL;
    errno = 0;
    long v = strtol (text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < -100000 || v > 100000000)
        return 0;
    *value = (int) v;
    return 1;
}

static unsigned long pixel_at (XImage* image, int x, int y)
{
    return XGetPixel (image, x, y) & 0xFFFFFFul;
}

static int is_gold (unsigned long p)
{
    const int r = (int) (p >> 16) & 0xFF, g = (int) (p >> 8) & 0xFF, b = (int) p & 0xFF;
    return abs (r - 0xB8) < 40 && abs (g - 0x95) < 40 && abs (b - 0x5B) < 40;
}

/* How many pixels of the rectangle meet the condition: differ from the first picture, or are gold. */
static long count (XImage* image, XImage* before, int gold)
{
    long n = 0;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
        {
            const unsigned long p = pixel_at (image, x, y);
            n += gold ? is_gold (p) : (p != pixel_at (before, x, y));
        }
    return n;
}

int main (int argc, char** argv)
{
    int timeout_ms = 60000, threshold = -1, gold = 0, i = 1;
    const int watching = argc == 6 && strcmp (argv[1], "--watch") == 0;
    int rx, ry, rw, rh;

    if (watching)
    {
        if (! parse_int (argv[2], &rx) || ! parse_int (argv[3], &ry) || ! parse_int (argv[4], &rw)
            || ! parse_int (argv[5], &rh) || rw <= 0 || rh <= 0)
            return usage();
        i = argc;
    }

    for (; i < argc && strncmp (argv[i], "--", 2) == 0; i += 2)
    {
        if (i + 1 >= argc)
            return usage();
        if (strcmp (argv[i], "--timeout") == 0 && parse_int (argv[i + 1], &timeout_ms))
            continue;
        if (strcmp (argv[i], "--changed") == 0 && parse_int (argv[i + 1], &threshold))
            gold = 0;
        else if (strcmp (argv[i], "--gold") == 0 && parse_int (argv[i + 1], &threshold))
            gold = 1;
        else
            return usage();
    }

    const char* action = "watch";
    int ax = 0, ay = 0, pointer_action = 0;

    if (! watching)
    {
        if (threshold < 0 || argc - i < 5 || ! parse_int (argv[i], &rx) || ! parse_int (argv[i + 1], &ry)
            || ! parse_int (argv[i + 2], &rw) || ! parse_int (argv[i + 3], &rh) || rw <= 0 || rh <= 0)
            return usage();
        i += 4;

        action = argv[i++];
        pointer_action = strcmp (action, "click") == 0 || strcmp (action, "motion") == 0;
        if (pointer_action && (argc - i != 2 || ! parse_int (argv[i], &ax) || ! parse_int (argv[i + 1], &ay)))
            return usage();
        if (! pointer_action && (strcmp (action, "launch") != 0 || i >= argc))
            return usage();
    }

    Display* display = XOpenDisplay (NULL);
    if (display == NULL)
    {
        fputs ("xwait: cannot open the display\n", stderr);
        return 2;
    }

    int damage_event, damage_error, xtest_event, xtest_error, major, minor;
    if (! XDamageQueryExtension (display, &damage_event, &damage_error)
        || ! XTestQueryExtension (display, &xtest_event, &xtest_error, &major, &minor))
    {
        fputs ("xwait: the display lacks the DAMAGE or XTEST extension\n", stderr);
        return 2;
    }

    if (watching)
        return watch (display, damage_event, rx, ry, rw, rh);

    const Window root = DefaultRootWindow (display);
    /* Drawing into any window shows as damage to the root: there is no compositor in between. */
    XDamageCreate (display, root, XDamageReportRawRectangles);
    XImage* before = XGetImage (display, root, rx, ry, (unsigned) rw, (unsigned) rh, AllPlanes, ZPixmap);
    if (before == NULL)
    {
        fputs ("xwait: the rectangle is not on the screen\n", stderr);
        return 2;
    }

    if (strcmp (action, "click") == 0)
    {
        XTestFakeMotionEvent (display, -1, ax, ay, CurrentTime);
        XTestFakeButtonEvent (display, 1, True, CurrentTime);
        XSync (display, False);
        usleep (30000);
    }

    pid_t child = 0;
    const double start = now();

    if (strcmp (action, "launch") == 0)
    {
        XFlush (display);
        child = fork();
        if (child == 0)
        {
            /* The program outlives this helper: it must not hold on to the helper's output,
             * which whoever reads the report waits to see closed. */
            const int nothing = open ("/dev/null", O_RDWR);
            dup2 (nothing, 0);
            dup2 (nothing, 1);
            dup2 (nothing, 2);
            close (ConnectionNumber (display));
            execvp (argv[i], argv + i);
            perror ("xwait: launch");
            _exit (127);
        }
        if (child < 0)
        {
            perror ("xwait: fork");
            return 2;
        }
    }
    else if (strcmp (action, "click") == 0)
    {
        XTestFakeButtonEvent (display, 1, False, CurrentTime);
    }
    else
    {
        XTestFakeMotionEvent (display, -1, ax, ay, CurrentTime);
    }
    XFlush (display);

    const double deadline = start + timeout_ms / 1000.0;
    int pending_look = 0;
    double damaged_at = 0.0;

    for (;;)
    {
        while (XPending (display) > 0)
        {
            XEvent event;
            XNextEvent (display, &event);
            if (event.type != damage_event + XDamageNotify)
                continue;
            const XDamageNotifyEvent* damage = (const XDamageNotifyEvent*) &event;
            const XRectangle* a = &damage->area;
            if (a->x < rx + rw && a->x + a->width > rx && a->y < ry + rh && a->y + a->height > ry && ! pending_look)
            {
                pending_look = 1;
                damaged_at = now();
            }
        }

        /* One look at the pixels after each burst of reports: they come many to a repaint. */
        if (pending_look)
        {
            pending_look = 0;
            XImage* image = XGetImage (display, root, rx, ry, (unsigned) rw, (unsigned) rh, AllPlanes, ZPixmap);
            /* The answer counts from its first report, not from when its pixels were read back. */
            const double seen = damaged_at;
            if (image != NULL)
            {
                const long n = count (image, before, gold);
                XDestroyImage (image);
                if (n > threshold)
                {
                    printf ("ms=%.1f start=%.6f end=%.6f", (seen - start) * 1000.0, start, seen);
                    if (child > 0)
                        printf (" pid=%d", (int) child);
                    printf ("\n");
                    return 0;
                }
            }
            continue;
        }

        const double left = deadline - now();
        if (left <= 0)
            break;
        struct pollfd connection = { ConnectionNumber (display), POLLIN, 0 };
        poll (&connection, 1, left > 0.1 ? 100 : (int) (left * 1000) + 1);
    }

    fprintf (stderr, "xwait: the rectangle did not answer within %d ms\n", timeout_ms);
    if (child > 0)
        printf ("pid=%d\n", (int) child);
    return 1;
}
