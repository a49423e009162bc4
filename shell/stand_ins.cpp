// Stand-ins: empty bodies for the operations and the globals of screens
// and flows that are not built yet, so that the main loop and its tests
// link. Later work replaces each one by moving it into its own file;
// delete the stand-in here in the same change. Each stand-in counts its
// calls, so tests can see that the loop reached it.
#include <vector>

#include "library/library.h"
#include "play/play.h"
#include "screens/screens.h"
#include "shell/shell.h"

// ===========================================================================
// Call counting
// ===========================================================================

struct stand_in_count {
    std::string name;
    int calls;
};
static std::vector<stand_in_count> stand_in_counts;  // one entry per stand-in called so far

[[maybe_unused]] static void note_call(const char* name) {
    for (stand_in_count& entry : stand_in_counts) {
        if (entry.name == name) {
            entry.calls++;
            return;
        }
    }
    stand_in_counts.push_back({name, 1});
}

int stand_in_calls(const std::string& name) {
    for (const stand_in_count& entry : stand_in_counts)
        if (entry.name == name) return entry.calls;
    return 0;
}

void reset_stand_in_calls() { stand_in_counts.clear(); }
