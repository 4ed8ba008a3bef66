// frame.cpp - recording, comparing and drawing one frame (see frame.h).

#include "graphics/frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gl.h"

namespace {

// How far back a primitive may look for a batch of its own kind and texture
// to join. Each step back costs a test against the primitives in between;
// the game never needs more than a handful.
const int kLookback = 8;

// Damage covering more of the window than this is drawn whole: scissored
// passes over most of the window cost more than one pass over all of it.
const double kMostOfTheWindow = 0.5;

// How far ahead the comparison of two frames looks for a batch that one of
// them has and the other has not (a flash appearing, a particle gone).
const size_t kResync = 4;

// At most this many damage rectangles per frame; beyond, the closest ones
// are joined (each rectangle is one more pass over the batches it touches).
const size_t kMaxRects = 8;

// Vertex positions snap to a sub-pixel grid when rasterised; a primitive's
// box is widened by this much so that snapping never reaches past it.
const float kSnapMargin = 1.0f / 32;

const PixelRect kNothing{0, 0, -1, -1};

bool Finite(float v) { return v == v && v > -1e7f && v < 1e7f; }

// Pixel columns (or rows) whose centres lie in [lo, hi].
void Centres(float lo, float hi, int* first, int* last) {
    *first = static_cast<int>(std::ceil(lo - 0.5f));
    *last = static_cast<int>(std::floor(hi - 0.5f));
}

PixelRect Window(int width, int height) { return PixelRect{0, 0, width - 1, height - 1}; }

bool SameVertices(const gxtkGraphics::Vertex* a, const gxtkGraphics::Vertex* b, int count) {
    return std::memcmp(a, b, sizeof(gxtkGraphics::Vertex) * static_cast<size_t>(count)) == 0;
}

// Where a batch's primitives may draw: the window, narrowed by its scissor.
PixelRect Reach(const FrameState& state, int width, int height) {
    PixelRect r = Window(width, height);
    return state.scissored ? r.Meet(state.scissor) : r;
}

// The GL scissor box for a pixel rectangle (GL counts rows from the bottom).
void Scissor(const PixelRect& r, int height) {
    glScissor(r.x0, height - 1 - r.y1, r.x1 - r.x0 + 1, r.y1 - r.y0 + 1);
}

// One pass of drawing: primitives gathered into groups of one GL mode and
// one state, in an order that changes no pixel.
struct Group {
    GLenum mode;
    FrameState state;
    std::vector<GLuint> index;
    std::vector<PixelRect> boxes;
    PixelRect bound;
    long pixels;
};

class Pass {
public:
    Pass(const Frame& frame, const PixelRect* clip, FrameStats& stats)
        : frame(frame), clip(clip), stats(stats) {
        static const gxtkGraphics::Vertex none{};  // a frame of clears only has no vertices
        const gxtkGraphics::Vertex* v = frame.vertices.empty() ? &none : frame.vertices.data();
        glVertexPointer(2, GL_FLOAT, sizeof(gxtkGraphics::Vertex), &v->x);
        glTexCoordPointer(2, GL_FLOAT, sizeof(gxtkGraphics::Vertex), &v->u);
        glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(gxtkGraphics::Vertex), &v->color);
        used = 0;
    }

    ~Pass() {
        Emit();
        glDisable(GL_SCISSOR_TEST);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_TEXTURE_2D);
    }

    void Clear(const FrameBatch& b) {
        Emit();  // a clear is a barrier: nothing moves across it
        PixelRect r = Reach(b.state, frame.width, frame.height);
        if (clip) r = r.Meet(*clip);
        if (r.Empty()) return;
        SetScissor(r, true);
        glClearColor(b.clear[0] / 255.0f, b.clear[1] / 255.0f, b.clear[2] / 255.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        ++stats.drawCalls;
        stats.pixels += r.Area();
    }

    void Add(const FrameBatch& b) {
        const int size = Frame::PrimitiveSize(b.kind, b.count);
        if (size <= 0) return;
        PixelRect reach = Reach(b.state, frame.width, frame.height);
        if (clip) reach = reach.Meet(*clip);
        const GLenum mode = b.kind == gxtkGraphics::kPoints ? GL_POINTS
                            : b.kind == gxtkGraphics::kLines ? GL_LINES
                                                             : GL_TRIANGLES;
        for (int at = b.first; at + size <= b.first + b.count; at += size) {
            PixelRect r = Frame::Touched(b.kind, &frame.vertices[at], size).Meet(reach);
            if (r.Empty()) continue;
            Group& g = GroupFor(mode, b.state, r);
            const GLuint v = static_cast<GLuint>(at);
            if (b.kind == gxtkGraphics::kQuads) {
                g.index.insert(g.index.end(), {v, v + 1, v + 2, v, v + 2, v + 3});
            } else if (b.kind == gxtkGraphics::kFan) {
                for (int i = 1; i + 1 < size; ++i) g.index.insert(g.index.end(), {v, v + i, v + i + 1});
            } else {
                for (int i = 0; i < size; ++i) g.index.push_back(v + i);
            }
            g.boxes.push_back(r);
            g.bound = g.boxes.size() == 1 ? r : g.bound.Join(r);
            g.pixels += r.Area();
        }
    }

private:
    const Frame& frame;
    const PixelRect* clip;
    FrameStats& stats;
    // Groups are kept between passes so that their storage is reused.
    static std::vector<Group> groups;
    size_t used;
    // What GL is set to now (the device leaves blend premultiplied, the
    // scissor off and textures off at BeginRender).
    int blend = 0;
    bool scissorOn = false;
    PixelRect scissorBox = kNothing;
    unsigned texture = 0;

    // The group a primitive joins: the latest one of its mode and state, if
    // nothing drawn since shares a pixel with it; else a new one.
    Group& GroupFor(GLenum mode, const FrameState& state, const PixelRect& r) {
        for (size_t g = used, looked = 0; g > 0 && looked < kLookback; --g, ++looked) {
            Group& candidate = groups[g - 1];
            if (candidate.mode == mode && candidate.state == state) return candidate;
            if (Covers(candidate, r)) break;
        }
        if (used == groups.size()) groups.emplace_back();
        Group& g = groups[used++];
        g.mode = mode;
        g.state = state;
        g.index.clear();
        g.boxes.clear();
        g.bound = kNothing;
        g.pixels = 0;
        return g;
    }

    static bool Covers(const Group& g, const PixelRect& r) {
        if (!g.bound.Meets(r)) return false;
        for (const PixelRect& box : g.boxes) {
            if (box.Meets(r)) return true;
        }
        return false;
    }

    void SetScissor(const PixelRect& r, bool on) {
        if (on != scissorOn) {
            if (on) {
                glEnable(GL_SCISSOR_TEST);
            } else {
                glDisable(GL_SCISSOR_TEST);
            }
            scissorOn = on;
        }
        if (on && (r.x0 != scissorBox.x0 || r.y0 != scissorBox.y0 || r.x1 != scissorBox.x1 ||
                   r.y1 != scissorBox.y1)) {
            Scissor(r, frame.height);
            scissorBox = r;
        }
    }

    void Apply(const FrameState& state) {
        if (state.blend != blend) {
            glBlendFunc(GL_ONE, state.blend == 1 ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
            blend = state.blend;
        }
        if (state.scissored) {
            PixelRect r = clip ? state.scissor.Meet(*clip) : state.scissor;
            SetScissor(r, true);
        } else if (clip) {
            SetScissor(*clip, true);
        } else {
            SetScissor(kNothing, false);
        }
        if (state.texture != texture) {
            if (state.texture) {
                if (!texture) glEnable(GL_TEXTURE_2D);
                glBindTexture(GL_TEXTURE_2D, state.texture);
            } else {
                glDisable(GL_TEXTURE_2D);
            }
            texture = state.texture;
        }
    }

    // Draws the groups gathered so far, in order.
    void Emit() {
        for (size_t i = 0; i < used; ++i) {
            const Group& g = groups[i];
            Apply(g.state);
            glDrawElements(g.mode, static_cast<GLsizei>(g.index.size()), GL_UNSIGNED_INT, g.index.data());
            ++stats.drawCalls;
            stats.primitives += static_cast<long>(g.boxes.size());
            stats.pixels += g.pixels;
        }
        used = 0;
    }
};

std::vector<Group> Pass::groups;

bool SameBatch(const Frame& fa, const FrameBatch& a, const Frame& fb, const FrameBatch& b) {
    if (a.kind != b.kind || a.count != b.count || a.state != b.state) return false;
    if (a.kind == FrameBatch::kClear) return std::memcmp(a.clear, b.clear, sizeof a.clear) == 0;
    return SameVertices(&fa.vertices[a.first], &fb.vertices[b.first], a.count);
}

// Adds the pixels every primitive of `b` may touch.
void AddTouched(const Frame& f, const FrameBatch& b, std::vector<PixelRect>& out) {
    const int size = Frame::PrimitiveSize(b.kind, b.count);
    const PixelRect reach = Reach(b.state, f.width, f.height);
    for (int at = b.first; size > 0 && at + size <= b.first + b.count; at += size) {
        PixelRect r = Frame::Touched(b.kind, &f.vertices[at], size).Meet(reach);
        if (!r.Empty()) out.push_back(r);
    }
}

// Two batches at the same place in their frames: where their primitives
// differ. Of one kind and state, primitive by primitive (the longer one's
// extra primitives all count); otherwise all of both.
void CompareBatches(const Frame& fa, const FrameBatch& x, const Frame& fb, const FrameBatch& y,
                    std::vector<PixelRect>& out) {
    if (x.kind != y.kind || x.state != y.state || x.kind == gxtkGraphics::kFan) {
        AddTouched(fa, x, out);
        AddTouched(fb, y, out);
        return;
    }
    const int size = Frame::PrimitiveSize(x.kind, x.count);
    const PixelRect reach = Reach(x.state, fa.width, fa.height);
    for (int at = 0; size > 0 && (at + size <= x.count || at + size <= y.count); at += size) {
        const bool inX = at + size <= x.count, inY = at + size <= y.count;
        const gxtkGraphics::Vertex* old = inX ? &fa.vertices[x.first + at] : nullptr;
        const gxtkGraphics::Vertex* now = inY ? &fb.vertices[y.first + at] : nullptr;
        if (old && now && SameVertices(old, now, size)) continue;
        for (const gxtkGraphics::Vertex* v : {old, now}) {
            if (!v) continue;
            PixelRect r = Frame::Touched(x.kind, v, size).Meet(reach);
            if (!r.Empty()) out.push_back(r);
        }
    }
}

// Joins rectangles that overlap, or whose join costs little more than the
// two apart (in passes over the list, each taking every rectangle into the
// first one it may join), then the cheapest pairs until at most kMaxRects
// are left.
void Simplify(std::vector<PixelRect>& rects) {
    auto growth = [](const PixelRect& a, const PixelRect& b) { return a.Join(b).Area() - a.Area() - b.Area(); };
    static std::vector<PixelRect> joined;
    for (bool changed = true; changed;) {
        changed = false;
        joined.clear();
        for (const PixelRect& r : rects) {
            bool taken = false;
            for (PixelRect& j : joined) {
                if (j.Meets(r) || growth(j, r) <= 256) {
                    j = j.Join(r);
                    taken = changed = true;
                    break;
                }
            }
            if (!taken) joined.push_back(r);
        }
        rects.swap(joined);
    }
    while (rects.size() > kMaxRects) {
        size_t bi = 0, bj = 1;
        long best = growth(rects[0], rects[1]);
        for (size_t i = 0; i < rects.size(); ++i) {
            for (size_t j = i + 1; j < rects.size(); ++j) {
                long g = growth(rects[i], rects[j]);
                if (g < best) {
                    best = g;
                    bi = i;
                    bj = j;
                }
            }
        }
        rects[bi] = rects[bi].Join(rects[bj]);
        rects.erase(rects.begin() + static_cast<long>(bj));
    }
}

}  // namespace

PixelRect PixelRect::Meet(const PixelRect& o) const {
    return PixelRect{std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
}

PixelRect PixelRect::Join(const PixelRect& o) const {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return PixelRect{std::min(x0, o.x0), std::min(y0, o.y0), std::max(x1, o.x1), std::max(y1, o.y1)};
}

bool FrameState::operator==(const FrameState& o) const {
    if (texture != o.texture || serial != o.serial || blend != o.blend || scissored != o.scissored) return false;
    return !scissored || (scissor.x0 == o.scissor.x0 && scissor.y0 == o.scissor.y0 && scissor.x1 == o.scissor.x1 &&
                          scissor.y1 == o.scissor.y1);
}

int Frame::PrimitiveSize(int kind, int count) {
    switch (kind) {
    case gxtkGraphics::kPoints: return 1;
    case gxtkGraphics::kLines: return 2;
    case gxtkGraphics::kQuads: return 4;
    case gxtkGraphics::kFan: return count >= 3 ? count : 0;
    default: return 0;
    }
}

PixelRect Frame::Touched(int kind, const gxtkGraphics::Vertex* v, int count) {
    float x0 = v[0].x, x1 = v[0].x, y0 = v[0].y, y1 = v[0].y;
    for (int i = 0; i < count; ++i) {
        if (!Finite(v[i].x) || !Finite(v[i].y)) return PixelRect{-(1 << 24), -(1 << 24), 1 << 24, 1 << 24};
        x0 = std::min(x0, v[i].x);
        x1 = std::max(x1, v[i].x);
        y0 = std::min(y0, v[i].y);
        y1 = std::max(y1, v[i].y);
    }
    // Points and lines are a pixel wide around their geometry.
    const float m = kind == gxtkGraphics::kPoints || kind == gxtkGraphics::kLines ? 1.0f : kSnapMargin;
    PixelRect r;
    Centres(x0 - m, x1 + m, &r.x0, &r.x1);
    Centres(y0 - m, y1 + m, &r.y0, &r.y1);
    return r;
}

void Frame::Begin(int w, int h) {
    width = w;
    height = h;
    vertices.clear();
    batches.clear();
}

void Frame::AddClear(const FrameState& state, float r, float g, float b) {
    FrameBatch batch;
    batch.kind = FrameBatch::kClear;
    batch.state = state;
    batch.clear[0] = r;
    batch.clear[1] = g;
    batch.clear[2] = b;
    batches.push_back(batch);
}

void Frame::AddBatch(int kind, const FrameState& state, const gxtkGraphics::Vertex* v, int count) {
    const int size = PrimitiveSize(kind, count);
    if (size <= 0) return;
    const PixelRect reach = Reach(state, width, height);
    for (int at = 0; at + size <= count; at += size) {
        const gxtkGraphics::Vertex* p = v + at;
        if (Touched(kind, p, size).Meet(reach).Empty()) continue;  // nothing of it would show

        // A frame that starts by covering the window with one opaque colour
        // starts with a clear of that colour: the same pixels, far cheaper.
        if (batches.empty() && kind == gxtkGraphics::kQuads && state.texture == 0 && !state.scissored &&
            state.blend != 1 && p[0].y == p[1].y && p[1].x == p[2].x && p[2].y == p[3].y && p[3].x == p[0].x &&
            std::min(p[0].x, p[2].x) <= 0 && std::max(p[0].x, p[2].x) >= width &&
            std::min(p[0].y, p[2].y) <= 0 && std::max(p[0].y, p[2].y) >= height &&
            p[0].color == p[1].color && p[0].color == p[2].color && p[0].color == p[3].color &&
            (p[0].color >> 24) == 255) {
            const uint32_t c = p[0].color;
            AddClear(state, static_cast<float>(c & 255), static_cast<float>(c >> 8 & 255),
                     static_cast<float>(c >> 16 & 255));
            continue;
        }

        // Consecutive batches of one kind and state are one batch (a fan is
        // always its own).
        FrameBatch* last = batches.empty() ? nullptr : &batches.back();
        if (!last || last->kind != kind || kind == gxtkGraphics::kFan || last->state != state) {
            FrameBatch b;
            b.kind = kind;
            b.state = state;
            b.first = static_cast<int>(vertices.size());
            batches.push_back(b);
            last = &batches.back();
        }
        vertices.insert(vertices.end(), p, p + size);
        last->count += size;
    }
}

bool Frame::SameAs(const Frame& o) const {
    if (width != o.width || height != o.height || batches.size() != o.batches.size()) return false;
    for (size_t i = 0; i < batches.size(); ++i) {
        if (!SameBatch(*this, batches[i], o, o.batches[i])) return false;
    }
    return true;
}

bool Frame::Damage(const Frame& next, std::vector<PixelRect>& out) const {
    out.clear();
    if (width != next.width || height != next.height) return false;
    const std::vector<FrameBatch>& a = batches;
    const std::vector<FrameBatch>& b = next.batches;

    // What the two frames share at the start and at the end is unchanged.
    size_t head = 0;
    while (head < a.size() && head < b.size() && SameBatch(*this, a[head], next, b[head])) ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           SameBatch(*this, a[a.size() - 1 - tail], next, b[b.size() - 1 - tail])) {
        ++tail;
    }
    // In between, batches are matched in order: an equal pair is unchanged;
    // a batch that appears or disappears (found again a few batches on)
    // damages where it draws; a pair of one kind and state damages only the
    // primitives that differ; anything else damages both. A pixel outside
    // the damage is then covered by the same matched batches, in the same
    // order, in both frames.
    const size_t ea = a.size() - tail, eb = b.size() - tail;
    size_t i = head, j = head;
    while (i < ea || j < eb) {
        if (i < ea && a[i].kind == FrameBatch::kClear) return false;
        if (j < eb && b[j].kind == FrameBatch::kClear) return false;
        if (i < ea && j < eb && SameBatch(*this, a[i], next, b[j])) {
            ++i;
            ++j;
            continue;
        }
        size_t skipA = 0, skipB = 0;
        for (size_t k = 1; k <= kResync && !skipA && !skipB; ++k) {
            if (i < ea && j + k < eb && SameBatch(*this, a[i], next, b[j + k])) skipB = k;
            else if (j < eb && i + k < ea && SameBatch(*this, a[i + k], next, b[j])) skipA = k;
        }
        if (skipA || skipB) {
            for (; skipA > 0; --skipA, ++i) {
                if (a[i].kind == FrameBatch::kClear) return false;
                AddTouched(*this, a[i], out);
            }
            for (; skipB > 0; --skipB, ++j) {
                if (b[j].kind == FrameBatch::kClear) return false;
                AddTouched(next, b[j], out);
            }
            continue;
        }
        if (i < ea && j < eb) {
            CompareBatches(*this, a[i], next, b[j], out);
            ++i;
            ++j;
        } else if (i < ea) {
            AddTouched(*this, a[i++], out);
        } else {
            AddTouched(next, b[j++], out);
        }
    }

    Simplify(out);
    long area = 0;
    for (const PixelRect& r : out) area += r.Area();
    return area <= kMostOfTheWindow * width * height;
}

void Frame::Draw(const PixelRect* clip, FrameStats& stats) const {
    if (batches.empty()) return;
    Pass pass(*this, clip, stats);
    for (const FrameBatch& b : batches) {
        if (b.kind == FrameBatch::kClear) {
            pass.Clear(b);
        } else {
            pass.Add(b);
        }
    }
}
