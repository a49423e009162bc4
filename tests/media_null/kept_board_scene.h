// A board scene for the kept copy of the back buffer, drawn through the
// media layer alone so that both backends' tests use it: overlapping
// pieces of many colours with see-through corners, turned by quarter turns
// and a few by odd angles, a filtered picture and a swatch; and over it,
// frame by frame, a carried group of two turned pieces crossing them all,
// a status line that comes and goes. Frames from `kScenePointerOnly`
// on carry nothing, as after a drop, and show the pointer instead.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "media/draw/draw.h"

enum { kSceneWidth = 800, kSceneHeight = 600, kSceneFrames = 26, kScenePointerOnly = 20 };

struct KeptBoardScene {
    std::vector<TImage*> pieces;
    TImage* picture = nullptr;
    TImage* swatch = nullptr;
    TImage* pointer = nullptr;
};

// Pixels that differ from their neighbours (a copy put back one row or
// column off cannot match), with the top-left 6 x 6 corner see-through.
inline TImage* scene_noise_image(int w, int h, uint32_t seed, int flags) {
    TImage* image = create_image(w, h, 1, flags);
    TPixmap* pixels = lock_image(image, 0, false, true);
    uint32_t state = seed;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            state = state * 1103515245u + 12345u;
            write_pixel(pixels, x, y, x < 6 && y < 6 ? 0u : 0xFF000000u | (state >> 8));
        }
    centre_image_handle(image);
    return image;
}

inline void make_scene(KeptBoardScene* scene) {
    for (int i = 0; i < 60; i++) scene->pieces.push_back(scene_noise_image(52, 34, 7u * (uint32_t)i + 1u, 0));
    scene->picture = scene_noise_image(150, 110, 999u, IMG_FILTERED);
    scene->swatch = scene_noise_image(90, 50, 4242u, 0);
    scene->pointer = scene_noise_image(12, 18, 77u, 0);
}

inline void free_scene(KeptBoardScene* scene) {
    for (TImage* image : scene->pieces) free_image(image);
    free_image(scene->picture);
    free_image(scene->swatch);
    free_image(scene->pointer);
    *scene = KeptBoardScene();
}

// The unchanging part: background, pieces in rows that overlap, picture, swatch.
inline void draw_scene_board(const KeptBoardScene& scene) {
    set_blend(BLEND_MASK);
    set_color(255, 255, 255);
    set_alpha(1);
    set_clear_color(40, 80, 120);
    clear_screen();
    for (size_t i = 0; i + 2 < scene.pieces.size(); i++) {
        set_rotation(i % 7 == 3 ? 30.0f + (float)i : (float)(i % 4) * 90);
        draw_image(scene.pieces[i], 70.0f + (float)(i % 10) * 70, 60.0f + (float)(i / 10) * 80 + (float)(i % 3) * 9, 0);
    }
    set_rotation(0);
    draw_image(scene.swatch, 90, 540, 0);
    draw_image(scene.picture, 660, 110, 0);
}

// The status line shows on frames 4-7, 12-15 and 20-23.
inline bool scene_shows_status(int frame) { return frame >= 0 && (frame / 4) % 2 == 1; }

// What a frame draws over the board: the carried pair (the last two
// pieces) or, once nothing is carried, the pointer; the status line on
// some frames.
inline void draw_scene_overlay(const KeptBoardScene& scene, int frame) {
    set_blend(BLEND_MASK);
    if (frame < kScenePointerOnly) {
        float x = 40.0f + (float)frame * 37, y = 540.0f - (float)frame * 26;
        size_t n = scene.pieces.size();
        set_rotation((float)(frame % 4) * 90);
        draw_image(scene.pieces[n - 2], x, y, 0);
        draw_image(scene.pieces[n - 1], x + 40, y + 11, 0);
        set_rotation(0);
    }
    if (scene_shows_status(frame)) {
        set_blend(BLEND_ALPHA);
        set_alpha(0.6f);
        select_font(nullptr);
        draw_text("carrying, frame " + std::to_string(frame), 12, 572);
        set_alpha(1);
        set_blend(BLEND_MASK);
    }
    if (frame >= kScenePointerOnly) draw_image(scene.pointer, 700.0f - (float)frame * 23, 80.0f + (float)frame * 17, 0);
}

// The kept board drawn enlarged over a green back buffer, at the centre, by
// the corners (where part of what it enlarges lies off the display) and
// within a viewport, at 1x, 2x and 3x: each pixel of the square shows the
// kept pixel the operation's rule names, every other pixel stays green.
// `back` reads the whole back buffer as RGBA rows.
inline void check_kept_enlarged(const KeptBoardScene& scene, const std::function<std::vector<uint8_t>()>& back) {
    draw_scene_board(scene);
    ASSERT_TRUE(save_back_buffer());
    const std::vector<uint8_t> kept = back();
    auto px = [](const std::vector<uint8_t>& rows, int x, int y) {
        size_t at = ((size_t)y * kSceneWidth + (size_t)x) * 4;
        return (uint32_t)rows[at] << 16 | (uint32_t)rows[at + 1] << 8 | rows[at + 2];
    };
    struct spot_type {
        int x, y, size, zoom;
        int vx, vy, vw, vh;  // the viewport
    };
    const spot_type spots[] = {
        {400, 300, 120, 2, 0, 0, kSceneWidth, kSceneHeight},  {401, 299, 120, 3, 0, 0, kSceneWidth, kSceneHeight},
        {5, 7, 120, 2, 0, 0, kSceneWidth, kSceneHeight},      {796, 597, 144, 3, 0, 0, kSceneWidth, kSceneHeight},
        {250, 200, 96, 1, 0, 0, kSceneWidth, kSceneHeight},   {250, 200, 120, 2, 230, 180, 50, 70},
    };
    for (const spot_type& s : spots) {
        set_viewport(0, 0, kSceneWidth, kSceneHeight);
        set_clear_color(0, 255, 0);
        clear_screen();
        set_viewport(s.vx, s.vy, s.vw, s.vh);
        set_blend(BLEND_ALPHA);
        set_alpha(0.25f);
        set_color(255, 0, 0);  // neither may tint or blend the copy
        ASSERT_TRUE(draw_kept_enlarged(s.x, s.y, s.size, s.zoom));
        set_alpha(1);
        set_color(255, 255, 255);
        set_viewport(0, 0, kSceneWidth, kSceneHeight);
        const std::vector<uint8_t> now = back();
        int half = s.size / (2 * s.zoom), wrong = 0, enlarged = 0;
        for (int y = 0; y < kSceneHeight; y++)
            for (int x = 0; x < kSceneWidth; x++) {
                auto floor_div = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
                int kx = s.x + floor_div(x - s.x, s.zoom), ky = s.y + floor_div(y - s.y, s.zoom);
                bool in_square = kx >= s.x - half && kx < s.x + half && ky >= s.y - half && ky < s.y + half;
                bool in_view = x >= s.vx && x < s.vx + s.vw && y >= s.vy && y < s.vy + s.vh;
                bool on_display = kx >= 0 && ky >= 0 && kx < kSceneWidth && ky < kSceneHeight;
                uint32_t want = in_square && in_view && on_display ? px(kept, kx, ky) : 0x00ff00u;
                enlarged += want != 0x00ff00u;
                if (px(now, x, y) != want && wrong++ < 3)
                    ADD_FAILURE() << "at " << s.x << "," << s.y << " x" << s.zoom << ": pixel " << x << "," << y
                                  << " is " << std::hex << px(now, x, y) << ", not " << want;
            }
        EXPECT_EQ(wrong, 0) << "at " << s.x << "," << s.y << " x" << s.zoom;
        EXPECT_GT(enlarged, s.vw < kSceneWidth ? 1000 : 2000) << "at " << s.x << "," << s.y;
    }
    set_blend(BLEND_MASK);
}
