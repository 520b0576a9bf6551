// The game's pictures. Sprites face +x; sprites the game tints (ball, aiming marker, border
// flash, background dot) are white with alpha only, because the tint multiplies them.
#include "tools/assetgen/pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>

#include "tools/assetgen/canvas.h"
#include "tools/assetgen/encoders.h"
#include "tools/assetgen/lettering.h"

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265358979f;

const Rgba kWhite{1, 1, 1, 1};
const Rgba kBlack{0, 0, 0, 1};

Mask ShapeMask(int w, int h, const Sdf& sdf, float soft = 1.0f) {
    Mask m(w, h);
    FillShape(m, sdf, soft);
    return m;
}

// A soft halo: the shape grown, blurred and laid under what comes next.
void Glow(Canvas& c, const Mask& shape, const Rgba& colour, float grow, int radius,
          float strength) {
    Mask halo = Blurred(grow > 0 ? Dilated(shape, grow) : shape, radius);
    c.Draw(halo, colour, strength);
}

Paint RadialShade(float cx, float cy, float r, const Rgba& inner, const Rgba& outer) {
    return [=](float x, float y) {
        float t = std::clamp(std::hypot(x - cx, y - cy) / r, 0.0f, 1.0f);
        return Mix(inner, outer, t);
    };
}

Paint VerticalShade(float y0, float y1, const Rgba& top, const Rgba& bottom) {
    return [=](float, float y) {
        return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f));
    };
}

// Horizontal stripes (light rows, then dark rows) with a gentle top-to-bottom shade.
Paint Stripes(const Rgba& light, const Rgba& dark, float top, float bottom) {
    return [=](float, float y) {
        int row = static_cast<int>(std::floor(y - top));
        bool is_light = ((row % 7) + 7) % 7 < 4;
        float shade = std::clamp((y - top) / (bottom - top), 0.0f, 1.0f);
        Rgba c = is_light ? light : dark;
        return Mix(c, Mix(c, kBlack, 0.35f), shade * shade);
    };
}

enum class Align { kLeft, kCentre, kRight };

// Small lettering in one colour; x is the left end, the centre or the right end.
void Label(Canvas& c, Face face, float size, const std::string& text, float x, float baseline,
           Align align, const Rgba& colour, float tracking = 0.0f) {
    float width = TextWidth(face, size, text) + tracking * (text.size() - 1);
    float left = align == Align::kLeft ? x : align == Align::kCentre ? x - width / 2 : x - width;
    Mask m(c.width, c.height);
    DrawTextMask(m, face, size, text, left, baseline, tracking);
    c.Draw(m, colour);
}

// Same as Label, but with the text vertically centred on y (by its capitals).
void LabelCentredOn(Canvas& c, Face face, float size, const std::string& text, float x, float y,
                    Align align, const Rgba& colour, float tracking = 0.0f) {
    Label(c, face, size, text, x, y + CapHeight(face, size) / 2, align, colour, tracking);
}

struct BigStyle {
    Rgba light, dark, outline;
};

const BigStyle kCyan{Hex(0x7DF4FF), Hex(0x12B8D8), Hex(0x06394A)};
const BigStyle kRed{Hex(0xFF6A5C), Hex(0xC81E1E), Hex(0x3A0808)};

constexpr float kBandTop = 80, kBandBottom = 230;

// The dark band across the upper third with its lighter rules.
void Band(Canvas& c) {
    c.Draw(ShapeMask(c.width, c.height, Box(0, kBandTop, c.width, kBandBottom)), Hex(0x2C2C30));
    c.Draw(ShapeMask(c.width, c.height, Box(0, kBandTop - 2, c.width, kBandTop)), Hex(0x5A5A62));
    c.Draw(ShapeMask(c.width, c.height, Box(0, kBandBottom, c.width, kBandBottom + 2)),
           Hex(0x5A5A62));
}

// A big striped word centred on the band: glow, dark outline, striped fill.
void BigWord(Canvas& c, const std::string& text, float size, float tracking, const BigStyle& s) {
    Face face = Face::kBold;
    float width = TextWidth(face, size, text) + tracking * (text.size() - 1);
    float cap = CapHeight(face, size);
    float centre = (kBandTop + kBandBottom) / 2;
    float baseline = std::round(centre + cap / 2);
    Mask letters(c.width, c.height);
    DrawTextMask(letters, face, size, text, std::round(c.width / 2.0f - width / 2), baseline,
                 tracking);
    Mask outline = Dilated(letters, 2.5f);
    Glow(c, letters, s.light, 5, 8, 0.55f);
    c.Draw(outline, s.outline);
    c.Draw(letters, Stripes(s.light, s.dark, baseline - cap, baseline));
}

Canvas Ground(int w, int h, float alpha) {
    Canvas c(w, h);
    c.Fill([=](float, float) { return Rgba{0, 0, 0, alpha}; });
    return c;
}

// ---- sprites --------------------------------------------------------------------------------

// Enemies hit balls and the turret pixel by pixel wherever alpha is at least 128, and the
// stored games depend on exactly which pixels those are: a picture redrawn for looks keeps
// the footprint of the one the rules were made with.
std::uint8_t AlphaByte(float a) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(a, 0.0f, 1.0f) * 255.0f));
}

void KeepFootprint(Canvas& c, const Canvas& rules) {
    for (size_t i = 0; i < c.px.size(); ++i) {
        const bool solid = AlphaByte(rules.px[i].a) >= 128;
        Rgba& p = c.px[i];
        float a = p.a;
        if (solid && AlphaByte(a) < 128) a = 128 / 255.0f;
        if (!solid && AlphaByte(a) >= 128) a = 127 / 255.0f;
        if (a == p.a) continue;
        const float k = p.a > 0 ? a / p.a : 0;
        p = p.a > 0 ? Rgba{p.r * k, p.g * k, p.b * k, a} : Rgba{1 * a, 1 * a, 1 * a, a};
    }
}

// The ball as the rules know it: a soft white disc.
Canvas PlayerBody() {
    Canvas c(20, 20);
    Mask core = ShapeMask(20, 20, Circle(10, 10, 6.6f));
    Mask halo = ShapeMask(20, 20, Circle(10, 10, 6.0f), 7.0f);
    c.Draw(halo, kWhite, 0.55f);
    c.Draw(core, RadialShade(8.5f, 8.5f, 8.0f, kWhite, Hex(0xD6D6D6)));
    return c;
}

// The same body over a thin dark rim, so that tinted grey it still reads on the grey field
// and on the turret's dark base, while on white the rim outlines it.
Canvas Player() {
    Canvas c(20, 20);
    Mask glow = ShapeMask(20, 20, Circle(10, 10, 7.0f), 5.0f);
    c.Draw(glow, kWhite, 0.3f);
    c.Draw(ShapeMask(20, 20, Ring(10, 10, 7.2f, 1.1f)), Hex(0x16161A), 0.85f);
    c.Draw(ShapeMask(20, 20, Circle(10, 10, 6.6f)),
           RadialShade(8.5f, 8.5f, 8.0f, kWhite, Hex(0xD6D6D6)));
    KeepFootprint(c, PlayerBody());
    return c;
}

// White disc with a dark arrow; the toothed variant has a saw-tooth rim.
Canvas DiscWithArrow(bool toothed) {
    Canvas c(30, 30);
    Sdf disc = Circle(15, 15, 12.0f);
    if (toothed) {
        disc = [](float x, float y) {
            float dx = x - 15, dy = y - 15;
            float angle = std::atan2(dy, dx);
            float phase = std::fmod(angle / (2 * kPi) * 12 + 12.5f, 1.0f);
            float tooth = 1 - std::fabs(phase * 2 - 1);  // 0 between teeth, 1 at a tip
            return std::hypot(dx, dy) - (11.5f + 2.8f * tooth);
        };
    } else {
        disc = Circle(15, 15, 13.0f);
    }
    Mask body = ShapeMask(30, 30, disc);
    c.Draw(body, RadialShade(12, 11, 16, kWhite, Hex(0xC8C8CC)));
    Mask arrow = ShapeMask(30, 30, Polygon({23, 15, 10, 7.5f, 13.5f, 15, 10, 22.5f}));
    c.Draw(arrow, Hex(0x202024));
    return c;
}

// The controller ship: a claw (a disc with a bite out of its front) and a bright core.
Canvas Claw(const Rgba& body, const Rgba& highlight) {
    Canvas c(50, 50);
    Sdf claw = Subtract(Circle(23, 25, 18), Circle(39.5f, 25, 11.5f));
    Sdf upper_tip = Polygon({31, 10.5f, 46.5f, 16.5f, 36, 17.5f});
    Sdf lower_tip = Polygon({31, 39.5f, 46.5f, 33.5f, 36, 32.5f});
    Sdf shape = Union(claw, Union(upper_tip, lower_tip));
    Mask m = ShapeMask(50, 50, shape);
    Glow(c, m, kWhite, 2, 3, 0.9f);
    Rgba edge = Mix(body, kBlack, 0.45f);
    c.Draw(Dilated(m, 1.0f), edge);
    c.Draw(m, RadialShade(17, 17, 26, highlight, body));
    // A ridge along the claw's inner edge and the core.
    Mask ridge = ShapeMask(50, 50, Intersect(shape, Ring(39.5f, 25, 14.5f, 1.2f)));
    c.Draw(ridge, highlight, 0.8f);
    c.Draw(ShapeMask(50, 50, Circle(17, 25, 6.5f)), edge);
    c.Draw(ShapeMask(50, 50, Circle(17, 25, 5.0f)),
           RadialShade(15.5f, 23.5f, 6, kWhite, highlight));
    return c;
}

Canvas Mover() {
    Canvas c(50, 50);
    Sdf shape = Polygon({46.5f, 25, 8, 6.5f, 18, 25, 8, 43.5f});
    Mask m = ShapeMask(50, 50, shape);
    Rgba blue = Hex(0x3A7BFF), light = Hex(0xA8C8FF);
    Glow(c, m, blue, 1, 3, 0.5f);
    c.Draw(Dilated(m, 1.0f), Hex(0x10245A));
    c.Draw(m, VerticalShade(6, 44, Mix(blue, light, 0.25f), Mix(blue, kBlack, 0.25f)));
    // Edge light along both leading edges.
    Sdf edges = Union(Segment(46.5f, 25, 8, 6.5f, 1.6f), Segment(46.5f, 25, 8, 43.5f, 1.6f));
    c.Draw(ShapeMask(50, 50, Intersect(shape, edges)), light);
    c.Draw(ShapeMask(50, 50, Polygon({36, 25, 24, 20.5f, 24, 29.5f})), light, 0.9f);
    return c;
}

Canvas Star() {
    Canvas c(50, 50);
    std::vector<float> points;
    for (int i = 0; i < 8; ++i) {
        float angle = i * kPi / 4;
        float r = i % 2 == 0 ? 23.0f : 6.5f;
        points.push_back(25 + r * std::cos(angle));
        points.push_back(25 + r * std::sin(angle));
    }
    Mask m = ShapeMask(50, 50, Polygon(points));
    Glow(c, m, kWhite, 1, 3, 0.6f);
    c.Draw(m, RadialShade(25, 25, 20, kWhite, Hex(0xDCDCE0)));
    return c;
}

Canvas Pointer() {
    Canvas c(400, 80);
    const float cx = 200, cy = 40, r = 28;
    Sdf ring = Ring(cx, cy, r, 1.6f);
    Sdf ticks = Segment(cx, cy - r - 3, cx, cy - r - 9, 1.3f);
    ticks = Union(ticks, Segment(cx, cy + r + 3, cx, cy + r + 9, 1.3f));
    ticks = Union(ticks, Segment(cx - r - 3, cy, cx - r - 9, cy, 1.3f));
    Sdf beam = Segment(cx + r + 4, cy, 398, cy, 1.5f);
    Sdf head = Polygon({cx + r + 12, cy, cx + r + 3, cy - 6, cx + r + 3, cy + 6});
    Mask all = ShapeMask(400, 80, Union(Union(ring, ticks), Union(beam, head)));
    Glow(c, all, kWhite, 1, 4, 0.45f);
    // The beam fades a little towards its far end.
    c.Draw(all, [=](float x, float) {
        float t = std::clamp((x - (cx + r)) / (400 - (cx + r)), 0.0f, 1.0f);
        return Rgba{1, 1, 1, 1 - 0.45f * t};
    });
    return c;
}

Canvas Layer() {
    Canvas c(800, 600);
    c.Fill([](float x, float y) {
        float dx = (x - 400) / 400, dy = (y - 300) / 300;
        float vignette = std::clamp((dx * dx + dy * dy) / 2, 0.0f, 1.0f);
        float scan = static_cast<int>(y) % 3 == 0 ? 0.07f : 0.0f;
        return Rgba{0, 0, 0, std::clamp(scan + 0.4f * vignette * vignette, 0.0f, 1.0f)};
    });
    return c;
}

Canvas PlayerShipBody() {
    Canvas c(60, 60);
    const float cx = 30, cy = 30;
    const float gap = 38 * kPi / 180;
    float gx = 30 * std::cos(gap), gy = 30 * std::sin(gap);
    Sdf mouth = Polygon({cx, cy, cx + gx * 2, cy - gy * 2, cx + gx * 2, cy + gy * 2});
    Mask body = ShapeMask(60, 60, Circle(cx, cy, 24));
    Mask rim = ShapeMask(60, 60, Subtract(Ring(cx, cy, 24.5f, 2.6f), mouth));
    c.Draw(ShapeMask(60, 60, Circle(cx, cy, 26)), Hex(0x2A2A2E), 0.6f);
    c.Draw(body, RadialShade(24, 22, 28, Hex(0xB4B6BC), Hex(0x74767C)));
    // The open front: a darker mouth with the barrel in it.
    c.Draw(ShapeMask(60, 60, Intersect(Circle(cx, cy, 24), Subtract(mouth, Circle(cx, cy, 11)))),
           Hex(0x46474C));
    c.Draw(ShapeMask(60, 60, Box(cx, cy - 4, cx + 25, cy + 4)), Hex(0x5C5E64));
    c.Draw(ShapeMask(60, 60, Box(cx, cy - 4, cx + 25, cy - 2)), Hex(0xA0A2A8));
    c.Draw(rim, VerticalShade(4, 56, Hex(0xFFB060), Hex(0xD8680C)));
    c.Draw(ShapeMask(60, 60, Circle(cx, cy, 9.5f)), Hex(0x5A5C62));
    c.Draw(ShapeMask(60, 60, Ring(cx, cy, 8.5f, 1.2f)), Hex(0xFF8A1E));
    c.Draw(ShapeMask(60, 60, Circle(cx - 2, cy - 2, 3)), Hex(0x9A9CA2));
    return c;
}

// The turret's ship with a light barrel in a dark outline, tipped orange, so the aim reads
// at a glance; its footprint stays that of the plain ship.
Canvas PlayerShip() {
    Canvas c = PlayerShipBody();
    const float cx = 30, cy = 30;
    c.Draw(ShapeMask(60, 60, Box(cx + 7, cy - 5, cx + 25.5f, cy + 5)), Hex(0x1C1C20));
    c.Draw(ShapeMask(60, 60, Box(cx + 8, cy - 3.5f, cx + 24.5f, cy + 3.5f)),
           VerticalShade(cy - 3.5f, cy + 3.5f, Hex(0xF4F4F6), Hex(0xB8BAC0)));
    c.Draw(ShapeMask(60, 60, Box(cx + 20.5f, cy - 3.5f, cx + 24.5f, cy + 3.5f)), Hex(0xFF8A1E));
    KeepFootprint(c, PlayerShipBody());
    return c;
}

Canvas Base() {
    Canvas c(180, 180);
    const float cx = 90, cy = 90;
    c.Draw(ShapeMask(180, 180, Circle(cx, cy, 88)), Hex(0x2A2A2E));
    c.Draw(ShapeMask(180, 180, Circle(cx, cy, 83)),
           RadialShade(cx - 15, cy - 15, 100, Hex(0x46464C), Hex(0x35353A)));
    Sdf lines = Ring(cx, cy, 70, 0.6f);
    for (int i = 0; i < 8; ++i) {
        float a = i * kPi / 4;
        lines = Union(lines, Segment(cx + 30 * std::cos(a), cy + 30 * std::sin(a),
                                     cx + 78 * std::cos(a), cy + 78 * std::sin(a), 1.3f));
    }
    lines = Union(lines, Ring(cx, cy, 30, 1.0f));
    c.Draw(ShapeMask(180, 180, lines), Hex(0x55555C));
    c.Draw(ShapeMask(180, 180, Circle(cx, cy, 28)), Hex(0x303034));
    return c;
}

Canvas BorderExplosion() {
    Canvas c(50, 50);
    Mask ring = ShapeMask(50, 50, Ring(25, 25, 17, 3.2f), 1.5f);
    Glow(c, ring, kWhite, 1, 3, 0.8f);
    c.Draw(ring, kWhite);
    return c;
}

Canvas BgDot() {
    Canvas c(3, 3);
    c.At(1, 1) = kWhite;
    return c;
}

// The field colour: warm off-white darkening towards the corners (t = 0 centre, 1 corner).
float FieldDepth(float x, float y) {
    float dx = (x - 400) / 400, dy = (y - 300) / 300;
    return std::clamp((dx * dx + dy * dy) / 2, 0.0f, 1.0f);
}

Rgba FieldColour(float t) {
    return Mix(Hex(0xF6F1E7), Hex(0xDCD4C4), std::pow(t, 0.8f));
}

std::vector<std::uint8_t> Background() {
    std::vector<std::uint8_t> rgb(800 * 600 * 3);
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            Rgba c = FieldColour(FieldDepth(x + 0.5f, y + 0.5f));
            float dither = Hash01(x, y, 7) - 0.5f;
            size_t i = (static_cast<size_t>(y) * 800 + x) * 3;
            float v[3] = {c.r, c.g, c.b};
            for (int k = 0; k < 3; ++k) {
                rgb[i + k] = static_cast<std::uint8_t>(
                    std::clamp(std::lround(v[k] * 255 + dither), 0L, 255L));
            }
        }
    }
    return rgb;
}

// Dithered by half a step: the game tints this grey, and a tint multiplies each 8-bit step
// of a smooth gradient into a visible band unless the steps are broken up.
Canvas BackgroundMask() {
    Canvas c(800, 600);
    c.Fill([](float x, float y) {
        float t = FieldDepth(x, y);
        Rgba colour = FieldColour(t);
        colour.a = 0.42f + 0.5f * std::pow(t, 0.7f);
        // A 4x4 ordered pattern (it compresses far better than noise), within half a step.
        static const int kBayer[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};
        const int i = (static_cast<int>(y) % 4) * 4 + static_cast<int>(x) % 4;
        const float d = ((kBayer[i] + 0.5f) / 16 - 0.5f) / 255;
        colour.r += d;
        colour.g += d;
        colour.b += d;
        colour.a += d;
        return colour;
    });
    return c;
}

Canvas Display() {
    Canvas c(800, 35);
    c.Fill(VerticalShade(0, 35, Hex(0x4A4A50), Hex(0x3A3A40)));
    c.Draw(ShapeMask(800, 35, Box(0, 0, 800, 1)), Hex(0x6E6E76));
    c.Draw(ShapeMask(800, 35, Box(0, 34, 800, 35)), Hex(0x26262A));
    Rgba text = Hex(0xD8D8DC);
    const float y = 17.5f, size = 15;
    LabelCentredOn(c, Face::kBoldOblique, size, "SCORE", 100, y, Align::kRight, text, 1);
    LabelCentredOn(c, Face::kBoldOblique, size, "MAX CHAIN", 390, y, Align::kRight, text, 1);
    LabelCentredOn(c, Face::kBoldOblique, size, "ENERGY", 550, y, Align::kRight, text, 1);
    return c;
}

const Rgba kSmallText = Hex(0xD8D8DC);

Canvas Title() {
    Canvas c = Ground(800, 600, 1.0f);
    Band(c);
    BigWord(c, "ZANDOR", 118, 10, kCyan);
    Label(c, Face::kBold, 24, "LEFT-CLICK TO START", 400, 296, Align::kCentre, kCyan.light, 2);
    // "HOW TO PLAY" with short rules either side.
    float head_y = 362;
    Label(c, Face::kBold, 15, "HOW TO PLAY", 400, head_y, Align::kCentre, kCyan.dark, 3);
    float half = TextWidth(Face::kBold, 15, "HOW TO PLAY") / 2 + 30;
    c.Draw(ShapeMask(800, 600, Box(400 - half - 60, head_y - 6, 400 - half, head_y - 5)),
           kCyan.dark);
    c.Draw(ShapeMask(800, 600, Box(400 + half, head_y - 6, 400 + half + 60, head_y - 5)),
           kCyan.dark);
    const char* lines[] = {"DESTROY ENEMIES TO DEFEND YOUR BASE", "AIM WITH THE MOUSE",
                           "LEFT-CLICK TO SHOOT", "SHOOT ENEMIES OR MAKE THEM SHOOT EACH OTHER",
                           "GO FOR HIGH CHAINS FOR A HIGH SCORE"};
    float y = 396;
    for (const char* line : lines) {
        Label(c, Face::kBold, 15, line, 400, y, Align::kCentre, kSmallText, 1);
        y += 27;
    }
    Label(c, Face::kRegular, 11, "ZANDOR BY QEL 2008  -  PICTURES AND MUSIC GENERATED IN CODE", 400,
          582, Align::kCentre, Hex(0x7A7A82), 1);
    return c;
}

// The closing screens: labels end just left of the centre line, where the numbers begin.
void ScoreLabels(Canvas& c, const Rgba& colour) {
    LabelCentredOn(c, Face::kBold, 20, "SCORE", 388, 298, Align::kRight, colour, 1);
    LabelCentredOn(c, Face::kBold, 20, "MAX CHAIN", 388, 334, Align::kRight, colour, 1);
}

Canvas GameOver() {
    Canvas c = Ground(800, 600, 0.88f);
    Band(c);
    BigWord(c, "GAME OVER", 96, 6, kRed);
    ScoreLabels(c, kSmallText);
    Label(c, Face::kBold, 20, "RIGHT-CLICK FOR TITLE", 400, 440, Align::kCentre, kRed.light, 2);
    return c;
}

Canvas End() {
    Canvas c = Ground(800, 600, 0.88f);
    Band(c);
    BigWord(c, "SORRY...", 104, 8, kCyan);
    Label(c, Face::kBold, 16, "...BUT THE GAME ENDS HERE. THANK YOU FOR PLAYING!", 400, 262,
          Align::kCentre, kCyan.light, 1);
    ScoreLabels(c, kSmallText);
    Label(c, Face::kBold, 20, "RIGHT-CLICK FOR TITLE", 400, 440, Align::kCentre, kCyan.light, 2);
    return c;
}

void Save(const Canvas& c, const std::string& path, const Rgba& ground = kWhite) {
    WritePng(path, c.width, c.height, c.ToRgba8(ground));
}

const std::map<std::string, std::function<void(const std::string&)>>& Writers() {
    static const std::map<std::string, std::function<void(const std::string&)>> writers = {
        {"player.png", [](const std::string& p) { Save(Player(), p); }},
        {"enemy1.png", [](const std::string& p) { Save(DiscWithArrow(false), p); }},
        {"enemy2.png", [](const std::string& p) { Save(DiscWithArrow(true), p); }},
        {"enemycontrol.png",
         [](const std::string& p) { Save(Claw(Hex(0xFF8A1E), Hex(0xFFD08A)), p); }},
        {"enemycontroltrace.png",
         [](const std::string& p) { Save(Claw(Hex(0xFF3FA4), Hex(0xFFB0DA)), p); }},
        {"enemymove.png", [](const std::string& p) { Save(Mover(), p); }},
        {"enemybomb.png", [](const std::string& p) { Save(Star(), p); }},
        {"pointer.png", [](const std::string& p) { Save(Pointer(), p); }},
        {"layer.png", [](const std::string& p) { Save(Layer(), p, kBlack); }},
        {"playership.png", [](const std::string& p) { Save(PlayerShip(), p); }},
        {"borderexplosion.png", [](const std::string& p) { Save(BorderExplosion(), p); }},
        {"background.jpg", [](const std::string& p) { WriteJpeg(p, 800, 600, Background(), 92); }},
        {"backgroundmask.png", [](const std::string& p) { Save(BackgroundMask(), p); }},
        {"display.png", [](const std::string& p) { Save(Display(), p); }},
        {"title.png", [](const std::string& p) { Save(Title(), p, kBlack); }},
        {"bgfx.png", [](const std::string& p) { Save(BgDot(), p); }},
        {"end.png", [](const std::string& p) { Save(End(), p, kBlack); }},
        {"base.png", [](const std::string& p) { Save(Base(), p); }},
        {"gameover.png", [](const std::string& p) { Save(GameOver(), p, kBlack); }},
    };
    return writers;
}

}  // namespace

const std::vector<std::string>& PictureNames() {
    static const std::vector<std::string> names = {"player.png",
                                                   "enemy1.png",
                                                   "enemy2.png",
                                                   "enemycontrol.png",
                                                   "enemycontroltrace.png",
                                                   "enemymove.png",
                                                   "enemybomb.png",
                                                   "pointer.png",
                                                   "layer.png",
                                                   "playership.png",
                                                   "borderexplosion.png",
                                                   "background.jpg",
                                                   "backgroundmask.png",
                                                   "display.png",
                                                   "title.png",
                                                   "bgfx.png",
                                                   "end.png",
                                                   "base.png",
                                                   "gameover.png"};
    return names;
}

void WritePicture(const std::string& name, const std::string& path) {
    auto it = Writers().find(name);
    if (it == Writers().end()) throw std::runtime_error("no picture named " + name);
    it->second(path);
}

}  // namespace assetgen
