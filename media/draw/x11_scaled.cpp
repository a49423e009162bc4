// The off-screen buffer of a scaled display: where the board is drawn at
// the game's own size when the window is larger (a full screen that kept
// the screen's mode, a window at 2x or 3x), and how it is shown there -
// scaled through x11_fit, centred, black bars, nearest sampling for whole
// factors and linear otherwise, the whole window or one rectangle of it.
// Depends on GL framebuffer objects (GL 3.0 or ARB/EXT_framebuffer_object,
// looked up at run time); without them a scaled display cannot open.
#include <GL/gl.h>
#include <GL/glext.h>
#include <algorithm>
#include <cstring>

#include "media/draw/x11_backend.h"

// ---------------------------------------------------------------------------
// The current display's off-screen buffer; made by x11_offscreen_begin
// ---------------------------------------------------------------------------
TScaleFit x11_fit;        // where the display shows on the window
bool x11_scaled = false;  // drawing goes to the off-screen buffer
static GLuint offscreen_framebuffer = 0;  // framebuffer object drawn into, 0 = none
static GLuint offscreen_texture = 0;      // its colour texture, the display's pixels
static int offscreen_tw = 0, offscreen_th = 0;  // that texture's size (covers the display)

// Framebuffer-object entry points of the current context.
static PFNGLGENFRAMEBUFFERSPROC gen_framebuffers = nullptr;
static PFNGLBINDFRAMEBUFFERPROC bind_framebuffer = nullptr;
static PFNGLFRAMEBUFFERTEXTURE2DPROC framebuffer_texture = nullptr;
static PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer = nullptr;
static PFNGLDELETEFRAMEBUFFERSPROC delete_framebuffers = nullptr;

// The core names first, then the extension's (same values, same calls).
static void* gl_function(const char* core, const char* extension) {
    void* fn = (void*)glXGetProcAddressARB((const GLubyte*)core);
    return fn ? fn : (void*)glXGetProcAddressARB((const GLubyte*)extension);
}

static bool find_framebuffer_functions() {
    const char* list = (const char*)glGetString(GL_EXTENSIONS);
    const char* version = (const char*)glGetString(GL_VERSION);
    bool offered = (version && version[0] >= '3' && version[1] == '.') ||
                   (list && (strstr(list, "GL_ARB_framebuffer_object") || strstr(list, "GL_EXT_framebuffer_object")));
    if (!offered) return false;
    gen_framebuffers = (PFNGLGENFRAMEBUFFERSPROC)gl_function("glGenFramebuffers", "glGenFramebuffersEXT");
    bind_framebuffer = (PFNGLBINDFRAMEBUFFERPROC)gl_function("glBindFramebuffer", "glBindFramebufferEXT");
    framebuffer_texture =
        (PFNGLFRAMEBUFFERTEXTURE2DPROC)gl_function("glFramebufferTexture2D", "glFramebufferTexture2DEXT");
    check_framebuffer =
        (PFNGLCHECKFRAMEBUFFERSTATUSPROC)gl_function("glCheckFramebufferStatus", "glCheckFramebufferStatusEXT");
    delete_framebuffers = (PFNGLDELETEFRAMEBUFFERSPROC)gl_function("glDeleteFramebuffers", "glDeleteFramebuffersEXT");
    return gen_framebuffers && bind_framebuffer && framebuffer_texture && check_framebuffer && delete_framebuffers;
}

bool x11_offscreen_begin(int width, int height, bool any_texture_size) {
    if (!find_framebuffer_functions()) return false;
    GLint max_size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
    offscreen_tw = any_texture_size ? width : next_power_of_two(std::max(1, width));
    offscreen_th = any_texture_size ? height : next_power_of_two(std::max(1, height));
    if (offscreen_tw > max_size || offscreen_th > max_size) return false;
    glGenTextures(1, &offscreen_texture);
    glBindTexture(GL_TEXTURE_2D, offscreen_texture);
    GLint filter = x11_fit.integer ? GL_NEAREST : GL_LINEAR;
    x11_texture_storage(filter, offscreen_tw, offscreen_th);
    glBindTexture(GL_TEXTURE_2D, 0);
    gen_framebuffers(1, &offscreen_framebuffer);
    bind_framebuffer(GL_FRAMEBUFFER, offscreen_framebuffer);
    framebuffer_texture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, offscreen_texture, 0);
    if (check_framebuffer(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        x11_render_end();
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return true;
}

void x11_render_end() {
    if (offscreen_framebuffer && bind_framebuffer) {
        bind_framebuffer(GL_FRAMEBUFFER, 0);
        delete_framebuffers(1, &offscreen_framebuffer);
    }
    if (offscreen_texture) glDeleteTextures(1, &offscreen_texture);
    offscreen_framebuffer = 0;
    offscreen_texture = 0;
}

unsigned x11_read_buffer() { return offscreen_framebuffer ? GL_COLOR_ATTACHMENT0 : GL_BACK; }

// The projection of one unit per pixel, y down, over a target of that size.
static void pixel_projection(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
}

void x11_render_show_scaled(bool whole, const TDamageRect& region) {
    if (!offscreen_framebuffer) return;
    x11_render_flush();
    const TScaleFit& f = x11_fit;
    bind_framebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    pixel_projection(f.window_w, f.window_h);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    if (whole) {
        // Only the bars: the board's quad covers the rest.
        glEnable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        const int bars[4][4] = {{0, 0, f.x, f.window_h},
                                {f.x + f.w, 0, f.window_w - f.x - f.w, f.window_h},
                                {f.x, 0, f.w, f.window_h - f.y - f.h},
                                {f.x, f.window_h - f.y, f.w, f.y}};  // GL rows run bottom-up
        for (const auto& bar : bars) {
            if (bar[2] <= 0 || bar[3] <= 0) continue;
            glScissor(bar[0], bar[1], bar[2], bar[3]);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        glDisable(GL_SCISSOR_TEST);
    } else {
        // The same quad as a whole frame, clipped: each pixel gets exactly
        // the colour a whole frame would give it.
        glEnable(GL_SCISSOR_TEST);
        glScissor(region.x0, f.window_h - region.y1, region.x1 - region.x0, region.y1 - region.y0);
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, offscreen_texture);
    // The texels as they are: software renderers have a fast path for an
    // unblended, unmodulated textured quad.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glColor4ub(255, 255, 255, 255);
    // The texture's rows are GL's, bottom-up: the board's top row is its last.
    float u1 = (float)f.board_w / offscreen_tw, v_top = (float)f.board_h / offscreen_th;
    float x0 = (float)f.x, y0 = (float)f.y, x1 = (float)(f.x + f.w), y1 = (float)(f.y + f.h);
    glBegin(GL_QUADS);
    glTexCoord2f(0, v_top);
    glVertex2f(x0, y0);
    glTexCoord2f(u1, v_top);
    glVertex2f(x1, y0);
    glTexCoord2f(u1, 0);
    glVertex2f(x1, y1);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y1);
    glEnd();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    bind_framebuffer(GL_FRAMEBUFFER, offscreen_framebuffer);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    pixel_projection(f.board_w, f.board_h);
    x11_render_forget_state();
}
