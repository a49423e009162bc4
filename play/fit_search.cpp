// The search behind key V on the board: which pieces would fit a group.
// A group's fitting pieces are the grid neighbours of its members that
// are not members themselves; those lying shown on the board are listed,
// those out of sight (in a box, or hidden by a visibility filter) only
// counted, and the status line says where they are. Pure table logic: it
// draws nothing and needs no display.
#include <algorithm>
#include <string>
#include <utility>

#include "play/play.h"

// Whether q belongs to the group of p (p itself when p is loose).
static bool same_group(int p, int q) {
    if (p == q) return true;
    int g = pieces[p].gp;
    return g > 0 && pieces[q].gp == g;
}

fit_search_type find_fits(int p) {
    fit_search_type found;
    if (p < 1 || p > piece_count) return found;
    std::vector<char> seen(static_cast<size_t>(piece_count) + 1, 0);
    for (int j = 1; j <= piece_count; j++) {
        if (!same_group(p, j)) continue;
        const piece_type& m = pieces[j];
        for (int q : {m.n, m.e, m.w, m.s}) {
            if (q < 1 || q > piece_count || seen[static_cast<size_t>(q)] || same_group(p, q)) continue;
            seen[static_cast<size_t>(q)] = 1;
            const piece_type& pc = pieces[q];
            if (pc.visible)
                found.shown.push_back(q);
            else if (pc.gp <= 0 && pc.box >= 1 && pc.box <= BOX_COUNT)
                found.in_box[pc.box]++;
            else
                found.filtered++;
        }
    }
    std::sort(found.shown.begin(), found.shown.end());
    return found;
}

// "2 in box 3" style parts; with `verb`, "1 is in box 3", "2 are ...".
static std::string count_part(int k, const std::string& where, bool verb) {
    std::string text = std::to_string(k);
    if (verb) text += k == 1 ? " is" : " are";
    return text + " " + where;
}

std::string fit_status_text(const fit_search_type& found) {
    std::vector<std::pair<int, std::string>> parts;  // count, where
    int hidden = 0;
    for (int b = 1; b <= BOX_COUNT; b++) {
        if (found.in_box[b] <= 0) continue;
        parts.push_back({found.in_box[b], "in box " + std::to_string(b)});
        hidden += found.in_box[b];
    }
    if (found.filtered > 0) {
        parts.push_back({found.filtered, "hidden by a filter"});
        hidden += found.filtered;
    }
    if (hidden == 0) return found.shown.empty() ? "No more pieces fit here" : "";
    // One place: "2 more are in box 3"; several: "3 more: 1 in box 2, 2 hidden by a filter".
    std::string text;
    if (parts.size() == 1) {
        text = count_part(parts[0].first, parts[0].second, true);
    } else {
        for (size_t i = 0; i < parts.size(); i++) {
            if (i > 0) text += ", ";
            text += count_part(parts[i].first, parts[i].second, false);
        }
    }
    if (found.shown.empty()) return "None on the board: " + text;
    if (parts.size() == 1) return std::to_string(hidden) + " more" + text.substr(text.find(' '));
    return std::to_string(hidden) + " more: " + text;
}
