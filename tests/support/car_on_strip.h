#pragma once
// The whole car in one process on the flat test strip (the rig of
// tests/car/whole_car_test.cpp), with a host that makes ghost cars for replay
// display and a host car object that records and restores state records.

#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "car/physics_world.h"
#include "car/solvi.h"
#include "graphics/engine.h"
#include "graphics/texture.h"
#include "host/car_run.h"
#include "host/controls.h"
#include "host/host_car.h"
#include "host/run_directory.h"
#include "host/sim_host.h"
#include "host/track.h"
#include "support/temp_dir.h"

// A host car object for the tests: a fixed pose, a state record whose first
// byte is its number in the host's list, and what was restored into it. The
// host's list entry supplies the table's unused slots.
class TestHostCar : public HostCarEntry {
public:
    TestHostCar(uint8_t number, const Vector3& position, const Vector3& forward)
        : HostCarEntry(nullptr, false), number_(number)
    {
        pose.setPosition(position);
        const Vector3 side = cross(Vector3{0, 1, 0}, forward).normalised();
        pose.at(0, 0) = side.x, pose.at(0, 1) = side.y, pose.at(0, 2) = side.z;
        pose.at(2, 0) = forward.x, pose.at(2, 1) = forward.y, pose.at(2, 2) = forward.z;
    }
    virtual ~TestHostCar() = default;

    void restoreState(const uint8_t* record) override { restored.assign(record, record + kHostCarStateBytes); }
    void fillState(uint8_t* record) override {
        std::memset(record, 0xA5, kHostCarStateBytes);
        record[0] = number_;
    }
    Vector3& getPosition(Vector3& out) override {
        out = pose.getPosition();
        return out;
    }
    bool isExcludedA() override { return excludedA; }
    bool isExcludedB() override { return excludedB; }
    const Matrix4* getPoseMatrix() override { return &pose; }

    Matrix4 pose;
    bool excludedA = true, excludedB = false;  // not collided with unless a test says so
    std::vector<uint8_t> restored;

private:
    uint8_t number_;
};

// A ghost car: where playback put it; it deletes itself when released.
class TestGhost : public TestHostCar {
public:
    explicit TestGhost(int* live) : TestHostCar(0, {0, 0, 0}, {0, 0, 1}), live_(live) { ++*live_; }
    ~TestGhost() override { --*live_; }
    void release() override { delete this; }
    void placeGhost(float x, float z, float a, float b) override {
        placedX = x, placedZ = z, valueA = a, valueB = b;
    }
    float placedX = 0, placedZ = 0, valueA = -1, valueB = -1;

private:
    int* live_;
};

class GhostingHost : public SimHost {
public:
    using SimHost::SimHost;
    IHostCar* createGhostCar() override {
        auto* ghost = new TestGhost(&liveGhosts);
        made.push_back(ghost);
        return ghost;
    }
    int liveGhosts = 0;
    std::vector<TestGhost*> made;  // every ghost made, live or not: read only the live ones
};

class CarOnStripFixture : public ::testing::Test {
protected:
    void SetUp() override {
        RunDirectory run;
        ASSERT_TRUE(run.prepare(dir.path().string(), SOLVI_DATA_DIR)) << run.error;
        work = std::make_unique<WorkIn>(dir.path());
        track.makeStrip(3000.0f, 60.0f);
        world.create();
        car = std::make_unique<CSolvi>();
        testing::internal::CaptureStdout();
        car->init(&engine, &world, &track, &host);
        car->reset(track.centreAt(40.0f), track.tangentAt(40.0f));
        testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        testing::internal::CaptureStdout();
        car.reset();
        testing::internal::GetCapturedStdout();
    }

    // A new car in place of the fixture's, built on the engine as it is now:
    // after a device is set, the car's buffers and textures go onto it
    // (textures loaded before there was a device are loaded again).
    void rebuildCarOnDevice() {
        testing::internal::CaptureStdout();
        car.reset();
        for (RTexture* t : engine.textures) delete t;
        engine.textures.clear();
        car = std::make_unique<CSolvi>();
        car->init(&engine, &world, &track, &host);
        car->reset(track.centreAt(40.0f), track.tangentAt(40.0f));
        testing::internal::GetCapturedStdout();
    }

    // One physics frame of 3 ms with the given inputs.
    void step(const DriverInputs& inputs = {}) {
        controls.inputs = inputs;
        car->setControls(&controls);
        car->stepPhysics(kDt);
        world.step(kDt);
        car->syncFrames();
    }
    void drive(float seconds, const DriverInputs& inputs = {}) {
        const int steps = static_cast<int>(seconds / kDt + 0.5f);
        for (int i = 0; i < steps; ++i) step(inputs);
    }

    static constexpr float kDt = 0.003f;
    TempDir dir;
    std::unique_ptr<WorkIn> work;
    PhysicsLibrary physics;
    Track track;
    CPhysicsWorld world;
    REngine engine;
    GhostingHost host{std::tmpfile()};
    HostControls controls;
    std::unique_ptr<CSolvi> car;
};
