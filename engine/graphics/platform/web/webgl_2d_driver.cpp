// The browser's 2D driver (the build's webgl 2D choice): the frame's primitives batched on
// the CPU (TDrawBatch) and drawn through plain WebGL 1 with one small shader pair, instead of
// one emulated immediate-mode call per vertex.
//
// The shaders compute what the fixed-function pipeline does for this program: the same
// orthographic projection (as single floats, so vertices land where they did), colour times
// texel, the mask blend's alpha test as a discard. Untextured primitives sample a white 1x1
// texture, which leaves their colour exact. Queued vertices go out before Flip presents (a
// flip hook, so before the frame's wait hands the canvas to the browser), at Cls, and around
// pixel reads and writes.
#include <GLES2/gl2.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/graphics/graphics.h"
#include "engine/graphics/internal/draw_batch.h"
#include "engine/graphics/internal/gl_graphics_driver.h"
#include "engine/graphics/internal/gl_image_frame.h"
#include "engine/graphics/internal/gl_platform.h"
#include "engine/graphics/internal/platform_2d_driver.h"
#include "engine/graphics/pixmap.h"
#include "engine/graphics/render.h"
#include "engine/graphics/tela2d.h"
#include "engine/system/hook.h"

namespace {

const char* const kVertexShader = R"(
attribute vec2 a_position;
attribute vec2 a_texcoord;
attribute vec4 a_color;
uniform mat4 u_projection;
varying vec2 v_texcoord;
varying vec4 v_color;
void main() {
  v_texcoord = a_texcoord;
  v_color = a_color;
  gl_PointSize = 1.0;
  gl_Position = u_projection * vec4(a_position, 0.0, 1.0);
}
)";

const char* const kFragmentShader = R"(
precision mediump float;
uniform sampler2D u_texture;
uniform float u_alpha_ref;
varying vec2 v_texcoord;
varying vec4 v_color;
void main() {
  gl_FragColor = v_color * texture2D(u_texture, v_texcoord);
  if (!(gl_FragColor.a >= u_alpha_ref)) discard;
}
)";

enum : GLuint { kPosition = 0, kTexcoord = 1, kColor = 2 };

GLuint CompileShader(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

class TWebGLTela2DDriver final : public TTela2DDriver,
                                 public TGLFrameDrawer,
                                 public TDrawBatchTarget {
  public:
    TWebGLTela2DDriver() : TTela2DDriver(GLGraphicsDriver()), batch_(*this) {}

    void FlushBatch() { batch_.Flush(); }

    void ResetContext(TTela2DGraphics& g) override;
    std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const std::shared_ptr<TPixmap>& pixmap,
                                                       int flags) override {
        return CreateGLImageFrame(pixmap, flags, this);
    }
    void SetBlend(int mode) override { batch_.SetBlend(mode); }
    void SetAlpha(float alpha) override { batch_.SetAlpha(alpha); }
    void SetColor(int red, int green, int blue) override { batch_.SetColor(red, green, blue); }
    void SetClsColor(int red, int green, int blue) override {
        batch_.SetClsColor(red, green, blue);
    }
    void SetViewport(int x, int y, int width, int height) override {
        batch_.SetViewport(x, y, width, height, GraphicsWidth(), GraphicsHeight());
    }
    void SetTransform(float ix, float iy, float jx, float jy) override {
        batch_.SetTransform(ix, iy, jx, jy);
    }
    void SetLineWidth(float width) override { batch_.SetLineWidth(width); }
    void Cls() override { batch_.Cls(); }
    void Plot(float x, float y) override { batch_.Plot(x, y); }
    void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) override {
        batch_.DrawLine(x0, y0, x1, y1, tx, ty);
    }
    void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override {
        batch_.DrawRect(x0, y0, x1, y1, tx, ty);
    }
    void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override {
        batch_.DrawOval(x0, y0, x1, y1, tx, ty);
    }
    void DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y, float origin_x,
                  float origin_y) override {
        batch_.DrawPoly(xy, handle_x, handle_y, origin_x, origin_y);
    }
    void DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) override;
    std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) override;
    void Flip(int sync) override {
        batch_.Flush();
        TTela2DDriver::Flip(sync);
    }

    void DrawTexturedQuad(const TGLImageFrame& f, float x0, float y0, float x1, float y1, float tx,
                          float ty) override {
        batch_.DrawTexturedQuad(f.name, f.u0, f.v0, f.u1, f.v1, x0, y0, x1, y1, tx, ty);
    }
    // Quads queued with the texture must be drawn before it goes.
    void ForgetTexture(unsigned int) override { batch_.Flush(); }

    void DrawBatch(const TBatchState& state, const TBatchVertex* vertices,
                   std::size_t count) override;
    void ClearBatch(const TBatchScissor& scissor, float red, float green, float blue) override;

  private:
    // The program, buffer and white texture, made again when the context lost them.
    bool EnsureObjects();
    void ApplyScissor(const TBatchScissor& scissor);
    void ApplyBlend(int mode);

    TDrawBatch batch_;
    GLuint program_ = 0, buffer_ = 0, white_ = 0;
    GLint projection_at_ = -1, alpha_ref_at_ = -1;
    int width_ = 0, height_ = 0;
    // What the context holds; reset with the context.
    bool state_known_ = false;
    int blend_ = 0;
    TBatchScissor scissor_;
};

bool TWebGLTela2DDriver::EnsureObjects() {
    if (program_ != 0 && glIsProgram(program_)) return true;
    // The names of a lost context's objects are only freed.
    if (program_ != 0) glDeleteProgram(program_);
    if (buffer_ != 0) glDeleteBuffers(1, &buffer_);
    if (white_ != 0) glDeleteTextures(1, &white_);
    program_ = buffer_ = white_ = 0;
    state_known_ = false;

    const GLuint vs = CompileShader(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fs = CompileShader(GL_FRAGMENT_SHADER, kFragmentShader);
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glBindAttribLocation(program, kPosition, "a_position");
    glBindAttribLocation(program, kTexcoord, "a_texcoord");
    glBindAttribLocation(program, kColor, "a_color");
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        // A lost context fails every link; the next reset tries again.
        glDeleteProgram(program);
        return false;
    }
    program_ = program;
    glUseProgram(program_);
    projection_at_ = glGetUniformLocation(program_, "u_projection");
    alpha_ref_at_ = glGetUniformLocation(program_, "u_alpha_ref");
    glUniform1i(glGetUniformLocation(program_, "u_texture"), 0);

    glGenBuffers(1, &buffer_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    const auto stride = static_cast<GLsizei>(sizeof(TBatchVertex));
    glEnableVertexAttribArray(kPosition);
    glVertexAttribPointer(kPosition, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(TBatchVertex, x)));
    glEnableVertexAttribArray(kTexcoord);
    glVertexAttribPointer(kTexcoord, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(TBatchVertex, u)));
    glEnableVertexAttribArray(kColor);
    glVertexAttribPointer(kColor, 4, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(TBatchVertex, r)));

    white_ = NewNearestTexture();
    const unsigned char white[4] = {255, 255, 255, 255};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    return true;
}

void TWebGLTela2DDriver::ResetContext(TTela2DGraphics& g) {
    int depth = 0, hertz = 0, flags = 0;
    g.GetSettings(width_, height_, depth, hertz, flags);
    const bool had_program = program_ != 0 && glIsProgram(program_);
    if (had_program) {
        batch_.Flush();
    } else {
        batch_.Discard();  // made for objects that went with the lost context
    }
    state_known_ = false;
    if (!EnsureObjects()) return;
    glUseProgram(program_);
    // glOrtho(0, width, height, 0, -1, 1), each entry rounded once from double.
    const double w = width_, h = height_;
    const auto sx = static_cast<GLfloat>(2.0 / w), sy = static_cast<GLfloat>(2.0 / (0.0 - h));
    const auto ty = static_cast<GLfloat>(-h / (0.0 - h));
    const GLfloat projection[16] = {sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, -1, 0, -1, ty, 0, 1};
    glUniformMatrix4fv(projection_at_, 1, GL_FALSE, projection);
    glViewport(0, 0, width_, height_);
    glActiveTexture(GL_TEXTURE0);
}

void TWebGLTela2DDriver::ApplyScissor(const TBatchScissor& scissor) {
    if (state_known_ && scissor == scissor_) return;
    if (scissor.enabled) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(scissor.x, scissor.y, scissor.width, scissor.height);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
    scissor_ = scissor;
}

void TWebGLTela2DDriver::ApplyBlend(int mode) {
    if (state_known_ && mode == blend_) return;
    blend_ = mode;
    float alpha_ref = 0.0f;
    switch (mode) {
        case BLEND_MASK:
            glDisable(GL_BLEND);
            alpha_ref = 0.5f;
            break;
        case BLEND_ALPHA:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            break;
        case BLEND_LIGHT:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            break;
        case BLEND_SHADE:
            glEnable(GL_BLEND);
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
            break;
        default:  // BLEND_SOLID and unknown modes
            glDisable(GL_BLEND);
            break;
    }
    glUniform1f(alpha_ref_at_, alpha_ref);
}

void TWebGLTela2DDriver::DrawBatch(const TBatchState& state, const TBatchVertex* vertices,
                                   std::size_t count) {
    // Before the first reset, or while a lost context has not come back.
    if (program_ == 0) return;
    ApplyScissor(state.scissor);
    ApplyBlend(state.blend);
    state_known_ = true;
    // Texture uploads bind their own textures in this same context, so bind every time.
    glBindTexture(GL_TEXTURE_2D, state.texture != 0 ? state.texture : white_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * sizeof(TBatchVertex)), vertices,
                 GL_STREAM_DRAW);
    GLenum mode = GL_TRIANGLES;
    if (state.primitive == TBatchPrimitive::Lines) mode = GL_LINES;
    if (state.primitive == TBatchPrimitive::Points) mode = GL_POINTS;
    glDrawArrays(mode, 0, static_cast<GLsizei>(count));
}

void TWebGLTela2DDriver::ClearBatch(const TBatchScissor& scissor, float red, float green,
                                    float blue) {
    ApplyScissor(scissor);
    glClearColor(red, green, blue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

// A texture of the pixmap's own size on a quad at the pixel grid, nearest-sampled, so every
// pixel lands unchanged; the texture is deleted again at once.
void TWebGLTela2DDriver::DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) {
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return;
    std::shared_ptr<TPixmap> rgba =
        pixmap->format == PF_RGBA8888 ? pixmap : pixmap->Convert(PF_RGBA8888);
    if (!rgba) return;
    batch_.Flush();
    GLuint name = NewNearestTexture();
    GLUploadTexture(*rgba, 0);
    batch_.DrawPixels(name, x, y, rgba->width, rgba->height);
    glDeleteTextures(1, &name);
}

std::shared_ptr<TPixmap> TWebGLTela2DDriver::GrabPixmap(int x, int y, int width, int height) {
    batch_.Flush();
    return ReadWindowPixels(x, y, width, height);
}

TObjectPtr FlushBeforePresent(int, const TObjectPtr& data, void* driver) {
    static_cast<TWebGLTela2DDriver*>(driver)->FlushBatch();
    return data;
}

}  // namespace

TTela2DDriver* PlatformTela2DDriver() {
    static TWebGLTela2DDriver* driver = [] {
        auto* d = new TWebGLTela2DDriver;
        // Last of the flip hooks, so whatever they draw goes out with the frame.
        InsertHook(FlipHookId(), FlushBeforePresent, d, INT_MIN);
        return d;
    }();
    return driver;
}
