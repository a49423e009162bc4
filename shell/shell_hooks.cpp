// The hooks through which the folders below the shell ask it to act: a
// saved game of the other size switches the display, the help page asks
// the screen table what lies under it and the command table what its lines
// do, a kill replaces the game whose moments of interaction the loop
// still holds, and the media layer saves the game when the program is
// ended from outside (a termination signal, a lost X server).
// The lower folders never include the shell; they call these pointers.
#include "library/library.h"
#include "shell/shell.h"

void install_shell_hooks() {
    display_size_hook = toggle_display_size;
    backdrop_hook = draw_screen_backdrop;
    help_page_hook = screen_help_page;
    help_line_hook = run_help_line;
    game_replaced_hook = forget_interaction;
    set_leaving_hook(save_before_leaving);
}
