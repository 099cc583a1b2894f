/* Draws the integrator's two logos (see README.md for the command line).
 * The motif: a green rounded square holding a white fuel drop. */
#include <cairo.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

static const double kGreen[3] = {97 / 255.0, 184 / 255.0, 89 / 255.0};
static const double kNavy[3] = {0, 0, 128 / 255.0};

static void roundedSquare(cairo_t* cr, double x, double y, double size, double radius) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + size - radius, y + radius, radius, -M_PI / 2, 0);
  cairo_arc(cr, x + size - radius, y + size - radius, radius, 0, M_PI / 2);
  cairo_arc(cr, x + radius, y + size - radius, radius, M_PI / 2, M_PI);
  cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

/* A drop standing in a box of `size` at (x, y): a round belly and a point on top. */
static void drop(cairo_t* cr, double x, double y, double size) {
  const double cx = x + size / 2, r = size * 0.27, cy = y + size * 0.62;
  cairo_move_to(cr, cx, y + size * 0.14);
  cairo_curve_to(cr, cx + r * 0.35, cy - r * 1.3, cx + r, cy - r * 0.55, cx + r, cy);
  cairo_arc(cr, cx, cy, r, 0, M_PI);
  cairo_curve_to(cr, cx - r, cy - r * 0.55, cx - r * 0.35, cy - r * 1.3, cx, y + size * 0.14);
  cairo_close_path(cr);
}

static void motif(cairo_t* cr, double x, double y, double size) {
  cairo_set_source_rgb(cr, kGreen[0], kGreen[1], kGreen[2]);
  roundedSquare(cr, x, y, size, size * 0.2);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  drop(cr, x, y, size);
  cairo_fill(cr);
}

static int save(cairo_surface_t* surface, const char* folder, const char* name) {
  char path[4096];
  snprintf(path, sizeof path, "%s/%s", folder, name);
  if (cairo_surface_write_to_png(surface, path) != CAIRO_STATUS_SUCCESS) {
    fprintf(stderr, "cannot write %s\n", path);
    return 1;
  }
  return 0;
}

int main(int argc, char** argv) {
  const char* folder = argc > 1 ? argv[1] : ".";
  int failed = 0;

  /* The login window's logo: the motif alone, 20 x 20, to stay clear of the
   * version label beside it. */
  cairo_surface_t* login = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 20);
  cairo_t* cr = cairo_create(login);
  motif(cr, 1, 1, 18);
  cairo_destroy(cr);
  failed |= save(login, folder, "login_logo.png");
  cairo_surface_destroy(login);

  /* The main window's logo, 169 x 29: the motif and the name. */
  cairo_surface_t* main = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 169, 29);
  cr = cairo_create(main);
  motif(cr, 2, 2, 25);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 20);
  cairo_set_source_rgb(cr, kGreen[0], kGreen[1], kGreen[2]);
  cairo_text_extents_t name;
  cairo_text_extents(cr, "Mardova", &name);
  cairo_move_to(cr, 33, 22);
  cairo_show_text(cr, "Mardova");
  /* A navy underline as long as the name. */
  cairo_set_source_rgb(cr, kNavy[0], kNavy[1], kNavy[2]);
  cairo_rectangle(cr, 33, 25, ceil(name.x_advance), 2);
  cairo_fill(cr);
  cairo_destroy(cr);
  failed |= save(main, folder, "main_logo.png");
  cairo_surface_destroy(main);
  return failed;
}
