// The loop fixture in a temporary working folder with a small library,
// for tests whose keys reach the browsers and the flows.
#pragma once

#include <filesystem>

#include "tests/shell/loop_fixture.h"
#include "tests/support/images.h"
#include "tests/support/jigsaw_files.h"
#include "tests/support/temp_folder.h"

// The loop in a temporary working folder with a small library (the
// reserved jigsaw, "alpha" and "beta", one piece each) and one saved game
// ("alpha"), so that the browsers and the flows reached by the keys work
// on real folders and no listing fails.
struct LibraryLoop : LoopFixture {
    support::TempFolder temp{"tessellon-loop"};  // the working folder

    void SetUp() override {
        LoopFixture::SetUp();
        ASSERT_TRUE(temp.enter());
        std::filesystem::create_directories("players/default");
        for (const char* name : {"0000bexil", "alpha", "beta"}) make_jigsaw(name);
        ASSERT_TRUE(support::write_solid_png("players/default/alpha.png", 264, 198, COLOUR));
        player_dir = "players/default/";
        jigsaw_page = saved_page = 0;
        list_clear(jigsaw_list);
        list_clear(saved_list);
    }
    void TearDown() override {
        for (TList<tn3_type>* list : {jigsaw_list, saved_list}) {
            for (tn3_type& entry : *list)
                if (entry.img) free_image(entry.img);
            list_clear(list);
        }
        jigsaw_page = saved_page = 0;
        player_dir.clear();
        if (!temp.leave()) ADD_FAILURE() << "could not go back";
        LoopFixture::TearDown();
    }
    static constexpr uint32_t COLOUR = 0xFF3060A0;  // of every piece, picture and thumbnail
    // One 40x40 piece at home in the middle of the board, an 80x60 picture.
    static void make_jigsaw(const std::string& name) {
        support::JigsawFiles jigsaw;
        jigsaw.homes = {400, 300};
        jigsaw.piece_argb = jigsaw.picture_argb = COLOUR;
        ASSERT_TRUE(support::write_jigsaw("jigsaws/" + name, jigsaw));
    }
};
