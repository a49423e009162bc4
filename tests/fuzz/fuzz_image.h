// One body for the four image harnesses: the bytes go to one decoder with
// the limits the game puts on a piece image, and a pixmap that comes back
// must be as large as it says.
#pragma once

#include "media/media_internal.h"
#include "tests/fuzz/fuzz_support.h"

inline int fuzz_decoder(int decoder, const uint8_t* data, size_t size) {
    TImageClaim claim;
    TPixmap* pixmap = decode_pixmap(data, size, decoder, {1024, 768, 1024 * 768}, &claim);
    if (pixmap) {
        int bpp = pixmap_bytes_per_pixel(pixmap->format);
        if (pixmap->width < 1 || pixmap->width > 1024 || pixmap->height < 1 || pixmap->height > 768 || bpp == 0)
            fuzz_fail("a decoded pixmap outside its limits");
        if (pixmap->pitch < pixmap->width * bpp ||
            pixmap->pixels.size() < static_cast<size_t>(pixmap->pitch) * pixmap->height)
            fuzz_fail("a decoded pixmap smaller than its size");
        if (claim.width != pixmap->width || claim.height != pixmap->height) fuzz_fail("a claim that is not the size");
        // Reading every pixel back touches every byte the pixmap owns.
        volatile uint32_t sink = 0;
        for (int y = 0; y < pixmap->height; y++)
            for (int x = 0; x < pixmap->width; x++) sink = sink + read_pixel(pixmap, x, y);
        free_pixmap(pixmap);
    }
    return 0;
}
