// The key-code table: spot checks of every special range, using the X key
// symbol values (written out here, since tests do not include X headers).
#include <gtest/gtest.h>

#include "media/system/system.h"

namespace {

int code(unsigned long keysym) { return key_code_from_keysym(keysym); }

TEST(KeyCodes, LettersGiveUpperCaseCodes) {
    // The key is looked up without modifiers, so letter keys report their
    // lower-case symbols whether Shift is held or not.
    for (int i = 0; i < 26; i++) EXPECT_EQ(code('a' + i), 65 + i);
    // Upper-case symbols mostly pass through unchanged...
    EXPECT_EQ(code('A'), 65);
    EXPECT_EQ(code('O'), 79);
    EXPECT_EQ(code('X'), 88);
    EXPECT_EQ(code('Z'), 90);
    // ...but P..W share their low byte with the navigation keys.
    EXPECT_EQ(code('P'), 36);
    EXPECT_EQ(code('W'), 35);
}

TEST(KeyCodes, DigitsSpaceAndControlKeys) {
    for (int i = 0; i < 10; i++) EXPECT_EQ(code('0' + i), 48 + i);
    EXPECT_EQ(code(0x20), 32);    // space
    EXPECT_EQ(code(0xff08), 8);   // BackSpace
    EXPECT_EQ(code(0xff09), 9);   // Tab
    EXPECT_EQ(code(0xff0d), 13);  // Return
    EXPECT_EQ(code(0xff8d), 13);  // KP_Enter
    EXPECT_EQ(code(0xff1b), 27);  // Escape
}

TEST(KeyCodes, FunctionKeysAreConsecutive) {
    for (int i = 0; i < 12; i++) EXPECT_EQ(code(0xffbe + i), 112 + i);  // F1 .. F12
}

TEST(KeyCodes, ArrowsAndNavigation) {
    EXPECT_EQ(code(0xff51), 37);  // Left
    EXPECT_EQ(code(0xff52), 38);  // Up
    EXPECT_EQ(code(0xff53), 39);  // Right
    EXPECT_EQ(code(0xff54), 40);  // Down
    EXPECT_EQ(code(0xff50), 36);  // Home
    EXPECT_EQ(code(0xff57), 35);  // End
    EXPECT_EQ(code(0xff55), 33);  // Prior (Page Up)
    EXPECT_EQ(code(0xff56), 34);  // Next (Page Down)
    EXPECT_EQ(code(0xffff), 46);  // Delete
    EXPECT_EQ(code(0xff63), 67);  // Insert shares C's code (low byte 0x63 = 'c')
}

TEST(KeyCodes, KeypadWithoutNumLockGivesKeypadDigits) {
    EXPECT_EQ(code(0xff9e), 96);   // KP_Insert = 0
    EXPECT_EQ(code(0xff9c), 97);   // KP_End = 1
    EXPECT_EQ(code(0xff99), 98);   // KP_Down = 2
    EXPECT_EQ(code(0xff9b), 99);   // KP_Next = 3
    EXPECT_EQ(code(0xff96), 100);  // KP_Left = 4
    EXPECT_EQ(code(0xff9d), 101);  // KP_Begin = 5
    EXPECT_EQ(code(0xff98), 102);  // KP_Right = 6
    EXPECT_EQ(code(0xff95), 103);  // KP_Home = 7
    EXPECT_EQ(code(0xff97), 104);  // KP_Up = 8
    EXPECT_EQ(code(0xff9a), 105);  // KP_Prior = 9
    EXPECT_EQ(code(0xffaa), 106);  // KP_Multiply
    EXPECT_EQ(code(0xffab), 107);  // KP_Add
    EXPECT_EQ(code(0xffad), 109);  // KP_Subtract
    EXPECT_EQ(code(0xff9f), 110);  // KP_Delete
    EXPECT_EQ(code(0xffaf), 111);  // KP_Divide
}

TEST(KeyCodes, KeypadDigitsAndDecimalGiveTheSameCodesAsWithoutNumLock) {
    for (int i = 0; i < 10; i++) EXPECT_EQ(code(0xffb0 + i), 96 + i);  // KP_0 .. KP_9
    EXPECT_EQ(code(0xffae), 110);                                      // KP_Decimal
    EXPECT_EQ(code(0xb0), 0xb0);  // degree sign: only the keypad's symbols are taken whole
    EXPECT_EQ(code(0xb2), 0xb2);  // superscript two, a first-level key on some layouts
    EXPECT_EQ(code(0xae), 0xae);  // registered sign
}

TEST(KeyCodes, ModifiersAndLocks) {
    EXPECT_EQ(code(0xffe1), 160);  // Shift_L
    EXPECT_EQ(code(0xffe2), 161);  // Shift_R
    EXPECT_EQ(code(0xffe3), 162);  // Control_L
    EXPECT_EQ(code(0xffe4), 163);  // Control_R
    EXPECT_EQ(code(0xffe9), 164);  // Alt_L
    EXPECT_EQ(code(0xffea), 165);  // Alt_R
    EXPECT_EQ(code(0xffeb), 91);   // Super_L
    EXPECT_EQ(code(0xffec), 92);   // Super_R
    EXPECT_EQ(code(0xff7f), 144);  // Num_Lock
    EXPECT_EQ(code(0xff14), 145);  // Scroll_Lock
}

TEST(KeyCodes, Punctuation) {
    EXPECT_EQ(code(','), 188);
    EXPECT_EQ(code('-'), 189);
    EXPECT_EQ(code('.'), 190);
    EXPECT_EQ(code('/'), 191);
    EXPECT_EQ(code(';'), 186);
    EXPECT_EQ(code('='), 187);
    EXPECT_EQ(code('['), 219);
    EXPECT_EQ(code('\\'), 226);
    EXPECT_EQ(code(']'), 221);
    EXPECT_EQ(code('`'), 192);
    EXPECT_EQ(code('\''), 222);
}

TEST(KeyCodes, OnlyTheLowByteCountsAndOtherBytesPassThrough) {
    EXPECT_EQ(code(0x1000041), 65);  // a Unicode keysym whose low byte is 'A'
    EXPECT_EQ(code(0xff00 + '0'), 48);
    EXPECT_EQ(code(0x7b), 91);          // braceleft lies in the lower-case run
    EXPECT_EQ(code(0xffc8 + 2), 0xca);  // just past F12 is left alone
}

}  // namespace
