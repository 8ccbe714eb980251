// orla_sprites: the blitting family: plain, keyed, BRIGHT, MIXED, TRANS and ALPHA puts, and the
// GET routines, all clipped against both windows.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "orla_sprites.hpp"

namespace orla_sprites {

namespace detail {

pixel_rows rows_of(const VIRTUALWINDOW& vw) {
  if (vw.DATA == nullptr || vw.BREITE <= 0 || vw.HOEHE <= 0 || vw.SIZE <= 0) return {};
  // a record whose SIZE disagrees with its width and height is held to the rows SIZE covers
  const std::int64_t rows_in_size = static_cast<std::int64_t>(vw.SIZE) / 2 / vw.BREITE;
  const auto height = static_cast<LONGINT>(std::min<std::int64_t>(vw.HOEHE, rows_in_size));
  if (height <= 0) return {};
  return {vw.DATA, vw.BREITE, height};
}

std::size_t flat_pixels(const VIRTUALWINDOW& vw) {
  if (vw.DATA == nullptr || vw.SIZE <= 0) return 0;
  return static_cast<std::size_t>(vw.SIZE) / 2;
}

namespace {
bool processor_has_avx2() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}
bool wide = processor_has_avx2();
}  // namespace

void select_loop_build(loop_build build) {
  wide = build == loop_build::widest && processor_has_avx2();
}

bool wide_loops() {
  return wide;
}

bool runs_overlap(const WORD* a, std::size_t a_count, const WORD* b, std::size_t b_count) {
  if (a_count == 0 || b_count == 0) return false;
  const auto pa = reinterpret_cast<std::uintptr_t>(a);
  const auto pb = reinterpret_cast<std::uintptr_t>(b);
  return pa < pb + b_count * sizeof(WORD) && pb < pa + a_count * sizeof(WORD);
}

namespace {

// ---- the rectangle a blit touches ---------------------------------------------------------------

// Where the visible part of a sprite lies: start column and row in the sprite (sx, sy) and in the
// target (tx, ty), and its size.
struct clip_rect {
  std::int64_t sx = 0, sy = 0, tx = 0, ty = 0, w = 0, h = 0;
};

// The clipping rule of the clipped routines; false when nothing is visible. The sums are taken in
// 64 bits so that positions near the ends of the LONGINT range cannot wrap.
bool clip(const pixel_rows& target, const pixel_rows& sprite, LONGINT x, LONGINT y, clip_rect& r) {
  const std::int64_t wt = target.width, ht = target.height;
  const std::int64_t ws = sprite.width, hs = sprite.height;
  const std::int64_t px = x, py = y;
  if (wt <= 0 || ws <= 0 || ht <= 0 || hs <= 0) return false;
  if (!(px < wt && px + ws >= 1 && py < ht && py + hs >= 1)) return false;
  r.sx = px < 0 ? -px : 0;
  r.tx = px < 0 ? 0 : px;
  r.sy = py < 0 ? -py : 0;
  r.ty = py < 0 ? 0 : py;
  const std::int64_t ex = px + ws > wt ? wt - px : ws;
  const std::int64_t ey = py + hs > ht ? ht - py : hs;
  r.w = ex - r.sx;
  r.h = ey - r.sy;
  return r.w > 0 && r.h > 0;
}

// ---- the area handed to a kernel ----------------------------------------------------------------

// Rows of pixels to combine: source pixels flow into destination pixels.
struct blit_area {
  WORD* dst = nullptr;
  std::ptrdiff_t dst_stride = 0;
  const WORD* src = nullptr;
  std::ptrdiff_t src_stride = 0;
  std::ptrdiff_t width = 0;
  std::ptrdiff_t height = 0;
};

// Channel parameters of a blend rule, already brought into the ranges the rule needs and, for
// green, moved to the green field's place (see below).
// The blend rules, one pixel at a time; written in 16-bit arithmetic so that the loops
// around them vectorise.
struct copy_rule {
  template <class Ops>
  static WORD apply(WORD, WORD s, const channel_deltas&) {
    return s;
  }
};

// BRIGHT: T + max(0, S - d), saturated; d = pos - neg.
struct bright_rule {
  template <class Ops>
  static WORD channel(WORD t, WORD s, WORD pos, WORD neg, WORD max) {
    return Ops::min(static_cast<WORD>(t + Ops::minus(s, pos) + neg), max);
  }
  template <class Ops>
  static WORD apply(WORD t, WORD s, const channel_deltas& p) {
    return join(channel<Ops>(red_of(t), red_of(s), p.r_pos, p.r_neg, red_max),
                channel<Ops>(green_field(t), green_field(s), p.g_pos, p.g_neg, green_field_max),
                channel<Ops>(blue_of(t), blue_of(s), p.b_pos, p.b_neg, blue_max));
  }
};

// MIXED: the mean of both, rounded down (for green, the half bit below the field is dropped).
struct mixed_rule {
  template <class Ops>
  static WORD apply(WORD t, WORD s, const channel_deltas&) {
    return join(static_cast<WORD>((red_of(t) + red_of(s)) >> 1),
                green_field(static_cast<WORD>((green_field(t) + green_field(s)) >> 1)),
                static_cast<WORD>((blue_of(t) + blue_of(s)) >> 1));
  }
};

// TRANS: max(0, T - d) + S, saturated.
struct trans_rule {
  template <class Ops>
  static WORD channel(WORD t, WORD s, WORD d, WORD max) {
    return Ops::min(static_cast<WORD>(Ops::minus(t, d) + s), max);
  }
  template <class Ops>
  static WORD apply(WORD t, WORD s, const channel_deltas& p) {
    return join(channel<Ops>(red_of(t), red_of(s), p.r_pos, red_max),
                channel<Ops>(green_field(t), green_field(s), p.g_pos, green_field_max),
                channel<Ops>(blue_of(t), blue_of(s), p.b_pos, blue_max));
  }
};

// ALPHA: saturating addition.
struct alpha_rule {
  template <class Ops>
  static WORD apply(WORD t, WORD s, const channel_deltas&) {
    return join(Ops::min(static_cast<WORD>(red_of(t) + red_of(s)), red_max),
                Ops::min(static_cast<WORD>(green_field(t) + green_field(s)), green_field_max),
                Ops::min(static_cast<WORD>(blue_of(t) + blue_of(s)), blue_max));
  }
};

// One row. The keyed form computes the blend everywhere and keeps the old pixel where the
// source shows the key: a branch-free select the compiler turns into vector blends, which is
// faster than testing runs of key pixels (the whole row is read either way).
template <class Ops, class Rule, bool Keyed>
[[gnu::always_inline]] inline void blend_row(WORD* __restrict t, const WORD* __restrict s,
                                             std::ptrdiff_t n, const channel_deltas& p, WORD key) {
  for (std::ptrdiff_t i = 0; i < n; ++i) {
    const WORD sp = s[i];
    const WORD tp = t[i];
    const WORD blended = Rule::template apply<Ops>(tp, sp, p);
    t[i] = Keyed ? (sp == key ? tp : blended) : blended;
  }
}

// A kernel: the pixel loop over a whole area, in the selected build.
template <class Rule, bool Keyed>
struct blend_loop {
  template <class Ops>
  [[gnu::always_inline]] static void run(const blit_area* a, const channel_deltas* p, WORD key) {
    for (std::ptrdiff_t j = 0; j < a->height; ++j)
      blend_row<Ops, Rule, Keyed>(a->dst + j * a->dst_stride, a->src + j * a->src_stride, a->width,
                                  *p, key);
  }
};

template <class Rule, bool Keyed>
void blend_kernel(const blit_area& a, const channel_deltas& p, WORD key) {
  run_loop<blend_loop<Rule, Keyed>>(&a, &p, key);
}

using kernel = void (*)(const blit_area&, const channel_deltas&, WORD);

const kernel copy_keyed_kernel = blend_kernel<copy_rule, true>;
const kernel bright_kernel = blend_kernel<bright_rule, false>;
const kernel bright_keyed_kernel = blend_kernel<bright_rule, true>;
const kernel mixed_kernel = blend_kernel<mixed_rule, false>;
const kernel mixed_keyed_kernel = blend_kernel<mixed_rule, true>;
const kernel trans_kernel = blend_kernel<trans_rule, false>;
const kernel trans_keyed_kernel = blend_kernel<trans_rule, true>;
const kernel alpha_kernel = blend_kernel<alpha_rule, false>;
const kernel alpha_keyed_kernel = blend_kernel<alpha_rule, true>;

// Plain copies move whole rows; contiguous rows are one block.
void copy_kernel(const blit_area& a, const channel_deltas&, WORD) {
  for (std::ptrdiff_t j = 0; j < a.height; ++j)
    std::memcpy(a.dst + j * a.dst_stride, a.src + j * a.src_stride,
                static_cast<std::size_t>(a.width) * sizeof(WORD));
}

// Runs a kernel from the visible rectangle of src (at sx, sy) into dst (at dx, dy).
void run(const pixel_rows& dst, std::int64_t dx, std::int64_t dy, const pixel_rows& src,
         std::int64_t sx, std::int64_t sy, std::int64_t w, std::int64_t h, kernel k,
         const channel_deltas& p, WORD key) {
  blit_area a;
  a.dst = dst.data + dy * dst.width + dx;
  a.dst_stride = dst.width;
  a.src = src.data + sy * src.width + sx;
  a.src_stride = src.width;
  a.width = w;
  a.height = h;
  // changed: sprite and target in one buffer were not handled; pixels read after being written
  // came out wrong. The source rectangle is read out first, so the result is the same as with
  // two separate windows.
  std::vector<WORD> scratch;
  const auto dst_pixels = static_cast<std::size_t>(dst.width) * dst.height;
  const auto src_pixels = static_cast<std::size_t>(src.width) * src.height;
  if (runs_overlap(dst.data, dst_pixels, src.data, src_pixels)) {
    scratch.resize(static_cast<std::size_t>(w * h));
    for (std::int64_t j = 0; j < h; ++j)
      std::memcpy(scratch.data() + j * w, a.src + j * a.src_stride,
                  static_cast<std::size_t>(w) * sizeof(WORD));
    a.src = scratch.data();
    a.src_stride = w;
  }
  if (a.dst_stride == a.width && a.src_stride == a.width) {
    a.width *= a.height;
    a.height = 1;
  }
  k(a, p, key);
}

// The clipped put: the sprite's visible part into the target.
void put(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y, kernel k,
         const channel_deltas& p = {}, WORD key = 0) {
  const pixel_rows t = rows_of(target);
  const pixel_rows s = rows_of(sprite);
  clip_rect r;
  if (!clip(t, s, x, y, r)) return;
  run(t, r.tx, r.ty, s, r.sx, r.sy, r.w, r.h, k, p, key);
}

// changed: the unclipped puts used to trust the caller that the sprite fits; a sprite reaching
// past the target wrote into the following rows or past the buffer. They now clip like the
// clipped routines: a fitting sprite gives the same pixels, and nothing lands outside.
void put_unclipped(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                   kernel k, const channel_deltas& p = {}, WORD key = 0) {
  put(target, sprite, x, y, k, p, key);
}

// The clipped get: the window's pixels under the sprite's visible part flow into the sprite.
void get(const VIRTUALWINDOW& window, VIRTUALWINDOW& sprite, LONGINT x, LONGINT y, kernel k,
         WORD key = 0) {
  const pixel_rows w = rows_of(window);
  const pixel_rows s = rows_of(sprite);
  clip_rect r;
  if (!clip(w, s, x, y, r)) return;
  run(s, r.sx, r.sy, w, r.tx, r.ty, r.w, r.h, k, {}, key);
}

// changed: as for the unclipped puts, a rectangle reaching past the window is clipped instead
// of being read from beyond the window's rows or buffer.
void get_unclipped(const VIRTUALWINDOW& window, VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                   kernel k, WORD key = 0) {
  get(window, sprite, x, y, k, key);
}


}  // namespace
}  // namespace detail

using detail::get;
using detail::get_unclipped;
using detail::put;
using detail::put_unclipped;

// ---- plain copies -------------------------------------------------------------------------------

void PUTSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y) {
  put_unclipped(target, sprite, x, y, detail::copy_kernel);
}

void PUTCLIPPEDSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y) {
  put(target, sprite, x, y, detail::copy_kernel);
}

void PUTHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                 WORD key) {
  put_unclipped(target, sprite, x, y, detail::copy_keyed_kernel, {}, key);
}

void PUTCLIPPEDHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                        WORD key) {
  put(target, sprite, x, y, detail::copy_keyed_kernel, {}, key);
}

// ---- reads --------------------------------------------------------------------------------------

void GETSPRITE(const VIRTUALWINDOW& window, VIRTUALWINDOW& sprite, LONGINT x, LONGINT y) {
  get_unclipped(window, sprite, x, y, detail::copy_kernel);
}

void GETCLIPPEDSPRITE(const VIRTUALWINDOW& window, VIRTUALWINDOW& sprite, LONGINT x, LONGINT y) {
  get(window, sprite, x, y, detail::copy_kernel);
}

void GETHCSPRITE(const VIRTUALWINDOW& window, VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                 WORD key) {
  get_unclipped(window, sprite, x, y, detail::copy_keyed_kernel, key);
}

void GETCLIPPEDHCSPRITE(const VIRTUALWINDOW& window, VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                        WORD key) {
  get(window, sprite, x, y, detail::copy_keyed_kernel, key);
}

// ---- BRIGHT -------------------------------------------------------------------------------------

void PUTBRIGHTSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                     SHORTINT dr, SHORTINT dg, SHORTINT db) {
  put_unclipped(target, sprite, x, y, detail::bright_kernel, detail::split_deltas(dr, dg, db));
}

void PUTBRIGHTCLIPPEDSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                            LONGINT y, SHORTINT dr, SHORTINT dg, SHORTINT db) {
  put(target, sprite, x, y, detail::bright_kernel, detail::split_deltas(dr, dg, db));
}

void PUTBRIGHTHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                       SHORTINT dr, SHORTINT dg, SHORTINT db, WORD key) {
  put_unclipped(target, sprite, x, y, detail::bright_keyed_kernel,
                detail::split_deltas(dr, dg, db), key);
}

void PUTBRIGHTCLIPPEDHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                              LONGINT y, SHORTINT dr, SHORTINT dg, SHORTINT db, WORD key) {
  put(target, sprite, x, y, detail::bright_keyed_kernel, detail::split_deltas(dr, dg, db), key);
}

// ---- MIXED --------------------------------------------------------------------------------------

void PUTMIXEDSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y) {
  put_unclipped(target, sprite, x, y, detail::mixed_kernel);
}

void PUTMIXEDCLIPPEDSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                           LONGINT y) {
  put(target, sprite, x, y, detail::mixed_kernel);
}

void PUTMIXEDHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                      WORD key) {
  put_unclipped(target, sprite, x, y, detail::mixed_keyed_kernel, {}, key);
}

void PUTMIXEDCLIPPEDHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                             LONGINT y, WORD key) {
  put(target, sprite, x, y, detail::mixed_keyed_kernel, {}, key);
}

// ---- TRANS --------------------------------------------------------------------------------------

void PUTTRANSSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                    BYTE dr, BYTE dg, BYTE db) {
  put_unclipped(target, sprite, x, y, detail::trans_kernel, detail::split_deltas(dr, dg, db));
}

void PUTTRANSCLIPPEDSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                           BYTE dr, BYTE dg, BYTE db) {
  put(target, sprite, x, y, detail::trans_kernel, detail::split_deltas(dr, dg, db));
}

void PUTTRANSHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                      BYTE dr, BYTE dg, BYTE db, WORD key) {
  put_unclipped(target, sprite, x, y, detail::trans_keyed_kernel,
                detail::split_deltas(dr, dg, db), key);
}

void PUTTRANSCLIPPEDHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                             LONGINT y, BYTE dr, BYTE dg, BYTE db, WORD key) {
  put(target, sprite, x, y, detail::trans_keyed_kernel, detail::split_deltas(dr, dg, db), key);
}

// ---- ALPHA --------------------------------------------------------------------------------------

void PUTALPHASPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y) {
  put_unclipped(target, sprite, x, y, detail::alpha_kernel);
}

void PUTALPHACLIPPEDSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                           LONGINT y) {
  put(target, sprite, x, y, detail::alpha_kernel);
}

void PUTALPHAHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                      WORD key) {
  put_unclipped(target, sprite, x, y, detail::alpha_keyed_kernel, {}, key);
}

void PUTALPHACLIPPEDHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                             LONGINT y, WORD key) {
  put(target, sprite, x, y, detail::alpha_keyed_kernel, {}, key);
}

}  // namespace orla_sprites
