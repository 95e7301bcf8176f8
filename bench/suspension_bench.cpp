// Cost of the suspension in one physics frame: the four units' force steps,
// and one world step of the whole car (chassis, four corners of hub and two
// arms, head body: 14 bodies, 16 joints) standing on four soft tyre contacts,
// the floor under every physics frame.

#include <benchmark/benchmark.h>

#include <chrono>

#include "car/contact.h"
#include "car/physics_world.h"
#include "chassis/anti_roll_bar.h"
#include "chassis/wishbone_suspension.h"

namespace {

constexpr float kDt = 0.003f;

// The car's numbers: 1150 kg sprung, front and rear springs, dampers and
// bars, tyres of 0.327 / 0.347 m on 220000 N/m carcasses, settled on level
// ground before anything is timed.
struct CarRig {
    CarRig()
    {
        dInitODE2(0);
        dAllocateODEDataForThread(dAllocateMaskAll);
        physics.create();
        chassis.attach(&physics);
        chassis.setMassBox(1150.0f, 1.2f, 0.7f, 3.4f);
        chassis.setPosition(0.0f, 0.3f, 0.0f);
        head.attach(&physics);
        head.setMassBox(15.0f, 0.5f, 0.5f, 0.5f);
        head.setPosition(0.4f, 0.8f, 0.4f);
        for (int i = 0; i < 4; ++i) {
            CWishboneSuspension& u = units[i];
            const bool front = i < 2;
            u.attachToCar(&chassis, &physics, nullptr, &parked);
            u.springRate = front ? 148000.0f : 176000.0f;
            u.dampExtension = front ? 6000.0f : 8000.0f;
            u.dampCompression = front ? 12000.0f : 14000.0f;
            u.setParam(39, 0.5235988f);
            u.setParam(43, 0.5235988f);
            u.setParam(106, 0.2f);
            u.setParam(28, 0.03f);
            u.placeCorner(WishboneLayout{}, i, front ? 1.137f : -1.558f);
            u.build();
        }
        frontBar.connect(&units[1], &units[0]);
        rearBar.connect(&units[3], &units[2]);
        frontBar.stiffness = 8500.0f;
        rearBar.stiffness = 7000.0f;
        for (int i = 0; i < 2000; ++i) frame();
    }
    ~CarRig()
    {
        physics.destroy();
        dCloseODE();
    }

    void contacts()
    {
        for (int i = 0; i < 4; ++i) {
            const Vector3 hub = units[i].getPosition();
            const float depth = radius[i] - hub.y;
            if (depth < 0.0f) continue;
            CContact c;
            c.setPosition({hub.x, 0.0f, hub.z});
            c.setNormal({0, 1, 0});
            c.setDepth(depth);
            c.setSoft(220000.0f, 1500.0f, kDt);
            physics.createContact(c, &units[i], nullptr);
        }
    }
    void suspension()
    {
        for (auto& u : units) u.stepForces(kDt);
        for (auto& u : units) u.recordLength(kDt);
    }
    // The driver's head on its spring to the seat, as the car does it.
    void headSpring()
    {
        const Vector3 seat = worldPoint(chassis, {0.4f, 0.5f, 0.4f});
        const Vector3 f = (head.getPosition() - seat) * 12000.0f + (head.getVelocity() - chassis.getVelocity()) * 376.0f;
        head.addForceAtLocalPos({0, 0, 0}, f * -1.0f);
    }
    void frame()
    {
        contacts();
        suspension();
        headSpring();
        physics.step(kDt);
    }
    static Vector3 worldPoint(const CRigidBody& b, const Vector3& p)
    {
        dVector3 w;
        dBodyGetRelPointPos(b.body, p.x, p.y, p.z, w);
        return Vector3{float(w[0]), float(w[1]), float(w[2])};
    }

    CPhysicsWorld physics;
    CRigidBody chassis;
    CRigidBody head;
    CWishboneSuspension units[4];
    CAntiRollBar frontBar, rearBar;
    const float radius[4] = {0.327f, 0.327f, 0.347f, 0.347f};
    int parked = 0;
};

void BM_StepForcesFourCorners(benchmark::State& state)
{
    CarRig car;
    for (auto _ : state) {
        car.suspension();
        benchmark::DoNotOptimize(car.units[0].springLength);
    }
}
BENCHMARK(BM_StepForcesFourCorners);

// One world step of the settled car with its four tyre contacts; the
// contacts and forces the step needs are made outside the timed part, so the
// figure is dWorldStep's alone.
void BM_WorldStepCar(benchmark::State& state)
{
    CarRig car;
    for (auto _ : state) {
        car.contacts();
        car.suspension();
        car.headSpring();
        const auto start = std::chrono::steady_clock::now();
        car.physics.step(kDt);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_WorldStepCar)->UseManualTime();

// The whole of it, as the frame runs it: contacts, suspension forces, head
// spring, world step.
void BM_CarPhysicsFrame(benchmark::State& state)
{
    CarRig car;
    for (auto _ : state) car.frame();
}
BENCHMARK(BM_CarPhysicsFrame);

}  // namespace
