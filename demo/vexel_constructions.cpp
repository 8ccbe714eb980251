// vexel: the constructions that derive elements from others, and the screen copies that round
// an element's REAL values into the integers the drawing uses.
#include <cmath>

#include "vexel.hpp"

namespace vexel {

namespace {

using ext = long double;

constexpr REAL half_pi = 1.5707963267948966;

// The end points of a line on the border of the area it is drawn in.
constexpr REAL line_area_width = 800;
constexpr REAL line_area_height = 460;

}  // namespace

namespace detail {

bool to_screen(REAL value, LONGINT& out) {
  // changed: a nearly degenerate triangle puts derived elements arbitrarily far away; a value
  // beyond the 32-bit screen fields (less the room of screen_limit) would wrap into a wrong
  // place, so such a value is refused and its drawing skipped for the frame. The quiet
  // comparison also refuses inf and NaN.
  if (!std::isless(std::fabs(value), static_cast<REAL>(screen_limit))) return false;
  const long rounded = std::lrint(value);
  if (rounded <= -screen_limit || rounded >= screen_limit) return false;
  out = static_cast<LONGINT>(rounded);
  return true;
}

}  // namespace detail

// ---- screen copies ----------------------------------------------------------------------------

void PONT_SZAMOL(BYTE p) {
  PONT_TYPE& q = PONT[p];
  if (!q.LETEZIK) return;
  LONGINT kx = 0;
  LONGINT ky = 0;
  // changed: a position off the screen range keeps its last screen copy and is not drawn, but
  // the point keeps existing: the travelling point far above a huge circumcircle still has its
  // feet, and the pedal line through them crosses the picture
  if (!detail::to_screen(q.X, kx) || !detail::to_screen(q.Y, ky)) return;
  q.KX = kx;
  q.KY = ky;
}

void SZAKASZ_SZAMOL(BYTE s) {
  SZAKASZ_TYPE& q = SZAKASZ[s];
  if (!q.LETEZIK) return;
  LONGINT k[4] = {};
  if (!detail::to_screen(q.X1, k[0]) || !detail::to_screen(q.Y1, k[1]) ||
      !detail::to_screen(q.X2, k[2]) || !detail::to_screen(q.Y2, k[3])) {
    q.LETEZIK = false;  // changed: off the screen range, skipped for this frame
    return;
  }
  q.KX1 = k[0];
  q.KY1 = k[1];
  q.KX2 = k[2];
  q.KY2 = k[3];
  if (q.KX1 == q.KX2 && q.KY1 == q.KY2) q.LETEZIK = false;
  if (!q.LETEZIK) return;
  q.SZOG = q.X1 != q.X2 ? static_cast<REAL>(std::atan((static_cast<ext>(q.Y2) - q.Y1) /
                                                      (static_cast<ext>(q.X2) - q.X1)))
                        : half_pi;
}

void EGYENES_SZAMOL(BYTE e) {
  EGYENES_TYPE& q = EGYENES[e];
  if (q.YXFORMA && q.XYFORMA) {
    q.SZOG = static_cast<REAL>(std::atan(static_cast<ext>(q.M)));
  } else if (q.YXFORMA) {
    q.SZOG = 0;
  } else if (q.XYFORMA) {
    q.SZOG = half_pi;
  }
  LONGINT k[4] = {};
  bool fits = false;
  if (q.YXFORMA && std::fabs(q.M) < 1) {
    k[0] = 0;
    k[2] = static_cast<LONGINT>(line_area_width);
    fits =
        detail::to_screen(q.C, k[1]) &&
        detail::to_screen(static_cast<REAL>(static_cast<ext>(q.M) * line_area_width + q.C), k[3]);
  } else {
    k[1] = 0;
    k[3] = static_cast<LONGINT>(line_area_height);
    fits = detail::to_screen(q.C2, k[0]) &&
           detail::to_screen(static_cast<REAL>(static_cast<ext>(q.M2) * line_area_height + q.C2),
                             k[2]);
  }
  if (!fits) {
    q.LETEZIK = false;  // changed: off the screen range (and so out of sight), skipped
    return;
  }
  q.KX1 = k[0];
  q.KY1 = k[1];
  q.KX2 = k[2];
  q.KY2 = k[3];
}

void KOR_SZAMOL(BYTE k) {
  KOR_TYPE& q = KOR[k];
  LONGINT kx = 0;
  LONGINT ky = 0;
  LONGINT ks = 0;
  if (!detail::to_screen(q.X, kx) || !detail::to_screen(q.Y, ky) ||
      !detail::to_screen(q.SUGAR, ks)) {
    q.LETEZIK = false;  // changed: off the screen range, skipped for this frame
    return;
  }
  q.KX = kx;
  q.KY = ky;
  q.KSUGAR = ks;
}

// ---- constructions ----------------------------------------------------------------------------

void QKETPONTRA_SZAKASZ(BYTE p1, BYTE p2, BYTE s) {
  SZAKASZ_TYPE& q = SZAKASZ[s];
  q.LETEZIK = PONT[p1].LETEZIK && PONT[p2].LETEZIK;
  if (!q.LETEZIK) return;
  q.X1 = PONT[p1].X;
  q.Y1 = PONT[p1].Y;
  q.X2 = PONT[p2].X;
  q.Y2 = PONT[p2].Y;
}

void QKETPONTRA_EGYENES(BYTE p1, BYTE p2, BYTE e) {
  EGYENES_TYPE& q = EGYENES[e];
  q.LETEZIK = PONT[p1].LETEZIK && PONT[p2].LETEZIK;
  if (!q.LETEZIK) return;
  // kept: two coincident points leave the line where it was in the previous frame
  KETPONT_EGYENESENEK_ABCDSZOG(PONT[p1].X, PONT[p1].Y, PONT[p2].X, PONT[p2].Y, q.M, q.C, q.M2, q.C2,
                               q.SZOG, q.YXFORMA, q.XYFORMA);
}

void QKETPONT_FELEZOJE(BYTE p1, BYTE p2, BYTE p) {
  PONT_TYPE& q = PONT[p];
  q.LETEZIK = PONT[p1].LETEZIK && PONT[p2].LETEZIK;
  if (!q.LETEZIK) return;
  SZAKASZFELEZO(PONT[p1].X, PONT[p1].Y, PONT[p2].X, PONT[p2].Y, q.X, q.Y);
  PONT_SZAMOL(p);
}

void QPONTON_ATMENO_EGYENESREMEROLEGES(BYTE p, BYTE e, BYTE target) {
  EGYENES_TYPE& q = EGYENES[target];
  q.LETEZIK = PONT[p].LETEZIK && EGYENES[e].LETEZIK;
  if (!q.LETEZIK) return;
  const EGYENES_TYPE& l = EGYENES[e];
  PONTONATMENO_EGYENESRE_MEROLEGES(l.M, l.C, l.M2, l.C2, l.YXFORMA, l.XYFORMA, PONT[p].X, PONT[p].Y,
                                   q.M, q.C, q.M2, q.C2, q.SZOG, q.YXFORMA, q.XYFORMA);
}

void QPONTNAK_EGYENESRE_TALPPONTJA(BYTE p, BYTE e, BYTE target) {
  PONT_TYPE& q = PONT[target];
  q.LETEZIK = PONT[p].LETEZIK && EGYENES[e].LETEZIK;
  if (!q.LETEZIK) return;
  const EGYENES_TYPE& l = EGYENES[e];
  PONTNAK_EGYENESRE_TALPPONTJA(l.M, l.C, l.M2, l.C2, l.YXFORMA, l.XYFORMA, PONT[p].X, PONT[p].Y,
                               q.X, q.Y);
}

void QKETEGYENES_METSZESPONTJA(BYTE e1, BYTE e2, BYTE p) {
  PONT_TYPE& q = PONT[p];
  if (!EGYENES[e1].LETEZIK || !EGYENES[e2].LETEZIK) {
    q.LETEZIK = false;
    return;
  }
  const EGYENES_TYPE& a = EGYENES[e1];
  const EGYENES_TYPE& b = EGYENES[e2];
  KETEGYENES_METSZESPONTJA(a.M, a.C, a.M2, a.C2, b.M, b.C, b.M2, b.C2, a.YXFORMA, a.XYFORMA,
                           b.YXFORMA, b.XYFORMA, q.X, q.Y, q.LETEZIK);
}

void QHAROMPONTRA_SZOGFELEZO(BYTE a, BYTE b, BYTE c, BYTE e) {
  EGYENES_TYPE& q = EGYENES[e];
  if (!PONT[a].LETEZIK || !PONT[b].LETEZIK || !PONT[c].LETEZIK) {
    q.LETEZIK = false;
    return;
  }
  // kept: three collinear points leave the previous values and flags, and existence follows them
  HAROMPONTRA_SZOGFELEZO(PONT[a].X, PONT[a].Y, PONT[b].X, PONT[b].Y, PONT[c].X, PONT[c].Y, q.M, q.C,
                         q.M2, q.C2, q.SZOG, q.YXFORMA, q.XYFORMA);
  q.LETEZIK = q.YXFORMA || q.XYFORMA;
}

void QPONTKERPONT_KOR(BYTE centre, BYTE p, BYTE k) {
  KOR_TYPE& q = KOR[k];
  q.LETEZIK = PONT[centre].LETEZIK && PONT[p].LETEZIK;
  if (!q.LETEZIK) return;
  q.X = PONT[centre].X;
  q.Y = PONT[centre].Y;
  q.SUGAR = KETPONT_TAVOLSAGA(PONT[centre].X, PONT[centre].Y, PONT[p].X, PONT[p].Y);
}

void QPONTEGYENESRE_PARABOLA(BYTE f, BYTE d, BYTE k) {
  PARABOLA_TYPE& q = PARABOLA[k];
  const PONT_TYPE& focus = PONT[f];
  const EGYENES_TYPE& l = EGYENES[d];
  if (!focus.LETEZIK || !l.LETEZIK ||
      PONTEGYENESEN(focus.X, focus.Y, l.M, l.C, l.M2, l.C2, l.YXFORMA, l.XYFORMA)) {
    q.LETEZIK = false;
    return;
  }
  q.LETEZIK = true;
  q.FX = focus.X;
  q.FY = focus.Y;
  q.M = l.M;
  q.C = l.C;
  q.M2 = l.M2;
  q.C2 = l.C2;
  q.SZOG = l.SZOG;
  q.YXFORMA = l.YXFORMA;
  q.XYFORMA = l.XYFORMA;

  REAL pm = 0;
  REAL pc = 0;
  REAL pm2 = 0;
  REAL pc2 = 0;
  REAL pangle = 0;
  BOOLEAN pyx = false;
  BOOLEAN pxy = false;
  PONTONATMENO_EGYENESRE_MEROLEGES(l.M, l.C, l.M2, l.C2, l.YXFORMA, l.XYFORMA, q.FX, q.FY, pm, pc,
                                   pm2, pc2, pangle, pyx, pxy);
  KETEGYENES_METSZESPONTJA(l.M, l.C, l.M2, l.C2, pm, pc, pm2, pc2, l.YXFORMA, l.XYFORMA, pyx, pxy,
                           q.TX, q.TY, HULYESEGBOOLEAN);
  q.P = KETPONT_TAVOLSAGA(q.FX, q.FY, q.TX, q.TY);
  if (q.P == 0) {
    // changed: for a focus a rounding error off its directrix the computed foot can be the focus
    // itself, and a zero P would divide by zero when the parabola is drawn; it does not exist.
    q.LETEZIK = false;
    return;
  }
  if (q.YXFORMA && q.TY > q.FY) q.P = -q.P;
  if (!q.YXFORMA && q.XYFORMA && q.TX < q.FX) q.P = -q.P;
}

}  // namespace vexel
