// The starter library's painter: pictures made from code (fractals,
// landscapes from noise, stained glass, patterns, small scenes) at the
// board's 800 x 600, for the jigsaw maker to cut at build time. Each
// picture is fixed by its name: no clock, no unseeded randomness.
#pragma once

#include <cstdint>
#include <string>

#include "tools/toolkit/toolkit.h"

namespace paint {

enum { WIDTH = 800, HEIGHT = 600 };

// ---------------------------------------------------------------------------
// noise.cpp: seeded randomness and smooth noise
// ---------------------------------------------------------------------------
struct Random {
    uint64_t state;
};
double uniform(Random& r, double lo, double hi);
int uniform_int(Random& r, int lo, int hi);  // lo..hi inclusive

// Gradient noise in about -1..1, period 256, from a seeded table.
struct Noise {
    uint8_t perm[512];
};
Noise make_noise(uint64_t seed);
double noise2(const Noise& n, double x, double y);
// Sums of octaves: plain (fbm) and with sharp crests (ridged, 0..1).
double fbm(const Noise& n, double x, double y, int octaves);
double ridged(const Noise& n, double x, double y, int octaves);

// A vertical gradient through colour stops (positions 0..1 down the span).
struct Stop {
    double at;
    kit::Color c;
};
kit::Color gradient(const Stop* stops, int count, double t);
void fill_sky(kit::Canvas& c, const Stop* stops, int count, int y0, int y1);
// A cosine palette a + b cos(2 pi (c t + d)), per channel.
kit::Color cosine_palette(double t, const double a[3], const double b[3], const double c[3], const double d[3]);
// Scatters small stars over the rows y0..y1, fainter towards y1.
void stars(kit::Canvas& c, Random& r, int count, int y0, int y1);
// Mirrors rows [y_top, y_line) below y_line with ripples and a tint.
void reflect(kit::Canvas& c, int y_line, const Noise& n, kit::Color tint, float tint_amount);

// ---------------------------------------------------------------------------
// The pictures, by file
// ---------------------------------------------------------------------------
kit::Canvas paint_mandelbrot();  // fractals.cpp
kit::Canvas paint_julia();
kit::Canvas paint_title(kit::Font& font);  // landscapes.cpp
kit::Canvas paint_alpine_lake();
kit::Canvas paint_desert_dunes();
kit::Canvas paint_northern_lights();
kit::Canvas paint_balloons();
kit::Canvas paint_rose_window();  // mosaics.cpp
kit::Canvas paint_star_tiles();
kit::Canvas paint_quilt();
kit::Canvas paint_red_mixer();  // scenes.cpp
kit::Canvas paint_spheres();
kit::Canvas paint_night_city();
kit::Canvas paint_sunflower();

}  // namespace paint
