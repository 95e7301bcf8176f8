// The replay: its file byte for byte, a save and load round trip, the lap
// times a loaded replay fills in, damaged files, playback control and its
// wrapping, and the whole car recording and showing frames on the strip.

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "car/replay.h"
#include "chassis/suspension.h"
#include "support/car_on_strip.h"
#include "support/temp_dir.h"

namespace {

using ReplayOnStrip = CarOnStripFixture;

using Bytes = std::vector<uint8_t>;

uint32_t u32At(const Bytes& b, size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

float floatAt(const Bytes& b, size_t at) {
    const uint32_t v = u32At(b, at);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

// A frame whose every field differs, so that a field written in the wrong
// place shows up. `seed` varies the values from frame to frame.
std::unique_ptr<CReplayFrame> sampleFrame(int seed, int others, bool lapTimes) {
    auto f = std::make_unique<CReplayFrame>();
    const float s = static_cast<float>(seed);
    f->carPosition = {1 + s, 2 + s, 3 + s};
    f->carForward = {0, 0, 1};
    f->carUp = {0, 1, 0};
    for (int i = 0; i < 4; ++i)
        f->wheelPose[i] = {{10.0f * i + s, 0.3f, 20.0f * i}, {0.1f * i, 0, 1}, {0, 1, 0.01f * i}};
    for (int i = 0; i < 4; ++i) f->wheelAngle[i] = static_cast<uint8_t>(40 * i + seed);
    f->steer = static_cast<int8_t>(-100 + seed);
    f->stateValue = 200;
    f->wheelSoundFlag = true;
    f->engineSound = 128;
    f->rpmByte = 77;
    f->speedByte = static_cast<uint8_t>(30 + seed);
    f->hasLapTimes = lapTimes;
    f->lapCount = static_cast<uint8_t>(seed);
    for (int k = 0; k < others; ++k) {
        CReplayOtherCar o;
        o.x = 100.0f + k;
        o.z = -50.0f - k;
        for (int j = 0; j < 8; ++j) o.bytes[j] = static_cast<uint8_t>(16 * k + j);
        f->others.push_back(o);
    }
    if (lapTimes) {
        f->lapTimes[0] = 61234u + seed;
        f->lapTimes[1] = 95000u;
        f->lapTimes[2] = 0xFFFFFFFFu;
    }
    HostCarState state{};
    state[0] = 7;
    f->carStates.push_back(state);  // memory only
    return f;
}

// The expected bytes of a frame, spelled out field by field from the text.
Bytes expectedFrameBytes(const CReplayFrame& f) {
    Bytes b;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto flt = [&](float x) {
        uint32_t v;
        std::memcpy(&v, &x, 4);
        u32(v);
    };
    auto vec = [&](const Vector3& v) { flt(v.x), flt(v.y), flt(v.z); };
    vec(f.carPosition), vec(f.carForward), vec(f.carUp);
    for (const CReplayWheelPose& w : f.wheelPose) vec(w.position), vec(w.forward), vec(w.up);
    b.insert(b.end(), f.wheelAngle, f.wheelAngle + 4);
    for (uint8_t v : {static_cast<uint8_t>(f.steer), f.stateValue, static_cast<uint8_t>(f.wheelSoundFlag),
                      f.engineSound, f.rpmByte, f.speedByte, static_cast<uint8_t>(f.hasLapTimes), f.lapCount})
        b.push_back(v);
    b.push_back(static_cast<uint8_t>(f.others.size()));
    for (const CReplayOtherCar& o : f.others) {
        flt(o.x), flt(o.z);
        b.insert(b.end(), o.bytes, o.bytes + 8);
    }
    if (f.hasLapTimes) u32(f.lapTimes[0]), u32(f.lapTimes[1]), u32(f.lapTimes[2]);
    return b;
}

class ReplayFile : public ::testing::Test {
protected:
    void SetUp() override {
        replay.texts[0] = "Driver";
        replay.texts[1] = "solvi";
        replay.texts[2] = "valley";
        replay.texts[3] = "setup";
        replay.texts[4] = "dry";
    }
    // Loads quietly; the console lines are returned.
    std::string load(CReplay& into, const std::filesystem::path& path, bool* complete = nullptr) {
        testing::internal::CaptureStdout();
        const bool ok = into.load(path.string(), (dir / "groove.txt").string());
        if (complete) *complete = ok;
        return testing::internal::GetCapturedStdout();
    }

    TempDir dir;
    CReplay replay;
};

}  // namespace

TEST_F(ReplayFile, HeaderAndFramesAreWrittenByteForByte) {
    replay.append(sampleFrame(1, 0, false));  // 192 + 1
    replay.append(sampleFrame(2, 2, true));   // 192 + 1 + 2 · 16 + 12
    replay.append(sampleFrame(3, 1, false));  // 192 + 1 + 16
    ASSERT_TRUE(replay.save((dir / "cr").string()));
    const Bytes file = fileBytes(dir / "cr");
    ASSERT_EQ(file.size(), 372u + 193u + 237u + 209u);

    // Header: texts in zero-filled fields, then 1, 30, the count and 0.
    Bytes header(372, 0);
    std::memcpy(header.data(), "Driver[solvi]", 13);
    std::memcpy(header.data() + 128, "valley", 6);
    std::memcpy(header.data() + 256, "setup", 5);
    std::memcpy(header.data() + 306, "dry", 3);
    const uint8_t ints[16] = {1, 0, 0, 0, 30, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0};
    std::memcpy(header.data() + 356, ints, 16);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 372), header);

    // Frames: the fixed 192 bytes in table order, the record count, the
    // records and the lap times only where the frame has them.
    size_t at = 372;
    for (const auto& frame : replay.frames) {
        const Bytes expected = expectedFrameBytes(*frame);
        ASSERT_LE(at + expected.size(), file.size());
        EXPECT_EQ(Bytes(file.begin() + at, file.begin() + at + expected.size()), expected);
        at += expected.size();
    }
    EXPECT_EQ(at, file.size());

    // Spot checks against the offsets the text gives, independent of the
    // expected-bytes helper.
    EXPECT_EQ(static_cast<int8_t>(file[372 + 184]), -99);    // steer
    EXPECT_EQ(file[372 + 193 + 192], 2);                     // two records
    EXPECT_FLOAT_EQ(floatAt(file, 372 + 193 + 197), -50.0f); // first record z
    EXPECT_EQ(u32At(file, 372 + 193 + 193 + 40), 0xFFFFFFFFu);  // bestLapMs
}

// Texts are cut to fit their fields with their zero; more than 255 other
// cars to the 255 a frame's count can say.
TEST_F(ReplayFile, TextsAndOtherCarsAreCutToFit) {
    const auto f = sampleFrame(0, 300, false);
    Bytes out;
    f->write(out);
    EXPECT_EQ(out[192], 255);
    EXPECT_EQ(out.size(), 193u + 255u * 16u);
    EXPECT_EQ(f->fileBytes(), out.size());
    replay.texts[0] = std::string(100, 'a');
    replay.texts[1] = std::string(100, 'b');
    replay.texts[2] = std::string(200, 'c');
    replay.texts[3] = std::string(60, 'd');
    replay.texts[4] = std::string(49, 'e');
    const Bytes h = replay.header(0);
    ASSERT_EQ(h.size(), 372u);
    EXPECT_EQ(u32At(h, 364), 0u);  // no frames counted
    const std::string name(reinterpret_cast<const char*>(h.data()));
    EXPECT_EQ(name, std::string(100, 'a') + "[" + std::string(26, 'b'));  // 127 characters
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(h.data() + 128)), std::string(127, 'c'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(h.data() + 256)), std::string(49, 'd'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(h.data() + 306)), std::string(49, 'e'));
    EXPECT_EQ(u32At(h, 356), 1u);
}

TEST_F(ReplayFile, SaveAndLoadGiveTheSameFramesAndTexts) {
    replay.append(sampleFrame(1, 0, true));
    replay.append(sampleFrame(2, 2, true));
    replay.append(sampleFrame(3, 5, true));
    ASSERT_TRUE(replay.save((dir / "cr").string()));

    CReplay loaded;
    bool complete = false;
    const std::string printed = load(loaded, dir / "cr", &complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(printed, "loading replay\n");
    ASSERT_EQ(loaded.frameCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(expectedFrameBytes(*loaded.frames[i]), expectedFrameBytes(*replay.frames[i]));
        EXPECT_TRUE(loaded.frames[i]->carStates.empty());  // never in the file
    }
    for (int i = 0; i < 5; ++i) EXPECT_EQ(loaded.texts[i], replay.texts[i]) << i;

    // Saving what was loaded gives the same file.
    ASSERT_TRUE(loaded.save((dir / "again").string()));
    EXPECT_EQ(fileBytes(dir / "again"), fileBytes(dir / "cr"));
}

// Loading appends to the frames already there, then fills in the lap times
// of every frame and writes the driven line, one body position a line.
TEST_F(ReplayFile, LoadingAppendsFillsInTheLapTimesAndWritesTheGroove) {
    replay.append(sampleFrame(1, 0, false));
    replay.append(sampleFrame(2, 1, false));
    auto timed = sampleFrame(3, 0, true);
    timed->lapTimes[0] = 5000;
    timed->lapTimes[1] = 61000;
    timed->lapTimes[2] = 60000;
    replay.append(std::move(timed));
    replay.append(sampleFrame(4, 0, false));
    ASSERT_TRUE(replay.save((dir / "cr").string()));

    CReplay loaded;
    loaded.append(sampleFrame(9, 0, false));
    load(loaded, dir / "cr");
    ASSERT_EQ(loaded.frameCount(), 5);
    const uint32_t none = CLapTimer::kNoTime;
    const uint32_t expected[5][3] = {
        {0, 0, none}, {33, 0, none}, {66, 0, none}, {5000, 61000, 60000}, {5033, 61000, 60000}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(loaded.frames[i]->hasLapTimes) << i;
        EXPECT_EQ(std::vector<uint32_t>(loaded.frames[i]->lapTimes, loaded.frames[i]->lapTimes + 3),
                  std::vector<uint32_t>(expected[i], expected[i] + 3))
            << i;
    }
    EXPECT_EQ(fileText(dir / "groove.txt"),
              "10.000000 11.000000 12.000000\n2.000000 3.000000 4.000000\n3.000000 4.000000 5.000000\n"
              "4.000000 5.000000 6.000000\n5.000000 6.000000 7.000000\n");
}

TEST_F(ReplayFile, DamagedFilesKeepTheWholeFramesAndSayWhatWasWrong) {
    replay.append(sampleFrame(1, 2, true));
    replay.append(sampleFrame(2, 3, false));
    ASSERT_TRUE(replay.save((dir / "cr").string()));
    const Bytes whole = fileBytes(dir / "cr");

    struct Case { const char* name; Bytes bytes; int frames; const char* message; };
    Bytes cut = whole;
    cut.resize(whole.size() - 1);  // the last frame lacks its last byte
    Bytes lapTimesCut = whole;
    lapTimesCut.resize(372 + 193 + 32 + 4);  // the first frame's lap times cut short
    Bytes counted = whole;
    counted[364] = 0xFF, counted[365] = 0xFF, counted[366] = 0xFF, counted[367] = 0x7F;  // 2^31 - 1 frames
    Bytes negative = whole;
    negative[367] = 0x80;
    Bytes extra = whole;
    extra.push_back(0);
    Bytes version = whole;
    version[356] = 2;
    const std::vector<Case> cases = {
        {"empty", {}, 0, "too short for a replay header"},
        {"short header", Bytes(whole.begin(), whole.begin() + 371), 0, "too short for a replay header"},
        {"last frame cut", cut, 1, "ends after 1 of its 2 frames"},
        {"lap times cut", lapTimesCut, 0, "ends after 0 of its 2 frames"},
        {"count beyond the file", counted, 2, "ends after 2 of its 2147483647 frames"},
        {"negative count", negative, 0, "counts -2147483646 frames"},
        {"bytes after the frames", extra, 2, "has bytes after its 2 frames"},
        {"other version", version, 2, "has version 2 at 30 frames per second"},
    };
    for (const Case& c : cases) {
        writeFile(dir / "bad", c.bytes);
        CReplay loaded;
        const std::string printed = load(loaded, dir / "bad");
        EXPECT_EQ(loaded.frameCount(), c.frames) << c.name;
        EXPECT_EQ(printed.rfind("loading replay\n", 0), 0u) << c.name;
        EXPECT_NE(printed.find(c.message), std::string::npos) << c.name << ": " << printed;
    }

    CReplay missing;
    bool complete = true;
    const std::string printed = load(missing, dir / "no such file", &complete);
    EXPECT_FALSE(complete);
    EXPECT_NE(printed.find("cannot open"), std::string::npos);
}

TEST(ReplayControl, MovesByTenAndByOneAndWraps) {
    CReplay replay;
    // No frames: every command stays at 0.
    for (int command : {2, 3, 0}) EXPECT_EQ(replay.control(command), 0) << command;

    for (int i = 0; i < 25; ++i) replay.append(std::make_unique<CReplayFrame>());
    EXPECT_EQ(replay.control(2), 10);
    EXPECT_EQ(replay.control(2), 20);
    EXPECT_EQ(replay.control(2), 0);   // 30 is past the last frame (24)
    EXPECT_EQ(replay.control(3), 23);  // below 0: number of frames - 2
    EXPECT_EQ(replay.control(3), 13);
    EXPECT_EQ(replay.control(3), 3);
    EXPECT_EQ(replay.control(3), 23);
    EXPECT_EQ(replay.control(0), 24);
    EXPECT_EQ(replay.control(0), 0);   // past the last frame
    EXPECT_EQ(replay.control(0), 1);
    EXPECT_EQ(replay.control(7), 1);   // not a command

    CReplay one;
    one.append(std::make_unique<CReplayFrame>());
    EXPECT_EQ(one.control(3), 0);  // fewer than two frames
    EXPECT_EQ(one.control(0), 0);
    EXPECT_EQ(one.control(2), 0);
}

// ---------------------------------------------------------------------------
// The whole car

TEST_F(ReplayOnStrip, FrameHoldsTheCarTheOtherCarsTheHostCarStatesAndLapTimes) {
    TestHostCar listed(0, {5, 0, 5}, {0, 0, 1});
    host.carList.push_back(&listed);
    TestHostCar ahead(1, {3.0f, 1.5f, 80.0f}, Vector3{1, 0, 1}.normalised());  // heading 45 degrees
    HostCarList others{&ahead};
    car->setOtherCars(&others);
    drive(0.5f);
    car->wheels[1].rotationAngle = 3.14159265f;  // half a turn

    CReplayFrame f;
    car->recordReplayFrame(f);
    EXPECT_FLOAT_EQ(f.carPosition.x, car->matrix.getPosition().x);
    EXPECT_FLOAT_EQ(f.carUp.y, car->matrix.yAxis().y);
    const Matrix4 wheel2 = car->wheelFrames[2]->getWorldMatrix();
    EXPECT_FLOAT_EQ(f.wheelPose[2].position.z, wheel2.getPosition().z);
    EXPECT_FLOAT_EQ(f.wheelPose[2].forward.x, wheel2.zAxis().x);
    EXPECT_EQ(f.wheelAngle[1], 128);  // half a turn · 256
    EXPECT_EQ(f.speedByte, static_cast<uint8_t>(car->speed * 0.5f));
    EXPECT_EQ(f.rpmByte, static_cast<uint8_t>(car->carEngine.rpm * 0.00005f * 255.0f));

    ASSERT_EQ(f.others.size(), 1u);
    EXPECT_FLOAT_EQ(f.others[0].x, 3.0f);
    EXPECT_FLOAT_EQ(f.others[0].z, 80.0f);
    EXPECT_EQ(f.others[0].bytes[0], 63);  // 1.5 m of 6
    EXPECT_EQ(f.others[0].bytes[1], 31);  // an eighth of a turn

    ASSERT_EQ(f.carStates.size(), 1u);
    EXPECT_EQ(f.carStates[0][0], 0);  // the host car's number
    EXPECT_EQ(f.carStates[0][191], 0xA5);
    host.carList.clear();
    car->setOtherCars(nullptr);
    // Lap times go into a frame every ten seconds and on a new lap.
    auto timedFrames = [&](int from) {
        int n = 0;
        for (int i = from; i < car->replay.frameCount(); ++i) n += car->replay.frames[i]->hasLapTimes;
        return n;
    };
    drive(10.5f);  // the 10 s clock runs out at least once, and seldom
    EXPECT_GE(timedFrames(0), 1);
    EXPECT_LE(timedFrames(0), 2);

    const int lapFrom = car->replay.frameCount();
    car->lapTimer.lapCount += 1;  // a lap completed
    car->lapTimer.lastLapMs = 83456;
    drive(0.05f);
    ASSERT_GT(car->replay.frameCount(), lapFrom);
    const CReplayFrame& next = *car->replay.frames[lapFrom];
    EXPECT_TRUE(next.hasLapTimes);
    EXPECT_EQ(next.lapTimes[1], 83456u);
    EXPECT_EQ(next.lapCount, static_cast<uint8_t>(car->lapTimer.lapCount));
    drive(0.3f);
    EXPECT_EQ(timedFrames(lapFrom + 1), 0);  // the lap is remembered and the 10 s clock restarted
}

TEST_F(ReplayOnStrip, ShowingAFrameDrivesWhatTheHostSeesUntilTheViewIsLeft) {
    TestHostCar listed(0, {5, 0, 5}, {0, 0, 1});
    host.carList.push_back(&listed);

    // Two frames by hand: the car elsewhere on the strip, two other cars.
    for (int k = 0; k < 2; ++k) {
        auto f = std::make_unique<CReplayFrame>();
        f->carPosition = {0.5f, 0.3f, 200.0f + k};
        f->carForward = {0, 0, 1};
        f->carUp = {0, 1, 0};
        for (int i = 0; i < 4; ++i)
            f->wheelPose[i] = {{i % 2 ? -0.8f : 0.8f, 0.29f, 200.0f + k + (i < 2 ? 1.3f : -1.4f)}, {0, 0, 1}, {0, 1, 0}};
        f->wheelAngle[0] = 64;  // a quarter turn
        f->steer = -40;
        f->stateValue = 255;
        f->wheelSoundFlag = true;
        f->engineSound = 51;
        f->rpmByte = 51;  // 51 / 255 / 0.00005 = 4000 rpm
        f->speedByte = 15;
        f->lapCount = 3;
        f->hasLapTimes = k == 0;
        f->lapTimes[0] = 1000, f->lapTimes[1] = 70000, f->lapTimes[2] = 69000;
        f->others = {CReplayOtherCar{10.0f, 20.0f, {255, 51}}, CReplayOtherCar{-1.0f, -2.0f, {0, 0}}};
        if (k == 1) f->others.pop_back();
        HostCarState state{};
        state[0] = 0;  // the listed car
        state[5] = static_cast<uint8_t>(k + 1);
        f->carStates.push_back(state);
        car->replay.append(std::move(f));
    }
    const int first = car->replay.frameCount() - 2;
    car->replay.displayIndex = first - 1;  // the next command 0 shows `first`

    ASSERT_EQ(car->replayControl(0), first);
    ICar& iface = *car;
    EXPECT_TRUE(car->replayViewFlag);
    EXPECT_FLOAT_EQ(iface.getSpeed(), 30.0f);
    EXPECT_EQ(iface.getRpm(), 4000);
    EXPECT_FLOAT_EQ(car->steering.steeringWheelAngle, -40.0f);
    EXPECT_FLOAT_EQ(iface.getMatrix()->getPosition().z, 200.0f);
    EXPECT_FLOAT_EQ(iface.getEngineSoundLevel(), 0.2f);
    EXPECT_FLOAT_EQ(iface.getStateValue(0), 1.0f);
    EXPECT_FLOAT_EQ(iface.getWheelSoundValue(2), 28000.0f);
    // The wheel frames sit where the frame put them, the wheel turned a
    // quarter turn about its axle, the ground found below with no contact.
    for (int i = 0; i < 4; ++i) {
        const Vector3 p = car->wheelFrames[i]->getWorldPosition();
        EXPECT_NEAR(p.z, 200.0f + (i < 2 ? 1.3f : -1.4f), 1e-4f) << i;
        EXPECT_NEAR(p.x, i % 2 ? -0.8f : 0.8f, 1e-4f) << i;
        EXPECT_FALSE(car->wheels[i].inContact) << i;
        EXPECT_NEAR(car->suspension[i]->contactPoint.z, p.z, 1e-3f) << i;
        EXPECT_NEAR(car->suspension[i]->contactPoint.y, 0.0f, 1e-4f) << i;
    }
    EXPECT_NEAR(std::fabs(car->wheels[0].matrix.yAxis().z), 1.0f, 1e-5f);
    // The replay's lap timer, with the lap times of the frame.
    CLapTimer* timer = iface.getLapTimer();
    ASSERT_EQ(timer, &car->replay.lapTimer);
    EXPECT_EQ(timer->currentMs, 1000u);
    EXPECT_EQ(timer->lastLapMs, 70000u);
    EXPECT_EQ(timer->bestLapMs, 69000u);
    EXPECT_EQ(timer->lapCount, 3u);
    // Ghosts for the other cars, and the host car's state handed back.
    ASSERT_EQ(host.liveGhosts, 2);
    const TestGhost* ghost = host.made[host.made.size() - 2];
    EXPECT_FLOAT_EQ(ghost->placedX, 10.0f);
    EXPECT_FLOAT_EQ(ghost->placedZ, 20.0f);
    EXPECT_FLOAT_EQ(ghost->valueA, 6.0f);
    EXPECT_FLOAT_EQ(ghost->valueB, 0.2f);
    ASSERT_EQ(listed.restored.size(), 192u);
    EXPECT_EQ(listed.restored[5], 1);

    // The next frame: no lap times, so the replay's clock runs on by 33 ms;
    // the previous ghosts are gone.
    ASSERT_EQ(car->replayControl(0), first + 1);
    EXPECT_EQ(iface.getLapTimer()->currentMs, 1033u);
    EXPECT_EQ(host.liveGhosts, 1);
    EXPECT_EQ(listed.restored[5], 2);

    // Leaving the view gives the host the physics back.
    const Vector3 body = car->getPosition();
    iface.leaveReplayView();
    EXPECT_FALSE(car->replayViewFlag);
    EXPECT_EQ(iface.getLapTimer(), &car->lapTimer);
    EXPECT_FLOAT_EQ(iface.getMatrix()->getPosition().z, body.z);

    // And a physics step clears the view too.
    car->replayControl(0);
    EXPECT_TRUE(car->replayViewFlag);
    step();
    EXPECT_FALSE(car->replayViewFlag);
    host.carList.clear();
}

TEST_F(ReplayOnStrip, WheelSoundRisesWithTheSkidAndAudibleSkidsAreFlagged) {
    CWheel& w = car->wheels[0];
    struct Case { float slip, skid, expected; };
    for (const Case& c : {Case{0.5f, 0.0f, 0.0f}, Case{0.97f, 0.0f, 0.0f}, Case{0.98f, 0.0f, 16500.0f},
                          Case{-0.98f, 0.0f, 16500.0f}, Case{0.0f, 0.5f, 22250.0f}, Case{0.0f, 3.0f, 28000.0f}}) {
        w.slipRatio = c.slip;
        w.skidLevel = c.skid;
        EXPECT_FLOAT_EQ(car->getWheelSoundValue(0), c.expected) << c.slip << " " << c.skid;
        CReplayFrame f;
        car->recordReplayFrame(f);
        EXPECT_EQ(f.wheelSoundFlag, c.expected > 17000.0f) << c.slip << " " << c.skid;
    }
    EXPECT_FLOAT_EQ(car->getWheelSoundValue(4), 0.0f);
    EXPECT_FLOAT_EQ(car->getWheelSoundValue(-1), 0.0f);
}
