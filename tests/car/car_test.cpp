// The concrete car through its host interface, inside one process: what it
// keeps from init, what it answers before it has moved, and what the host
// names through the text slots.

#include <fstream>
#include <vector>

#include <gtest/gtest.h>

#include "car/solvi.h"
#include "car/track.h"
#include "host/sim_host.h"
#include "support/temp_dir.h"

namespace {

class FlatTrack : public ITrack {
public:
    void unusedSlot0() override {}
    // Every ground query is kept; the ground is flat at 2 m.
    const TrackSurface* queryGround(const Vector3& from, Vector3& hit, Vector3&, const TrackSurface* previous,
                                    const SurfaceInfo**, GroundQueryCache* cache, int) override
    {
        queries.push_back({from, previous, cache});
        hit = {from.x, 2.0f, from.z};
        return ground;
    }
    const WallRecord* queryWall(ICar*) override { return nullptr; }
    float trackValue() override { return 42.5f; }
    void unusedSlot4() override {}
    bool isFinishLine(const TrackSurface*) override { return false; }
    bool isIntermediateLine(const TrackSurface*) override { return false; }

    struct Query { Vector3 from; const TrackSurface* previous; GroundQueryCache* cache; };
    std::vector<Query> queries;
    // Any address will do: the car only compares surfaces and hands them back.
    const TrackSurface* ground = reinterpret_cast<const TrackSurface*>(&queries);
};

class CarTest : public ::testing::Test {
protected:
    TempDir dir;
    WorkIn work{dir.path()};
    CSolvi car;
    ICar& iface = car;
    SimHost host;
    FlatTrack track;
};

}  // namespace

TEST_F(CarTest, InitKeepsTheHostsSecondBaseAndTheTrackValue) {
    iface.init(nullptr, nullptr, &track, &host);
    EXPECT_EQ(car.simHost, static_cast<ISimHost*>(&host));  // one pointer past the object
    EXPECT_EQ(static_cast<void*>(car.shiftListener), static_cast<void*>(&host));
    host.debug = true;
    EXPECT_TRUE(car.simHost->debugFlag());
    EXPECT_EQ(car.track, &track);
    EXPECT_FLOAT_EQ(car.trackValue, 42.5f);
}

// Reset places the car with a ground query from 1000 m up, handing the track
// the car's own query cache and the surface that the query before found.
TEST_F(CarTest, ResetHandsTheTrackItsQueryCacheAndThePreviousSurface) {
    iface.init(nullptr, nullptr, &track, &host);
    iface.reset({3, 0, 4}, {0, 0, 1});
    iface.reset({5, 0, 6}, {1, 0, 0});
    ASSERT_EQ(track.queries.size(), 2u);
    const FlatTrack::Query &first = track.queries[0], &second = track.queries[1];
    EXPECT_EQ(std::vector<float>({first.from.x, first.from.y, first.from.z}), std::vector<float>({3, 1000, 4}));
    EXPECT_EQ(first.previous, nullptr);
    EXPECT_NE(first.cache, nullptr);
    EXPECT_EQ(second.previous, track.ground);
    EXPECT_EQ(second.cache, first.cache);
}

TEST_F(CarTest, SetupNamedBeforeInitIsLoadedByInit) {
    std::filesystem::create_directories("setups");
    {
        std::ofstream file("setups/wet", std::ios::binary);
        const int32_t version = 666;
        const float bias = 61.5f;
        file.write(reinterpret_cast<const char*>(&version), 4);
        file.write(reinterpret_cast<const char*>(&bias), 4);
        // Every other field 1 (as a float): a record the car can use.
        const float one = 1.0f;
        for (int i = 0; i < 46; ++i) file.write(reinterpret_cast<const char*>(&one), 4);
    }
    iface.setTextC("wet");
    iface.init(nullptr, nullptr, &track, &host);
    EXPECT_FLOAT_EQ(car.setupStore.brakeBiasPercent, 61.5f);
}

// The name, constant and availability are called through the binary
// interface in the plug-in tests.
TEST_F(CarTest, AnswersBeforeItHasMovedKeepsTheDriverAndClearsWheelEvents) {
    EXPECT_EQ(iface.getBody(), static_cast<CRigidBody*>(&car));
    EXPECT_EQ(iface.getMatrix(), &car.matrix);
    EXPECT_EQ(iface.getLapTimer(), &car.lapTimer);
    EXPECT_FLOAT_EQ(iface.getMaxWheelSpeedOnSurface(1), -1.0f);  // no wheel on gravel
    car.wheels[2].surfaceKind = 3;
    car.wheels[2].angularSpeed = -30.0f;
    car.wheels[3].surfaceKind = 3;
    car.wheels[3].angularSpeed = 12.0f;
    EXPECT_FLOAT_EQ(iface.getMaxWheelSpeedOnSurface(3), 30.0f);

    car.odometer = 999.9;
    EXPECT_EQ(iface.getOdometerKm(), 0);
    car.odometer = 1000.0;
    EXPECT_EQ(iface.getOdometerKm(), 1);

    car.msSinceReset = 2500;
    iface.resetInputDelay();
    EXPECT_EQ(car.msSinceReset, 0);

    DriverRecord driver{"Ana"};
    iface.setDriver(&driver);
    driver.name = "changed later";
    EXPECT_EQ(iface.getDriver(), &driver);
    EXPECT_EQ(car.driverName, "Ana");

    car.wheelEventFlags = {true, false, true, false};
    EXPECT_EQ(iface.getWheelEvent(2, true), 1);
    iface.clearWheelEvents();
    EXPECT_EQ(iface.getWheelEvent(2, true), 0);
}

TEST_F(CarTest, TheBaseCarIsNotAvailable) {
    CCar base;
    EXPECT_FALSE(static_cast<ICar&>(base).isAvailable());
    EXPECT_FLOAT_EQ(static_cast<ICar&>(base).getConstant(), 0.0f);
}
