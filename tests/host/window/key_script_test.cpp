// The window's key file: good lines become timed key events with SDL's key
// codes; a bad line is refused with the file, its line number and why.

#include "host/window/key_script.h"

#include <fstream>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

TEST(KeyScript, ReadsTimedKeysAndNamesTheFirstBadLine)
{
    TempDir dir;
    const std::string good = (dir / "good.txt").string();
    std::ofstream(good) << "# warm up\n\n3.2 E down\n3.3 E up   # one press\n3.4 Up down\n9 Left Shift down\n"
                           "13.5 a up\n";
    KeyScript keys;
    std::string error;
    ASSERT_TRUE(keys.load(good, error)) << error;
    const struct {
        double time;
        SDL_Keycode key;
        bool down;
    } expected[] = {{3.2, SDLK_e, true}, {3.3, SDLK_e, false}, {3.4, SDLK_UP, true},
                    {9, SDLK_LSHIFT, true}, {13.5, SDLK_a, false}};
    ASSERT_EQ(keys.events().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_DOUBLE_EQ(keys.events()[i].time, expected[i].time) << i;
        EXPECT_EQ(keys.events()[i].key, expected[i].key) << i;
        EXPECT_EQ(keys.events()[i].down, expected[i].down) << i;
    }

    const struct {
        const char* line;
        const char* reason;
    } bad[] = {
        {"1 Up", "expected TIME KEY down|up"},
        {"soon Up down", "'soon' is not a time"},
        {"-1 Up down", "'-1' is not a time"},
        {"1 Nokey down", "'Nokey' is not a key name"},
        {"1 Up pressed", "'pressed' is neither down nor up"},
        {"0.5 Up down", "the times must not go back"},
    };
    for (const auto& b : bad) {
        const std::string path = (dir / "bad.txt").string();
        std::ofstream(path) << "# first\n1 Up up\n" << b.line << "\n";
        KeyScript script;
        ASSERT_FALSE(script.load(path, error)) << b.line;
        EXPECT_EQ(error.rfind(path + ":3: ", 0), 0u) << error;
        EXPECT_NE(error.find(b.reason), std::string::npos) << error;
    }
}
