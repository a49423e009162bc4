// JPEG decoding (a colour and a greyscale file made once with an image
// tool and kept here as bytes), and damaged files of every format: cut
// short or with bytes changed, they give Null or a well-formed pixmap.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <cstring>

#include "draw_test_util.h"
#include "media/media_internal.h"

namespace {

// 16 x 16 baseline JPEG: the top half red, the bottom half blue.
const std::vector<uint8_t> RED_OVER_BLUE = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
    0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x03, 0x02, 0x02, 0x03, 0x02, 0x02, 0x03, 0x03, 0x03, 0x03, 0x04, 0x03, 0x03,
    0x04, 0x05, 0x08, 0x05, 0x05, 0x04, 0x04, 0x05, 0x0A, 0x07, 0x07, 0x06, 0x08, 0x0C, 0x0A, 0x0C, 0x0C, 0x0B, 0x0A,
    0x0B, 0x0B, 0x0D, 0x0E, 0x12, 0x10, 0x0D, 0x0E, 0x11, 0x0E, 0x0B, 0x0B, 0x10, 0x16, 0x10, 0x11, 0x13, 0x14, 0x15,
    0x15, 0x15, 0x0C, 0x0F, 0x17, 0x18, 0x16, 0x14, 0x18, 0x12, 0x14, 0x15, 0x14, 0xFF, 0xDB, 0x00, 0x43, 0x01, 0x03,
    0x04, 0x04, 0x05, 0x04, 0x05, 0x09, 0x05, 0x05, 0x09, 0x14, 0x0D, 0x0B, 0x0D, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
    0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
    0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
    0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x10, 0x00, 0x10, 0x03, 0x01, 0x11, 0x00,
    0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xFF, 0xC4, 0x00, 0x16, 0x00, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x08, 0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xC4, 0x00, 0x16, 0x01,
    0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x07,
    0xFF, 0xC4, 0x00, 0x14, 0x11, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00, 0xCE, 0x8C,
    0x31, 0x54, 0xC0, 0x40, 0x97, 0x19, 0x1D, 0x00, 0x7F, 0xFF, 0xD9,
};

// 8 x 8 greyscale JPEG of grey 128.
const std::vector<uint8_t> GREY = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01,
    0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x03, 0x02, 0x02, 0x03, 0x02, 0x02, 0x03, 0x03, 0x03, 0x03, 0x04,
    0x03, 0x03, 0x04, 0x05, 0x08, 0x05, 0x05, 0x04, 0x04, 0x05, 0x0A, 0x07, 0x07, 0x06, 0x08, 0x0C, 0x0A, 0x0C,
    0x0C, 0x0B, 0x0A, 0x0B, 0x0B, 0x0D, 0x0E, 0x12, 0x10, 0x0D, 0x0E, 0x11, 0x0E, 0x0B, 0x0B, 0x10, 0x16, 0x10,
    0x11, 0x13, 0x14, 0x15, 0x15, 0x15, 0x0C, 0x0F, 0x17, 0x18, 0x16, 0x14, 0x18, 0x12, 0x14, 0x15, 0x14, 0xFF,
    0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xC4,
    0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x3F, 0xFF, 0xD9,
};

bool near(uint32_t argb, int r, int g, int b) {
    auto close = [](int a, int e) { return a >= e - 8 && a <= e + 8; };
    return argb >> 24 == 255 && close((argb >> 16) & 255, r) && close((argb >> 8) & 255, g) && close(argb & 255, b);
}

}  // namespace

TEST(LoadPixmap, JpegColourAndGrey) {
    support::TempFolder dir;
    ASSERT_TRUE(support::write_bytes(dir.file("rb.jpg"), RED_OVER_BLUE));
    TPixmap* p = load_pixmap(dir.file("rb.jpg"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->format, PF_RGB888);
    EXPECT_EQ(p->width, 16);
    EXPECT_EQ(p->height, 16);
    EXPECT_TRUE(near(read_pixel(p, 3, 2), 255, 0, 0)) << std::hex << read_pixel(p, 3, 2);
    EXPECT_TRUE(near(read_pixel(p, 12, 13), 0, 0, 255)) << std::hex << read_pixel(p, 12, 13);
    free_pixmap(p);

    ASSERT_TRUE(support::write_bytes(dir.file("g.jpg"), GREY));
    p = load_pixmap(dir.file("g.jpg"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->format, PF_GREY8);
    EXPECT_TRUE(near(read_pixel(p, 4, 4), 128, 128, 128)) << std::hex << read_pixel(p, 4, 4);
    free_pixmap(p);
}

TEST(LoadPixmap, TruncatedJpegGivesNull) {
    support::TempFolder dir;
    // The compressed data cut short but the end marker kept.
    std::vector<uint8_t> early(RED_OVER_BLUE.begin(), RED_OVER_BLUE.end() - 8);
    early.push_back(0xFF);
    early.push_back(0xD9);
    ASSERT_TRUE(support::write_bytes(dir.file("early.jpg"), early));
    EXPECT_EQ(load_pixmap(dir.file("early.jpg")), nullptr);
    for (size_t cut : {size_t(2), size_t(12), size_t(40), RED_OVER_BLUE.size() / 2}) {
        std::vector<uint8_t> bytes(RED_OVER_BLUE.begin(), RED_OVER_BLUE.end() - static_cast<long>(cut));
        ASSERT_TRUE(support::write_bytes(dir.file("cut.jpg"), bytes));
        EXPECT_EQ(load_pixmap(dir.file("cut.jpg")), nullptr) << "cut by " << cut;
    }
}

namespace {

// A small deterministic generator, so failures repeat.
struct Lcg {
    uint32_t state;
    uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

std::vector<uint8_t> small_bmp() {
    std::vector<uint8_t> b = {'B', 'M'};
    put32(&b, 14 + 40 + 16 * 3);
    put32(&b, 0);
    put32(&b, 54);
    put32(&b, 40);
    put32(&b, 5);
    put32(&b, 3);
    put16(&b, 1);
    put16(&b, 24);
    for (int i = 0; i < 6; i++) put32(&b, 0);
    for (int i = 0; i < 16 * 3; i++) b.push_back(static_cast<uint8_t>(i * 37));
    return b;
}

std::vector<uint8_t> small_tga() {
    std::vector<uint8_t> b = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 0, 2, 0, 32, 0x28};
    for (int i = 0; i < 4; i++) {
        b.push_back(0x82);  // a run of 3
        for (int k = 0; k < 4; k++) b.push_back(static_cast<uint8_t>(i * 50 + k));
    }
    return b;
}

}  // namespace

TEST(LoadPixmap, DamagedFilesGiveNullOrAWellFormedPixmap) {
    support::TempFolder dir;
    TPixmap* pattern = create_pixmap(12, 9, PF_RGBA8888);
    for (size_t i = 0; i < pattern->pixels.size(); i++) pattern->pixels[i] = static_cast<uint8_t>(i * 13);
    const std::vector<std::vector<uint8_t>> originals = {png_bytes(pattern, dir.file("p.png")), RED_OVER_BLUE, GREY,
                                                         small_bmp(), small_tga()};
    Lcg rng = {12345};
    int decoded = 0;
    for (const std::vector<uint8_t>& original : originals) {
        ASSERT_GT(original.size(), 20u);
        for (int round = 0; round < 150; round++) {
            std::vector<uint8_t> bytes = original;
            int changes = 1 + static_cast<int>(rng.next() % 4);
            for (int c = 0; c < changes; c++) bytes[rng.next() % bytes.size()] = static_cast<uint8_t>(rng.next());
            if (round % 3 == 0) bytes.resize(bytes.size() - rng.next() % (bytes.size() / 2));
            ASSERT_TRUE(support::write_bytes(dir.file("damaged"), bytes));
            TPixmap* p = load_pixmap(dir.file("damaged"));
            if (!p) continue;
            decoded++;
            int bpp = pixmap_bytes_per_pixel(p->format);
            ASSERT_GT(bpp, 0);
            ASSERT_GE(p->width, 1);
            ASSERT_GE(p->height, 1);
            ASSERT_LE(p->width, PIXMAP_MAX_SIDE);
            ASSERT_LE(p->height, PIXMAP_MAX_SIDE);
            ASSERT_EQ(p->pitch, p->width * bpp);
            ASSERT_EQ(p->pixels.size(), static_cast<size_t>(p->pitch) * p->height);
            free_pixmap(p);
        }
    }
    // Damage that misses the checked parts still decodes (BMP and TGA carry no checksums).
    EXPECT_GT(decoded, 0);
}

namespace {

long peak_rss_kib() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A chunk of type `type` holding `head` and then `inflated` zero bytes
// deflated (a stream of about a thousandth of that).
std::vector<uint8_t> zero_bomb_chunk(const char* type, const std::string& head, size_t inflated) {
    std::vector<uint8_t> data(head.begin(), head.end());
    z_stream z = {};
    deflateInit(&z, 9);
    std::vector<uint8_t> zeros(1 << 20, 0), out(1 << 16);
    for (size_t fed = 0; fed < inflated || z.avail_in; ) {
        if (!z.avail_in && fed < inflated) {
            z.next_in = zeros.data();
            z.avail_in = static_cast<uInt>(zeros.size());
            fed += zeros.size();
        }
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, Z_NO_FLUSH);
        data.insert(data.end(), out.data(), z.next_out);
    }
    int rc;
    do {
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        rc = deflate(&z, Z_FINISH);
        data.insert(data.end(), out.data(), z.next_out);
    } while (rc == Z_OK);
    deflateEnd(&z);
    std::vector<uint8_t> chunk(8);
    put32be(&chunk, 0, static_cast<uint32_t>(data.size()));
    std::memcpy(chunk.data() + 4, type, 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    chunk.resize(chunk.size() + 4);
    put32be(&chunk, chunk.size() - 4, crc32_of(chunk.data() + 4, chunk.size() - 8));
    return chunk;
}

// Text and colour-profile chunks that inflate to 256 MiB each are never
// inflated whole: the picture loads as it would without them, and the
// process grows by far less than one of them.
TEST(LoadPixmap, CompressedAncillaryChunksAreNotInflated) {
    support::TempFolder dir;
    TPixmap* small = create_pixmap(4, 4, PF_RGB888);
    write_pixel(small, 1, 2, 0xFF102030);
    std::vector<uint8_t> png = png_bytes(small, dir.file("small.png"));
    ASSERT_GT(png.size(), 33u);
    const size_t inflated = 256u << 20;
    std::vector<uint8_t> chunks;
    for (const auto& c : {zero_bomb_chunk("zTXt", std::string("Comment\0\0", 9), inflated),
                          zero_bomb_chunk("iTXt", std::string("Comment\0\1\0\0\0", 12), inflated),
                          zero_bomb_chunk("iCCP", std::string("icc\0\0", 5), inflated)})
        chunks.insert(chunks.end(), c.begin(), c.end());
    png.insert(png.begin() + 33, chunks.begin(), chunks.end());
    ASSERT_TRUE(support::write_bytes(dir.file("chunks.png"), png));
    struct rusage before, after;
    getrusage(RUSAGE_SELF, &before);
    TPixmap* p = load_pixmap_within(dir.file("chunks.png"), {4, 4, 16}, nullptr);
    getrusage(RUSAGE_SELF, &after);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(read_pixel(p, 1, 2), 0xFF102030u);
    free_pixmap(p);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 32L * 1024) << "KiB of peak growth";
}

// Hostile image files meet a bounded read: a file is never larger than its
// limits allow it to be (a small picture padded to 100 MB is refused), a
// header claiming too much is refused before the rest of a 200 MB file is
// read, a true bomb by its header, a link to /dev/zero and a cut file
// give Null; none makes the process grow by more than a few MB.
TEST(LoadPixmap, HostileFilesAreRefusedBeforeTheyAreReadWhole) {
    support::TempFolder dir;
    TPixmap* small = create_pixmap(4, 4, PF_RGB888);
    std::vector<uint8_t> png = png_bytes(small, dir.file("small.png"));
    ASSERT_GT(png.size(), 33u);
    std::vector<uint8_t> bomb_header = png;
    claim_png_size(&bomb_header, 16384, 16384);
    TPixmap* grey = create_pixmap(8192, 8192, PF_GREY8);
    ASSERT_TRUE(save_pixmap_png(grey, dir.file("bomb.png"), 9));
    free_pixmap(grey);
    auto sparse = [&](const std::string& name, const std::vector<uint8_t>& head, off_t size) {
        EXPECT_TRUE(support::write_bytes(dir.file(name), head));
        EXPECT_EQ(truncate(dir.file(name).c_str(), size), 0);
        return dir.file(name);
    };
    std::vector<uint8_t> cut(png.begin(), png.begin() + static_cast<long>(png.size() / 2));
    ASSERT_TRUE(support::write_bytes(dir.file("cut.png"), cut));
    ASSERT_EQ(symlink("/dev/zero", dir.file("zero.png").c_str()), 0);
    struct Row {
        std::string path;
        TImageLimits limits;
        int claimed;  // the width the claim records; 0 = none
    } rows[] = {
        {sparse("claims.png", bomb_header, 200 << 20), IMAGE_LIMITS_LARGEST, 16384},
        {sparse("padded.png", png, 100 << 20), {4, 4, 16}, 0},
        {dir.file("bomb.png"), {1024, 768, 1024 * 768}, 8192},
        {dir.file("cut.png"), {4, 4, 16}, 4},
        {dir.file("zero.png"), IMAGE_LIMITS_LARGEST, 0},
    };
    for (const Row& row : rows) {
        struct rusage before, after;
        getrusage(RUSAGE_SELF, &before);
        TImageClaim claim;
        EXPECT_EQ(load_pixmap_within(row.path, row.limits, &claim), nullptr) << row.path;
        getrusage(RUSAGE_SELF, &after);
        EXPECT_EQ(claim.width, row.claimed) << row.path;
        EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 8L * 1024) << row.path << ": KiB of peak growth";
    }
    // The same small picture unpadded loads under those limits.
    TPixmap* ok = load_pixmap_within(dir.file("small.png"), {4, 4, 16}, nullptr);
    EXPECT_NE(ok, nullptr);
    free_pixmap(ok);
}

}  // namespace

TEST(LoadPixmap, ClaimsBeyondTheFilesDataAllocateNothing) {
    // Each header claims 16000 x 4000 (within the pixel limit, 256 MB as
    // RGBA) but the file holds a few hundred bytes.
    support::TempFolder dir;
    std::vector<uint8_t> png = png_bytes(create_pixmap(4, 4, PF_RGBA8888), dir.file("small.png"));
    ASSERT_FALSE(png.empty());
    claim_png_size(&png, 16000, 4000);
    std::vector<uint8_t> jpeg = RED_OVER_BLUE;
    size_t sof = 0;
    while (sof + 9 < jpeg.size() && !(jpeg[sof] == 0xFF && jpeg[sof + 1] == 0xC0)) sof++;
    ASSERT_LT(sof + 9, jpeg.size());
    jpeg[sof + 5] = 4000 >> 8, jpeg[sof + 6] = 4000 & 255, jpeg[sof + 7] = 16000 >> 8, jpeg[sof + 8] = 16000 & 255;
    std::vector<uint8_t> tga = small_tga();
    tga[12] = 16000 & 255, tga[13] = 16000 >> 8, tga[14] = 4000 & 255, tga[15] = 4000 >> 8;

    long before = peak_rss_kib();
    for (const auto* bytes : {&png, &jpeg, &tga}) {
        ASSERT_TRUE(support::write_bytes(dir.file("claim"), *bytes));
        EXPECT_EQ(load_pixmap(dir.file("claim")), nullptr);
    }
    EXPECT_LT(peak_rss_kib() - before, 32 * 1024) << "KiB of peak memory gained";
}

TEST(LoadPixmap, LimitsRefuseFromTheHeaderAndTellWhatItClaimed) {
    support::TempFolder dir;
    std::vector<uint8_t> png = png_bytes(create_pixmap(12, 9, PF_RGBA8888), dir.file("small.png"));
    ASSERT_FALSE(png.empty());
    struct Case {
        std::vector<uint8_t> bytes;
        int width, height;
    };
    const Case cases[] = {{png, 12, 9}, {RED_OVER_BLUE, 16, 16}, {small_bmp(), 5, 3}, {small_tga(), 6, 2}};
    for (const Case& c : cases) {
        std::string path = dir.file("image");
        ASSERT_TRUE(support::write_bytes(path, c.bytes));
        const int w = c.width, h = c.height;
        const int64_t wh = int64_t(w) * h;
        // One field too small, or left unset: no decoder may read a file
        // without limits, whatever the file.
        const TImageLimits too_small[] = {{w - 1, h, wh}, {w, h - 1, wh}, {w, h, wh - 1},
                                          {0, h, wh},     {w, 0, wh},     {w, h, 0}};
        for (const TImageLimits& limits : too_small) {
            TImageClaim claim;
            EXPECT_EQ(load_pixmap_within(path, limits, &claim), nullptr) << w << "x" << h;
            if (!image_limits_set(limits)) continue;  // refused unread
            EXPECT_EQ(claim.width, w);
            EXPECT_EQ(claim.height, h);
            EXPECT_FALSE(claim.no_memory);
        }
        TImageClaim claim;
        TPixmap* exact = load_pixmap_within(path, {w, h, int64_t(w) * h}, &claim);
        ASSERT_NE(exact, nullptr) << w << "x" << h << " fits limits of its own size";
        EXPECT_EQ(exact->width, w);
        free_pixmap(exact);
        TImage* image = load_image_within(path, -1, {w, h, int64_t(w) * h}, nullptr);
        EXPECT_NE(image, nullptr);
        free_image(image);
        EXPECT_EQ(load_image_within(path, -1, {w - 1, h, int64_t(w) * h}, nullptr), nullptr);
        // Each decoder on its own, and the decoding ahead, refuse without limits.
        for (int decoder : {DECODE_PNG, DECODE_JPEG, DECODE_BMP, DECODE_TGA}) {
            TPixmap* one = decode_pixmap(c.bytes.data(), c.bytes.size(), decoder, {w, h, wh}, nullptr);
            bool decodes = one != nullptr;
            free_pixmap(one);
            EXPECT_EQ(decode_pixmap(c.bytes.data(), c.bytes.size(), decoder, TImageLimits(), nullptr), nullptr);
            if (!decodes) continue;
            prefetch_images({path}, TImageLimits(), 0);
            wait_for_prefetch();
            int taken = prefetched_images_taken;
            TPixmap* later = load_pixmap_within(path, {w, h, wh}, nullptr);
            EXPECT_NE(later, nullptr);
            free_pixmap(later);
            EXPECT_EQ(prefetched_images_taken, taken) << "decoded ahead without limits";
        }
    }
    // A file no loader knows claims nothing.
    ASSERT_TRUE(support::write_bytes(dir.file("text"), {'h', 'e', 'l', 'l', 'o'}));
    TImageClaim claim;
    EXPECT_EQ(load_pixmap_within(dir.file("text"), {1024, 768, 1024 * 768}, &claim), nullptr);
    EXPECT_EQ(claim.width, 0);
    EXPECT_EQ(claim.height, 0);
}

TEST(LoadPixmap, ABombIsRefusedByItsHeaderWhateverItsData) {
    // 4096 x 4096 grey compresses to a few kilobytes but decodes to 16 MB
    // (64 MB once masked): without limits it loads, with a board's limits
    // the header alone refuses it, and a header of that size in front of
    // data that is no image at all is refused for its size as well.
    support::TempFolder dir;
    TPixmap* grey = create_pixmap(4096, 4096, PF_GREY8);
    ASSERT_TRUE(save_pixmap_png(grey, dir.file("bomb.png"), 9));
    free_pixmap(grey);
    std::vector<uint8_t> bomb = support::read_bytes(dir.file("bomb.png"));
    EXPECT_LT(bomb.size(), 64u * 1024);
    TPixmap* whole = load_pixmap_within(dir.file("bomb.png"), IMAGE_LIMITS_LARGEST, nullptr);
    ASSERT_NE(whole, nullptr);
    free_pixmap(whole);
    TImageClaim claim;
    EXPECT_EQ(load_pixmap_within(dir.file("bomb.png"), {1024, 768, 1024 * 768}, &claim), nullptr);
    EXPECT_EQ(claim.width, 4096);
    EXPECT_EQ(claim.height, 4096);
    std::vector<uint8_t> header_only(bomb.begin(), bomb.begin() + 33);
    header_only.resize(bomb.size(), 0x55);
    ASSERT_TRUE(support::write_bytes(dir.file("header.png"), header_only));
    claim = TImageClaim();
    EXPECT_EQ(load_pixmap_within(dir.file("header.png"), {1024, 768, 1024 * 768}, &claim), nullptr);
    EXPECT_EQ(claim.width, 4096);
}
