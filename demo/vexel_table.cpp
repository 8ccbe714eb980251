// vexel: the construction table: per chapter, which elements are shown and in which style.
#include "vexel.hpp"

namespace vexel {

MT_TYPE MT;

namespace {

enum class kind { point, segment, line, circle, parabola };

// Elements first..last of one kind, shown in one chapter with one style.
struct shown_elements {
  BYTE chapter;
  kind what;
  BYTE first;
  BYTE last;
  BYTE size;
  BYTE r;
  BYTE g;
  BYTE b;
};

// What each chapter shows beyond the triangle itself.
constexpr shown_elements chapter_elements[] = {
    // 2: circumcircle: side lines, midpoints, perpendicular bisectors, circumcentre, circle
    {2, kind::line, 1, 3, 1, 0, 1, 0},
    {2, kind::point, 4, 6, 2, 31, 16, 8},
    {2, kind::line, 10, 12, 1, 31, 20, 10},
    {2, kind::point, 13, 13, 2, 18, 0, 0},
    {2, kind::circle, 1, 1, 3, 20, 0, 0},
    // 3: incircle: incentre, bisector segments, incircle
    {3, kind::point, 14, 14, 2, 5, 40, 5},
    {3, kind::segment, 10, 12, 1, 10, 63, 10},
    {3, kind::circle, 2, 2, 3, 0, 40, 0},
    // 4: altitudes: feet, orthocentre, altitude lines
    {4, kind::point, 7, 9, 3, 13, 42, 31},
    {4, kind::point, 15, 15, 4, 16, 32, 31},
    {4, kind::line, 7, 9, 1, 0, 0, 20},
    // 5: medians: midpoints, centroid, median segments
    {5, kind::point, 4, 6, 3, 31, 30, 15},
    {5, kind::point, 16, 16, 4, 20, 0, 0},
    {5, kind::segment, 4, 6, 1, 31, 14, 7},
    // 6: excircles: side lines, excentres, external bisectors, excircles
    {6, kind::line, 1, 3, 1, 0, 1, 0},
    {6, kind::point, 10, 12, 3, 5, 40, 5},
    {6, kind::line, 16, 18, 1, 10, 53, 10},
    {6, kind::circle, 3, 5, 2, 5, 40, 5},
    // 7: the line of the three centres
    {7, kind::point, 13, 13, 4, 31, 0, 0},
    {7, kind::point, 15, 15, 4, 0, 0, 31},
    {7, kind::point, 16, 16, 4, 0, 63, 0},
    {7, kind::line, 19, 19, 2, 18, 36, 31},
    // 8: triangle of the altitude feet
    {8, kind::line, 1, 3, 1, 0, 1, 0},
    {8, kind::point, 7, 9, 3, 10, 63, 10},
    {8, kind::segment, 13, 15, 2, 0, 45, 0},
    // 9: the pedal line: circumcentre, travelling point, its feet, the line, circumcircle
    {9, kind::line, 1, 3, 1, 0, 1, 0},
    {9, kind::point, 13, 13, 2, 31, 40, 20},
    {9, kind::point, 17, 17, 5, 31, 30, 15},
    {9, kind::point, 18, 20, 3, 31, 50, 13},
    {9, kind::line, 20, 20, 2, 31, 20, 10},
    {9, kind::circle, 1, 1, 3, 16, 0, 0},
    // 10: parabolas: side lines, internal bisectors, parabolas
    {10, kind::line, 1, 3, 1, 20, 40, 20},
    {10, kind::line, 13, 15, 2, 0, 50, 0},
    {10, kind::parabola, 1, 3, 2, 0, 0, 25},
};

void show(detail::style_entry& entry, BYTE size, BYTE r, BYTE g, BYTE b) {
  entry.VASTAGSAG = size;
  entry.R = r;
  entry.G = g;
  entry.B = b;
  entry.LATSZIK = true;
}

detail::style_entry& entry_of(detail::mt_row& row, kind what, long index) {
  switch (what) {
    case kind::point:
      return row.points[index];
    case kind::segment:
      return row.segments[index];
    case kind::line:
      return row.lines[index];
    case kind::circle:
      return row.circles[index];
    case kind::parabola:
      break;
  }
  return row.parabolas[index];
}

}  // namespace

void FILL_MT() {
  // The records' own first styles are replaced by the first frame's copy from the table before
  // anything is drawn; what lasts of them is that the free vertices and the travelling point
  // exist.
  for (const BYTE p : {1, 2, 3, 17}) PONT[p].LETEZIK = true;

  const detail::style_entry hidden{};
  for (J = 2; J <= 10; ++J) {
    detail::mt_row& row = MT[J];
    for (I = 1; I <= 60; ++I) {
      row.points[I] = hidden;
      if (I <= 50) row.segments[I] = hidden;
      if (I <= 50) row.lines[I] = hidden;
      if (I <= 10) row.circles[I] = hidden;
      if (I <= 3) row.parabolas[I] = hidden;
    }
  }

  // The triangle, vertices and sides, in every chapter.
  for (J = 2; J <= 10; ++J) {
    for (I = 1; I <= 3; ++I) {
      show(MT[J].points[I], 5, 0, 1, 0);
      show(MT[J].segments[I], 2, 0, 1, 0);
    }
  }

  for (const shown_elements& s : chapter_elements) {
    for (I = s.first; I <= s.last; ++I) {
      show(entry_of(MT[s.chapter], s.what, I), s.size, s.r, s.g, s.b);
    }
  }
}

namespace detail {

namespace {

// Size, colour and shown flag of every element of one kind but the points.
template <typename Table, typename Styles>
void copy_styles(Table& table, const Styles& styles) {
  for (long i = Styles::first; i <= Styles::last; ++i) {
    const style_entry& s = styles[i];
    auto& q = table[i];
    q.VASTAGSAG = s.VASTAGSAG;
    q.R = s.R;
    q.G = s.G;
    q.B = s.B;
    q.LATSZIK = s.LATSZIK;
  }
}

}  // namespace

void copy_chapter_styles() {
  const mt_row& row = MT[SARGAMENU];
  for (long i = 1; i <= 60; ++i) {
    const style_entry& s = row.points[i];
    PONT_TYPE& q = PONT[i];
    q.MERET = s.VASTAGSAG;
    q.R = s.R;
    q.G = s.G;
    q.B = s.B;
    q.LATSZIK = s.LATSZIK;
  }
  copy_styles(SZAKASZ, row.segments);
  copy_styles(EGYENES, row.lines);
  copy_styles(KOR, row.circles);
  copy_styles(PARABOLA, row.parabolas);
}

}  // namespace detail
}  // namespace vexel
