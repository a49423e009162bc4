// The hooks through which the folders below the shell ask it to act: a
// saved game of the other size and the help lines switch the display, the
// help page draws the screen under it from the screen table, and a kill
// replaces the game whose moments of interaction the loop still holds.
// The lower folders never include the shell; they call these pointers.
#include "shell/shell.h"

void install_shell_hooks() {
    display_size_hook = toggle_display_size;
    windowed_hook = toggle_windowed;
    backdrop_hook = draw_screen_backdrop;
    game_replaced_hook = forget_interaction;
}
