// vqsim drive --window as a user runs it, on a display: key presses from a
// key file go through the window's event queue, hold the throttle and steer
// left, and the car drives off and turns; a letter reaches the car's own
// keys. Without a display it runs itself under xvfb-run.

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/track.h"
#include "host/window/sdl_window.h"
#include "support/run_vqsim.h"
#include "support/temp_dir.h"

namespace {
// The rows of a CSV file as numbers, with the header's column names.
struct Csv {
    std::vector<std::string> names;
    std::vector<std::vector<double>> rows;
    size_t column(const std::string& name) const
    {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return i;
        return names.size();
    }
};

Csv readCsv(const std::filesystem::path& path)
{
    Csv csv;
    std::ifstream in(path);
    std::string line, cell;
    for (bool header = true; std::getline(in, line); header = false) {
        std::stringstream cells(line);
        std::vector<double> row;
        while (std::getline(cells, cell, ',')) {
            if (header) csv.names.push_back(cell);
            else row.push_back(std::atof(cell.c_str()));
        }
        if (!header) csv.rows.push_back(row);
    }
    return csv;
}
}  // namespace

TEST(WindowDrive, KeyPressesInTheWindowsQueueDriveTheCar)
{
    // The command runs through the shell, so a launcher can go in front.
    std::string launcher;
    if (!displayAvailable()) {
        if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "no display and no xvfb-run: no window can be made here";
        launcher = "xvfb-run -a -s '-screen 0 640x480x24'";
    }
    TempDir dir;
    // The car ignores its controls for 3 s after the start.
    std::ofstream(dir / "keys.txt") << "3.1 E down\n3.2 E up\n3.3 Up down\n6 Left down\n6.2 Left up\n"
                                       "8.5 A down\n8.6 A up\n";
    const VqsimResult r = runVqsim("drive --window --track strip --seconds 9 --size 320x240 --keys " +
                                       (dir / "keys.txt").string() + " --run-dir " + (dir / "run").string() +
                                       " --data " SOLVI_DATA_DIR,
                                   launcher);
    if (r.exitCode == 1 && contains(r.output, "vqsim: no window:")) GTEST_SKIP() << r.output;
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(contains(r.output, "driving 9 s with the keyboard")) << r.output;
    EXPECT_TRUE(contains(r.output, "ABS: ON")) << r.output;

    const Csv csv = readCsv(dir / "run/telemetry.csv");
    ASSERT_EQ(csv.rows.size(), 9u * 30 + 1);
    const size_t x = csv.column("x_m"), z = csv.column("z_m"), speed = csv.column("speed_kmh"),
                 steering = csv.column("steering");
    ASSERT_LT(steering, csv.names.size());
    double fastest = 0, mostLeft = 0;
    for (const std::vector<double>& row : csv.rows) {
        fastest = std::max(fastest, row[speed]);
        mostLeft = std::min(mostLeft, row[steering]);
    }
    EXPECT_GT(fastest, 20.0);    // km/h, off in first gear
    EXPECT_LT(mostLeft, -0.3);   // the Left key steered
    // The strip is straight where the car starts: the turn shows as a move
    // to the left of its centre line (+ is left).
    Track strip;
    strip.makeStrip(3000.0f, 60.0f);
    const auto lateral = [&](const std::vector<double>& row) {
        return strip.place(static_cast<float>(row[x]), static_cast<float>(row[z])).lateral;
    };
    EXPECT_GT(lateral(csv.rows.back()) - lateral(csv.rows.front()), 1.0f);
}
