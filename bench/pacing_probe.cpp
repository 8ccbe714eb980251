// pacing_probe: watches the vexel program's window on an X display for a number of seconds and
// reports how often it presented a frame (X damage events) and how long the travelling point
// takes for a revolution (its angle round the start triangle's circumcentre, sampled from the
// screen and fitted by least squares).
// Usage: pacing_probe <seconds>    prints "fps F" and "period P" (or "period none")
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int frame_width = 800, frame_height = 600;
// The travelling point in the pedal-line chapter: a disc of radius 5 in r 31, g 30, b 15.
constexpr unsigned point_colour = 31u << 11 | 30u << 5 | 15u;
// The start triangle; the program is not dragged while it is watched.
constexpr double ax = 300, ay = 400, bx = 550, by = 405, cx = 420, cy = 150;

using steady = std::chrono::steady_clock;

Window find_window(Display* display, Window under, const char* title) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, under, &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) && name) {
      if (std::strcmp(name, title) == 0) found = children[i];
      XFree(name);
    }
    if (!found) found = find_window(display, children[i], title);
  }
  if (children) XFree(children);
  return found;
}

// The circumcentre and the radius of the start triangle's circumcircle, in frame pixels.
void circumcircle(double& ux, double& uy, double& radius) {
  const double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
  ux = ((ax * ax + ay * ay) * (by - cy) + (bx * bx + by * by) * (cy - ay) +
        (cx * cx + cy * cy) * (ay - by)) /
       d;
  uy = ((ax * ax + ay * ay) * (cx - bx) + (bx * bx + by * by) * (ax - cx) +
        (cx * cx + cy * cy) * (bx - ax)) /
       d;
  radius = std::hypot(ax - ux, ay - uy);
}

// The angle of the point (radians, clockwise on screen from +x), or NAN when it is not seen.
// Only a band of the window round the circumcircle is read.
double point_angle(Display* display, Window window) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(display, window, &a) || a.map_state != IsViewable) return NAN;
  // the frame letterboxed in the window as the presenter lays it
  int vw = a.width, vh = a.height;
  if (a.width * frame_height > a.height * frame_width)
    vw = a.height * frame_width / frame_height;
  else
    vh = a.width * frame_height / frame_width;
  const int vx = (a.width - vw) / 2, vy = (a.height - vh) / 2;
  double ux = 0, uy = 0, radius = 0;
  circumcircle(ux, uy, radius);
  const double band = 8;
  const double scale_x = double(vw) / frame_width, scale_y = double(vh) / frame_height;
  const int x0 = std::max(0, int(vx + (ux - radius - band) * scale_x));
  const int y0 = std::max(0, int(vy + (uy - radius - band) * scale_y));
  const int x1 = std::min(a.width, int(vx + (ux + radius + band) * scale_x) + 1);
  const int y1 = std::min(a.height, int(vy + std::min(uy + radius + band, 458.0) * scale_y) + 1);
  if (x1 <= x0 || y1 <= y0) return NAN;
  XImage* image = XGetImage(display, window, x0, y0, x1 - x0, y1 - y0, AllPlanes, ZPixmap);
  if (!image) return NAN;
  double sx = 0, sy = 0;
  long n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const unsigned long p = XGetPixel(image, x - x0, y - y0);
      const unsigned r = (p >> 16 & 255) >> 3, g = (p >> 8 & 255) >> 2, b = (p & 255) >> 3;
      if ((r << 11 | g << 5 | b) != point_colour) continue;
      const double fx = (x - vx + 0.5) / scale_x, fy = (y - vy + 0.5) / scale_y;
      if (std::abs(std::hypot(fx - ux, fy - uy) - radius) > band) continue;
      sx += fx;
      sy += fy;
      ++n;
    }
  XDestroyImage(image);
  // a disc mostly covered (by a vertex, say) is not trusted
  if (n < 20 * scale_x * scale_y) return NAN;
  double angle = std::atan2(sy / n - uy, sx / n - ux);
  if (angle < 0) angle += 2 * M_PI;
  return angle;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pacing_probe <seconds>\n");
    return 2;
  }
  const double seconds = std::atof(argv[1]);
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "pacing_probe: no X display\n");
    return 2;
  }
  const Window window = find_window(display, DefaultRootWindow(display), "VEXEL egyenes");
  int event_base = 0, error_base = 0;
  if (!window || !XDamageQueryExtension(display, &event_base, &error_base)) {
    std::fprintf(stderr, "pacing_probe: no program window, or no damage extension\n");
    return 2;
  }
  // every drawing into the window is reported with the server's time; the updates of one frame
  // come within a millisecond or two, frames at least several apart
  const Damage damage = XDamageCreate(display, window, XDamageReportRawRectangles);
  Time last_damage = 0;
  const auto start = steady::now();
  auto next_sample = start;
  long frames = 0;
  std::vector<double> times, angles;
  double unwrap = 0, previous = NAN;
  for (;;) {
    const double t = std::chrono::duration<double>(steady::now() - start).count();
    if (t >= seconds) break;
    while (XPending(display)) {
      XEvent e;
      XNextEvent(display, &e);
      if (e.type == event_base + XDamageNotify) {
        const Time at = reinterpret_cast<XDamageNotifyEvent&>(e).timestamp;
        if (frames == 0 || at - last_damage >= 3) ++frames;
        last_damage = at;
      }
    }
    if (steady::now() >= next_sample) {
      next_sample += std::chrono::milliseconds(250);
      const double angle = point_angle(display, window);
      if (!std::isnan(angle)) {
        if (!std::isnan(previous) && angle < previous - M_PI) unwrap += 2 * M_PI;
        previous = angle;
        times.push_back(t);
        angles.push_back(angle + unwrap);
      }
    }
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  std::printf("fps %.1f\n", frames / seconds);
  if (times.size() < 4) {
    std::printf("period none\n");
    return 0;
  }
  double mt = 0, ma = 0;
  for (std::size_t i = 0; i < times.size(); ++i) {
    mt += times[i];
    ma += angles[i];
  }
  mt /= times.size();
  ma /= times.size();
  double num = 0, den = 0;
  for (std::size_t i = 0; i < times.size(); ++i) {
    num += (times[i] - mt) * (angles[i] - ma);
    den += (times[i] - mt) * (times[i] - mt);
  }
  const double speed = num / den;  // radians per second
  if (speed <= 1e-6)
    std::printf("period none\n");
  else
    std::printf("period %.2f\n", 2 * M_PI / speed);
  XDamageDestroy(display, damage);
  XCloseDisplay(display);
  return 0;
}
