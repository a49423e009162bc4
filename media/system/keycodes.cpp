// The game's key codes. A window-system key symbol (taken without
// modifiers) is reduced to its low byte, which this table maps onto the
// codes the game's key tables use: letters 65..90 whatever the case,
// arrows 37..40, F1..F12 112..123, keypad digits 96..105 and so on.
// Only the low byte counts, so a few special keys share a letter's code;
// the keypad's digits and decimal point, which some keyboards report in
// place of KP_End .. KP_Delete, are known by their whole symbols instead,
// so that Latin-1 signs with those low bytes (degree, superscript two)
// keep their own codes.
#include "media/system/system.h"

int key_code_from_keysym(unsigned long keysym) {
    if (keysym >= 0xffb0 && keysym <= 0xffb9) return 96 + (int)(keysym - 0xffb0);  // KP_0 .. KP_9
    if (keysym == 0xffae) return 110;                                              // KP_Decimal
    int b = (int)(keysym & 0xff);
    if (b >= 81 && b <= 84) return b - 44;    // Left, Up, Right, Down
    if (b >= 97 && b <= 126) return b - 32;   // lower-case letters and { | } ~
    if (b >= 190 && b <= 201) return b - 78;  // F1 .. F12
    switch (b) {
    case 20: return 145;   // Scroll Lock
    case 39: return 222;   // apostrophe
    case 44: return 188;   // comma
    case 45: return 189;   // minus
    case 46: return 190;   // full stop
    case 47: return 191;   // slash
    case 59: return 186;   // semicolon
    case 61: return 187;   // equals
    case 80: return 36;    // Home
    case 85: return 33;    // Page Up
    case 86: return 34;    // Page Down
    case 87: return 35;    // End
    case 91: return 219;   // [
    case 92: return 226;   // backslash
    case 93: return 221;   // ]
    case 96: return 192;   // grave accent
    case 127: return 144;  // Num Lock
    case 141: return 13;   // keypad Enter
    case 149: return 103;  // keypad Home = 7
    case 150: return 100;  // keypad Left = 4
    case 151: return 104;  // keypad Up = 8
    case 152: return 102;  // keypad Right = 6
    case 153: return 98;   // keypad Down = 2
    case 154: return 105;  // keypad Page Up = 9
    case 155: return 99;   // keypad Page Down = 3
    case 156: return 97;   // keypad End = 1
    case 157: return 101;  // keypad Begin = 5
    case 158: return 96;   // keypad Insert = 0
    case 159: return 110;  // keypad Delete = decimal point
    case 170: return 106;  // keypad *
    case 171: return 107;  // keypad +
    case 173: return 109;  // keypad -
    case 175: return 111;  // keypad /
    case 225: return 160;  // left Shift
    case 226: return 161;  // right Shift
    case 227: return 162;  // left Control
    case 228: return 163;  // right Control
    case 233: return 164;  // left Alt
    case 234: return 165;  // right Alt
    case 235: return 91;   // left Super
    case 236: return 92;   // right Super
    case 255: return 46;   // Delete
    default: return b;
    }
}
