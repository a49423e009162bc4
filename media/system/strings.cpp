// Text helpers: reading a number from text as every file reader does, number to
// text, and slicing and searching with 1-based positions. Numbers that do
// not fit an int are clamped to the nearest int ("4294967298" reads as
// 2147483647, never as a wrapped 2), so a damaged file cannot turn a huge
// value into a small plausible one; nothing is undefined.
#include <cstdint>

#include "media/system/system.h"

static bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The value of c as a digit in base, or -1.
static int digit_value(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

int text_to_int(const std::string& text) {
    size_t i = 0, n = text.size();
    while (i < n && is_space(text[i])) i++;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        i++;
    }
    int base = 10;
    if (i < n && text[i] == '$') {
        base = 16;
        i++;
    } else if (i < n && text[i] == '%') {
        base = 2;
        i++;
    }
    // Accumulated up to just past the int range; further digits only
    // confirm that it is out of range.
    const int64_t limit = (int64_t)INT32_MAX + 1;
    int64_t value = 0;
    for (; i < n; i++) {
        int d = digit_value(text[i], base);
        if (d < 0) break;
        value = value * base + d;
        if (value > limit) value = limit;
    }
    if (negative) return value >= limit ? INT32_MIN : (int)-value;
    return value > INT32_MAX ? INT32_MAX : (int)value;
}

std::string int_to_text(int value) { return std::to_string(value); }

std::string text_slice(const std::string& s, int pos, int size) {
    bool to_end = size < 0;  // -1: to the end
    int64_t start = pos, count = size;
    if (start < 1) {  // the part before the text counts toward size
        count += start - 1;
        start = 1;
    }
    if (start > (int64_t)s.size()) return "";
    if (to_end) return s.substr((size_t)(start - 1));
    if (count <= 0) return "";
    return s.substr((size_t)(start - 1), (size_t)count);
}

std::string text_head(const std::string& s, int n) {
    if (n <= 0) return "";
    return s.substr(0, (size_t)n);
}

std::string text_tail(const std::string& s, int n) {
    if (n <= 0) return "";
    if ((size_t)n >= s.size()) return s;
    return s.substr(s.size() - (size_t)n);
}

int find_text(const std::string& s, const std::string& sub, int start) {
    if (start < 1) start = 1;
    if ((size_t)start - 1 > s.size()) return 0;
    size_t at = s.find(sub, (size_t)start - 1);
    return at == std::string::npos ? 0 : (int)at + 1;
}
