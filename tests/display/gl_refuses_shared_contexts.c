/* Stands in for libGL where SDL loads it (SDL_OPENGL_LIBRARY): everything comes from the real
 * libGL except that a context sharing objects with another one cannot be made, so a window
 * gets its pixel format but no context, as on a driver that cannot share. */
#include <GL/glx.h>
#include <dlfcn.h>
#include <string.h>

typedef void (*Proc)(void);

static Proc Real(const GLubyte* name) {
    static Proc (*real)(const GLubyte*);
    if (!real) {
        real = (Proc(*)(const GLubyte*))dlsym(dlopen("libGL.so.1", RTLD_NOW | RTLD_GLOBAL),
                                               "glXGetProcAddressARB");
    }
    return real(name);
}

static GLXContext CreateContext(Display* display, XVisualInfo* visual, GLXContext share,
                                Bool direct) {
    if (share) return NULL;
    return ((GLXContext(*)(Display*, XVisualInfo*, GLXContext, Bool))Real(
        (const GLubyte*)"glXCreateContext"))(display, visual, share, direct);
}

static GLXContext CreateContextAttribs(Display* display, GLXFBConfig config, GLXContext share,
                                       Bool direct, const int* attributes) {
    if (share) return NULL;
    return ((GLXContext(*)(Display*, GLXFBConfig, GLXContext, Bool, const int*))Real(
        (const GLubyte*)"glXCreateContextAttribsARB"))(display, config, share, direct, attributes);
}

/* SDL finds every GLX function through this one, and the rest through libGL below us. */
Proc glXGetProcAddressARB(const GLubyte* name) {
    if (strcmp((const char*)name, "glXCreateContext") == 0) return (Proc)CreateContext;
    if (strcmp((const char*)name, "glXCreateContextAttribsARB") == 0) {
        return (Proc)CreateContextAttribs;
    }
    return Real(name);
}

Proc glXGetProcAddress(const GLubyte* name) {
    return glXGetProcAddressARB(name);
}
