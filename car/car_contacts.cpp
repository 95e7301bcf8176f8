#include "car/car.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "car/car_internal.h"
#include "car/contact.h"
#include "car/physics_world.h"
#include "car/profiler.h"
#include "car/sim_host.h"
#include "car/track.h"
#include "chassis/suspension.h"

using namespace car_internal;

namespace {
// One car per plug-in: these belong to the process, as the car's design has it.
int wallTestCounter = 0;  // the wall test runs every tenth step
float scrapeTimer = 0;    // s since the last scrape sound
}  // namespace

void CCar::collide()
{
    if (!body || !carBox) return;
    // Walls: every tenth step, every step while touching.
    if (++wallTestCounter >= 10) {
        wallTestCounter = 0;
        const WallRecord* wall = track ? track->queryWall(this) : nullptr;
        if (wall) {
            const Vector3 p = getPosition();
            if (wall->a * p.x + wall->b * p.y + wall->c * p.z + wall->d > 0)
                dGeomPlaneSetParams(wallPlane, wall->a, wall->b, wall->c, -wall->d);
            else
                dGeomPlaneSetParams(wallPlane, -wall->a, -wall->b, -wall->c, wall->d);
            dContactGeom geom;
            if (dCollide(carBox, wallPlane, 1, &geom, sizeof geom) > 0) {
                CContact contact;
                contact.setSoft(258000.0f, 32200.0f, 0.003f);
                contact.setDepth(static_cast<float>(geom.depth));
                contact.setNormal({static_cast<float>(geom.normal[0]), static_cast<float>(geom.normal[1]),
                                   static_cast<float>(geom.normal[2])});
                const Vector3 at{static_cast<float>(geom.pos[0]), static_cast<float>(geom.pos[1]),
                                 static_cast<float>(geom.pos[2])};
                contact.setPosition(at);
                world->createContact(contact, this, nullptr);
                wallTestCounter = 9;
                // The hit is only played and reported while the hit sound is
                // free, which spaces the reports of one long contact by the
                // wave's length instead of one per step.
                if (isHitSoundFree()) {
                    playHitSound(at, velocity, std::min(1.0f, 2.0f * static_cast<float>(geom.depth)));
                    onCollision(at, static_cast<float>(geom.depth));
                }
            }
        }
    }

    // Other cars, every step.
    if (!simHost) return;
    HostCarList* cars = simHost->cars();
    if (!cars) return;
    for (IHostCar* other : *cars) {
        if (!other || other->isExcludedA() || other->isExcludedB()) continue;
        Vector3 position;
        other->getPosition(position);
        if ((position - getPosition()).length() >= 6.0f) continue;
        const Matrix4* pose = other->getPoseMatrix();
        dMatrix3 r;
        const Vector3 x = pose->xAxis(), y = pose->yAxis();
        dRFrom2Axes(r, x.x, x.y, x.z, y.x, y.y, y.z);
        dGeomSetPosition(otherCarBox, position.x, position.y, position.z);
        dGeomSetRotation(otherCarBox, r);
        dContactGeom geom;
        const int n = dCollide(carBox, otherCarBox, 1, &geom, sizeof geom);
        if (n > 0 && geom.depth < 2.0) {
            const Vector3 at{static_cast<float>(geom.pos[0]), static_cast<float>(geom.pos[1]),
                             static_cast<float>(geom.pos[2])};
            if (isHitSoundFree()) {
                playHitSound(at, velocity, std::min(1.0f, 50.0f * static_cast<float>(geom.depth)));
                onCollision(at, 0.5f * static_cast<float>(geom.depth));
            }
            std::printf("collision %d %f\n", n, geom.depth);
            CContact contact;
            contact.setSoft(128000.0f, 42200.0f, 0.003f);
            contact.setDepth(static_cast<float>(geom.depth));
            contact.setNormal({static_cast<float>(geom.normal[0]), static_cast<float>(geom.normal[1]),
                               static_cast<float>(geom.normal[2])});
            contact.setPosition(at);
            world->createContact(contact, this, nullptr);
        }
    }
}

void CCar::groundContact(int i, float dt)
{
    CSuspension* unit = suspension[i];
    if (!unit || !track) return;
    CWheel& wheel = wheels[i];
    const Matrix4 frame = wheelFrames[i]->getWorldMatrix();
    const Vector3 up = frame.yAxis();
    const Vector3 probe = frame.getPosition() - up * wheel.radius;

    Vector3 hit, normal;
    const SurfaceInfo* info = nullptr;
    const TrackSurface* surface;
    {
        ProfileSection section(profiler, "GROUNDS");
        surface = track->queryGround(probe, hit, normal, unit->lastSurface, &info, &unit->queryCache, 0);
    }
    if (!surface) {
        std::printf("no inters\n");
        const Vector3 p = unit->getPosition();
        hit = {p.x, unit->groundHeight, p.z};
        normal = wheel.groundNormal;
    } else {
        if (i == 0 && surface != unit->lastSurface) {
            if (track->isFinishLine(surface)) {
                const bool armed = lapTimer.lapArmed;
                lapTimer.passFinishLine();
                if (armed && simHost) simHost->lapCompleted(lapTimer.lastLapMs);
            }
            if (track->isIntermediateLine(surface)) lapTimer.passIntermediate();
        }
        unit->lastSurface = surface;
        takeSurface(wheel, info);
        unit->contactPoint = hit;
    }

    if (probe.y > hit.y) {
        unit->penetration = 0;
    } else {
        unit->groundHeight = hit.y;
        unit->penetration = dot(hit - probe, normal);
        const float shift = std::clamp(wheel.camber * 0.1f * 0.0015f, -0.15f, 0.15f);
        unit->contactPoint = unit->contactPoint + frame.xAxis() * shift;
        CContact contact;
        contact.setDepth(unit->penetration);
        contact.setNormal(normal);
        contact.setPosition(unit->contactPoint);
        contact.setSoft(static_cast<float>(wheel.radialStiffness), static_cast<float>(wheel.radialDamping), dt);
        if (unit->penetration >= 0 && world) world->createContact(contact, unit, nullptr);
        wheel.groundNormal = normal;
    }
    wheel.inContact = unit->penetration >= 0;
}

void CCar::checkBottoming(float dt)
{
    bool bottomed = false;
    for (int i = 0; i < 4; ++i) {
        CSuspension* unit = suspension[i];
        if (!unit) continue;
        const float limit = i < 2 ? frontClearance : rearClearance;
        const float y = toBody(matrix, unit->contactPoint - getPosition()).y;
        if (y > limit) {
            std::printf(i < 2 ? "GROUND FRONT\n" : "GROUND REAR\n");
            wheels[i].inContact = false;
            Vector3 v = unit->getVelocity();
            v.y = 0;
            const float len = v.length();
            if (len > 0) addForceAtPos(unit->contactPoint, v * (-0.75f * wheels[i].load / len));
            bottomed = true;
        }
        clearance[i] = limit - y;
    }
    if (bottomed && scrapeTimer >= 0.5f && speed > 5.0f && soundSystem) {
        playScrapeSound(getPosition(), velocity);
        scrapeTimer = 0;
    } else {
        scrapeTimer += dt;
    }
}

void CCar::applyTyreForces(int i, float dt)
{
    CSuspension* unit = suspension[i];
    if (!unit) return;
    CWheel& wheel = wheels[i];
    const Matrix4 frame = wheelFrames[i]->getWorldMatrix();
    const Vector3 n = wheel.groundNormal;
    const Vector3 f = frame.zAxis();
    const Vector3 l = cross(f, n);
    const Vector3 t = cross(n, l);
    const Vector3 v = unit->getVelocity();
    wheel.setContactVelocity({-dot(v, l), 0, dot(v, t)});
    wheel.load = static_cast<float>(wheel.radialStiffness) * unit->penetration;
    wheel.step(dt, kAmbientTemperature, speed);
    const Vector3 w = t * wheel.forceLong - l * wheel.forceLat;
    if (parkedFrames < kParkedSteps) {
        unit->addForceAtPos(unit->contactPoint, w);
        wheel.appliedForce = w;
    }
}

void CCar::onCollision(const Vector3&, float) {}

bool CCar::isHitSoundFree() { return false; }

void CCar::playHitSound(const Vector3&, const Vector3&, float) {}

void CCar::playScrapeSound(const Vector3&, const Vector3&) {}
