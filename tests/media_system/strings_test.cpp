// Reading numbers from text as every file reader does, number to text, and
// the 1-based string helpers.
#include <climits>
#include <gtest/gtest.h>

#include "media/system/system.h"

TEST(TextToInt, ReadsSignedDecimalAfterWhiteSpaceAndStopsAtOtherCharacters) {
    EXPECT_EQ(text_to_int(" -7x"), -7);
    EXPECT_EQ(text_to_int("\t\r\n 42abc"), 42);
    EXPECT_EQ(text_to_int("+12"), 12);
    EXPECT_EQ(text_to_int("007"), 7);
    EXPECT_EQ(text_to_int("3 4"), 3);
}

TEST(TextToInt, NoDigitsReadAsZero) {
    EXPECT_EQ(text_to_int(""), 0);
    EXPECT_EQ(text_to_int("abc"), 0);
    EXPECT_EQ(text_to_int("-"), 0);
    EXPECT_EQ(text_to_int("- 5"), 0);  // the sign must touch the digits
    EXPECT_EQ(text_to_int("+-5"), 0);  // only one sign
    EXPECT_EQ(text_to_int("$"), 0);
    EXPECT_EQ(text_to_int("$G"), 0);
}

TEST(TextToInt, DollarIntroducesHexAndPercentBinary) {
    EXPECT_EQ(text_to_int("$1F"), 31);
    EXPECT_EQ(text_to_int("$1f"), 31);
    EXPECT_EQ(text_to_int("%101"), 5);
    EXPECT_EQ(text_to_int("%1012"), 5);  // 2 is no binary digit
    EXPECT_EQ(text_to_int("-$10"), -16);
    EXPECT_EQ(text_to_int("  $ff"), 255);
}

TEST(TextToInt, OverflowClampsToTheIntRange) {
    EXPECT_EQ(text_to_int("2147483647"), INT_MAX);
    EXPECT_EQ(text_to_int("-2147483648"), INT_MIN);
    EXPECT_EQ(text_to_int("2147483648"), INT_MAX);
    EXPECT_EQ(text_to_int("-2147483649"), INT_MIN);
    // Past 32 bits nothing wraps back to a small value.
    EXPECT_EQ(text_to_int("4294967297"), INT_MAX);
    EXPECT_EQ(text_to_int("4294967298"), INT_MAX);
    EXPECT_EQ(text_to_int("-4294967298"), INT_MIN);
    EXPECT_EQ(text_to_int("$FFFFFFFF"), INT_MAX);
    EXPECT_EQ(text_to_int("%" + std::string(40, '1')), INT_MAX);
    // A very long run of digits is still defined (and does not crash).
    EXPECT_EQ(text_to_int(std::string(200, '0') + "9"), 9);
    EXPECT_EQ(text_to_int(std::string(200, '9')), INT_MAX);
}

TEST(IntToText, PlainDecimalWithMinusForNegatives) {
    EXPECT_EQ(int_to_text(0), "0");
    EXPECT_EQ(int_to_text(-42), "-42");
    EXPECT_EQ(int_to_text(INT_MIN), "-2147483648");
    EXPECT_EQ(text_to_int(int_to_text(INT_MIN)), INT_MIN);
}

TEST(TextSlice, PositionsAreOneBasedAndCutToTheText) {
    EXPECT_EQ(text_slice("hello", 2, 3), "ell");
    EXPECT_EQ(text_slice("hello", 1, 5), "hello");
    EXPECT_EQ(text_slice("hello", 4, 10), "lo");
    EXPECT_EQ(text_slice("hello", 6, 1), "");
    EXPECT_EQ(text_slice("hello", 99, -1), "");
    EXPECT_EQ(text_slice("hello", 3, -1), "llo");
    EXPECT_EQ(text_slice("hello", 2, 0), "");
    // Before the start: the missing part counts toward the size.
    EXPECT_EQ(text_slice("hello", 0, 3), "he");
    EXPECT_EQ(text_slice("hello", -5, 3), "");
    EXPECT_EQ(text_slice("hello", -5, -1), "hello");
}

TEST(TextHeadTail, CountIsCutToTheLength) {
    EXPECT_EQ(text_head("abc", 2), "ab");
    EXPECT_EQ(text_head("abc", 5), "abc");
    EXPECT_EQ(text_head("abc", -1), "");
    EXPECT_EQ(text_tail("abc", 2), "bc");
    EXPECT_EQ(text_tail("abc", 5), "abc");
    EXPECT_EQ(text_tail("abc", 0), "");
}

TEST(FindText, FirstOccurrenceAtOrAfterStartOrZero) {
    EXPECT_EQ(find_text("abcabc", "bc", 1), 2);
    EXPECT_EQ(find_text("abcabc", "bc", 2), 2);
    EXPECT_EQ(find_text("abcabc", "bc", 3), 5);
    EXPECT_EQ(find_text("abcabc", "x", 1), 0);
    EXPECT_EQ(find_text("abcabc", "bc", 6), 0);
    EXPECT_EQ(find_text("abcabc", "bc", 100), 0);
    EXPECT_EQ(find_text("abcabc", "a", 0), 1);
    EXPECT_EQ(find_text("file.png", ".", 1), 5);
}
