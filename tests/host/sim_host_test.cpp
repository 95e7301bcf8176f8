// The host's simulation object: its named flags, car list, messages, laps and
// shifts (the car reaching it one pointer past the object: car_test).

#include <gtest/gtest.h>

#include "host/sim_host.h"

TEST(SimHost, NamedFlagsCarListMessagesLapsAndShifts) {
    std::FILE* sink = std::tmpfile();
    SimHost host(sink);
    IHostFlag* engineCurve = host.flag("LOADENGINECURVE");
    ASSERT_NE(engineCurve, nullptr);
    EXPECT_FALSE(engineCurve->isSet());
    EXPECT_EQ(host.flag("LOADENGINECURVE"), engineCurve);

    host.setFlag("LOADENGINECURVE");
    EXPECT_TRUE(engineCurve->isSet());  // a flag the car already holds sees the change
    EXPECT_FALSE(host.flag("OTHER")->isSet());

    EXPECT_EQ(host.carByNumber(0), nullptr);
    EXPECT_EQ(host.carByNumber(-1), nullptr);
    EXPECT_EQ(host.cars(), &host.carList);

    host.showMessage("ABS OFF");
    host.lapCompleted(92345);
    EXPECT_EQ(host.messages, std::vector<std::string>{"ABS OFF"});
    EXPECT_EQ(host.lapTimesMs, std::vector<unsigned>{92345});

    std::rewind(sink);
    char text[128] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, sink);
    EXPECT_EQ(std::string(text, n), "car: ABS OFF\nlap 1: 1:32.345\n");
    std::fclose(sink);

    IShiftListener* listener = &host;
    listener->shiftStarted();
    listener->shiftFinished();
    EXPECT_EQ(host.shiftsStarted, 1);
    EXPECT_EQ(host.shiftsFinished, 1);
}

