// What a bare GL program pays to start on this X server, phase by phase,
// measured in fresh processes: connecting, making and mapping a window
// with the default visual, the first GLX call (it loads the driver: on
// Mesa's software renderer swrast and LLVM), making the context current,
// the first cleared and swapped frame, and the first textured quad (its
// shaders are built). The game cannot start faster than this floor.
// The program starts no X server: it uses $DISPLAY, e.g.
//   xvfb-run -s "-screen 0 800x600x24 +extension GLX" ./bench_glx_probe [rounds]
// Each round runs the probe in a new process forked from this one (the
// driver loads afresh; the libraries linked to the program are already
// loaded, so a program's own start is not counted) and prints the medians
// with min-max over the rounds.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <GL/gl.h>
#include <GL/glx.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static double now_ms() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static const char* const PHASES[] = {
    "X connection",         "window made and mapped", "first GLX call (driver load)",
    "context made current", "first frame swapped",    "first textured quad",
};
enum { PHASE_COUNT = 6 };

// One probe; writes the phases' milliseconds to fd, one per line. False
// when a phase fails.
static bool probe(int fd) {
    double t[PHASE_COUNT + 1];
    t[0] = now_ms();
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return false;
    t[1] = now_ms();
    int screen = DefaultScreen(dpy);
    XVisualInfo wanted;
    memset(&wanted, 0, sizeof wanted);
    wanted.visualid = XVisualIDFromVisual(DefaultVisual(dpy, screen));
    int count = 0;
    XVisualInfo* visual = XGetVisualInfo(dpy, VisualIDMask, &wanted, &count);
    if (!visual) return false;
    Window root = RootWindow(dpy, screen);
    XSetWindowAttributes attributes;
    memset(&attributes, 0, sizeof attributes);
    attributes.colormap = XCreateColormap(dpy, root, visual->visual, AllocNone);
    Window window = XCreateWindow(dpy, root, 0, 0, 800, 600, 0, visual->depth, InputOutput, visual->visual, CWColormap,
                                  &attributes);
    XMapRaised(dpy, window);
    XSync(dpy, False);
    t[2] = now_ms();
    int use_gl = 0;
    glXGetConfig(dpy, visual, GLX_USE_GL, &use_gl);
    if (!use_gl) return false;
    t[3] = now_ms();
    GLXContext context = glXCreateContext(dpy, visual, nullptr, True);
    if (!context || !glXMakeCurrent(dpy, window, context)) return false;
    t[4] = now_ms();
    glViewport(0, 0, 800, 600);
    glClearColor(0.2f, 0.3f, 0.4f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glXSwapBuffers(dpy, window);
    glFinish();
    t[5] = now_ms();
    std::vector<unsigned char> texels(64 * 64 * 4, 200);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GEQUAL, 0.5f);
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, 800, 600, 0, -1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(10, 10);
    glTexCoord2f(1, 0), glVertex2f(74, 10);
    glTexCoord2f(1, 1), glVertex2f(74, 74);
    glTexCoord2f(0, 1), glVertex2f(10, 74);
    glEnd();
    glXSwapBuffers(dpy, window);
    glFinish();
    t[6] = now_ms();
    std::string out;
    for (int i = 0; i < PHASE_COUNT; i++) out += std::to_string(t[i + 1] - t[i]) + "\n";
    bool ok = write(fd, out.data(), out.size()) == (ssize_t)out.size();
    glXMakeCurrent(dpy, None, nullptr);
    glXDestroyContext(dpy, context);
    XCloseDisplay(dpy);
    return ok;
}

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    std::vector<std::vector<double>> phases(PHASE_COUNT);
    std::vector<double> totals;
    for (int r = 0; r < rounds; r++) {
        // The server first finishes with the last round's client.
        if (r > 0) usleep(300 * 1000);
        int fds[2];
        if (pipe(fds) != 0) return 1;
        double start = now_ms();
        pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            _exit(probe(fds[1]) ? 0 : 1);
        }
        close(fds[1]);
        std::string text;
        char buffer[256];
        for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, (size_t)n);
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            fprintf(stderr, "bench_glx_probe: the probe failed (is DISPLAY an X server with GLX?)\n");
            return 1;
        }
        totals.push_back(now_ms() - start);
        size_t at = 0;
        for (int i = 0; i < PHASE_COUNT; i++) {
            phases[(size_t)i].push_back(atof(text.c_str() + at));
            at = text.find('\n', at) + 1;
        }
    }
    printf("%-32s median (min-max) ms over %d fresh processes\n", "phase", rounds);
    for (int i = 0; i < PHASE_COUNT; i++) {
        std::vector<double>& v = phases[(size_t)i];
        std::sort(v.begin(), v.end());
        printf("%-32s %.1f (%.1f-%.1f)\n", PHASES[i], v[v.size() / 2], v.front(), v.back());
    }
    std::sort(totals.begin(), totals.end());
    printf("%-32s %.1f (%.1f-%.1f)\n", "fork to exit, in all", totals[totals.size() / 2], totals.front(),
           totals.back());
    return 0;
}
