#include "host/drive_session.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "car/icar.h"
#include "car/physics_world.h"
#include "graphics/engine.h"
#include "host/interrupt.h"
#include "services/lap_timer.h"

namespace fs = std::filesystem;

namespace {
// Files the car reads during init; a missing one would end the process (or
// leave the car half-built), so the host checks them first.
const char* const kCarFiles[] = {
    "cars/solvi/tyres/michelin_255_40_ZR_18.vqt",
    "cars/solvi/tyres/michelin_345_35_18.vqt",
    "cars/solvi/setup/default.vqs",
    "cars/solvi/engine/coast.vqcv",
    "cars/solvi/cfg.ini",
    "cars/solvi/solvi.ase",
    "cars/solvi/solvi_int.ase",
    "cars/solvi/skins/red/body.tga",
    "cars/solvi/texture/dial_kmh.tga",
    "cars/solvi/texture/dial_rpm.tga",
    "cars/solvi/texture/glass.tga",
    "cars/solvi/texture/interior.tga",
    "cars/solvi/texture/lights.tga",
    "cars/solvi/texture/rim.tga",
    "cars/solvi/texture/shadow.tga",
    "cars/solvi/texture/trim.tga",
    "cars/solvi/texture/tyre.tga",
};
// The waves a missing one of which would end the process at initSounds
// (every run has a sound system, silent or not).
const char* const kSoundFiles[] = {
    "cars/solvi/sfx/engine.wav", "cars/solvi/sfx/sound.ini", "sfx/hit.wav", "sfx/bottom.wav", "sfx/road.wav",
};

// How far before the finish strip the car is put at a reset, m.
constexpr float kStartBehindLine = 15.0f;
}  // namespace

DriveSession::DriveSession(const CarRunOptions& options, const CarRunPaths& paths, const DriveSettings& settings)
    : options_(options), paths_(paths), settings_(settings)
{
}

DriveSession::~DriveSession() { finish(); }

bool DriveSession::checkCarData() const
{
    bool ok = true;
    auto check = [&](const char* file) {
        if (!fs::is_regular_file(file)) {
            std::fprintf(stderr, "vqsim: the car's data is incomplete: %s/%s is missing\n", paths_.runDir.c_str(), file);
            ok = false;
        }
    };
    for (const char* file : kCarFiles) check(file);
    for (const char* file : kSoundFiles) check(file);
    return ok;
}

bool DriveSession::start()
{
    std::string error;
    if (settings_.track == kStripTrack) {
        track_.makeStrip(3000.0f, 60.0f);
    } else if (settings_.track == kSkidpadTrack) {
        track_.makeCircle(40.0f);
    } else {
        const std::string trackFile = paths_.dataDir + "/tracks/" + settings_.track + "/track.txt";
        if (!track_.load(trackFile, error)) {
            std::fprintf(stderr, "vqsim: %s\n", error.c_str());
            return false;
        }
    }
    std::printf("vqsim: track %s, %.0f m\n", track_.name().c_str(), track_.length());
    if (!checkCarData()) return false;

    world_ = std::make_unique<CPhysicsWorld>();
    world_->create();
    engine_ = std::make_unique<REngine>();
    host_.debug = options_.debug;
    for (const std::string& flag : options_.flags) host_.setFlag(flag);

    if (!library_.open(paths_.plugin)) {
        std::fprintf(stderr, "vqsim: %s\n", library_.error().c_str());
        return false;
    }
    car_ = library_.car();
    std::printf("vqsim: car \"%s\" from %s\n", car_->getShortName(), paths_.plugin.c_str());
    selfEntry_ = std::make_unique<HostCarEntry>(car_, true);
    host_.carList.push_back(selfEntry_.get());
    std::fflush(stdout);

    car_->init(engine_.get(), world_.get(), &track_, &host_);
    car_->setProfiler(settings_.profile ? &profiler_ : nullptr);
    car_->reset(startPosition(), startDirection());
    nextProgress_ = settings_.progressEvery;
    if (!sound_.start(*car_, settings_.soundPath, error)) {
        std::fprintf(stderr, "vqsim: %s\n", error.c_str());
        return false;
    }
    if (sound_.active()) std::printf("vqsim: rendering the sound into %s\n", settings_.soundPath.c_str());
    watchForInterrupt();
    if (!telemetry_.open(paths_.runDir + "/telemetry.csv"))
        std::fprintf(stderr, "vqsim: cannot write %s/telemetry.csv; the run goes on without it\n",
                     paths_.runDir.c_str());
    return true;
}

Vector3 DriveSession::startPosition() const { return track_.centreAt(track_.finishAt() - kStartBehindLine); }

Vector3 DriveSession::startDirection() const { return track_.tangentAt(track_.finishAt() - kStartBehindLine); }

void DriveSession::account(const CarState& state)
{
    const float dt = settings_.dt;
    if (!std::isfinite(state.speed) || !std::isfinite(state.position.x) || !std::isfinite(state.position.y) ||
        !std::isfinite(state.position.z))
        nanSeen_ = true;
    topSpeed_ = std::max(topSpeed_, state.speed);

    int surfaces[4] = {0, 0, 0, 0};
    car_->getWheelSurfaces(surfaces);
    bool off = false;
    for (int kind : surfaces) off = off || kind == 1 || kind == 3;
    offroad_ = off ? offroad_ + dt : 0.0f;
    maxOffroad_ = std::max(maxOffroad_, offroad_);

    // The car's sprint clock times 2 -> 100 km/h. A lap counted while it runs
    // resets the lap clock under it, which makes that measurement meaningless.
    if (const CLapTimer* timer = car_->getLapTimer()) {
        if (timer->sprintRunning && !sprintWasRunning_) lapsAtSprintStart_ = timer->lapCount;
        if (!timer->sprintRunning && sprintWasRunning_ && !zeroTo100_ && timer->lapCount == lapsAtSprintStart_)
            zeroTo100_ = timer->sprintMs / 1000.0;
        sprintWasRunning_ = timer->sprintRunning;
    }

    if (settings_.progressEvery > 0 && state.time >= nextProgress_) {
        nextProgress_ += settings_.progressEvery;
        const Track::Placement placed = track_.place(state.position.x, state.position.z);
        std::printf("  t=%7.1f s  lap %zu  at %6.0f m  %+5.1f m off the line  %6.1f km/h  gear %-2s %5d rpm\n",
                    state.time, host_.lapTimesMs.size() + 1, placed.s, placed.lateral, state.speed * 3.6f,
                    state.gear.c_str(), state.rpm);
        std::fflush(stdout);
    }
}

void DriveSession::run(Driver& driver, const std::function<bool(const CarState&)>& done)
{
    if (!car_) return;
    const float dt = settings_.dt;
    const auto wallStart = std::chrono::steady_clock::now();
    CarState state = readCarState(*car_, time_);
    // A signal ends the run at a frame's end, like any other stop.
    while (!done(state) && !(interrupted_ = interruptRequested())) {
        driver.drive(state, dt, controls_.inputs);
        car_->setControls(&controls_);
        car_->stepPhysics(dt);
        world_->step(dt);
        car_->syncFrames();
        ++steps_;
        time_ = static_cast<float>(steps_ * static_cast<double>(dt));
        state = readCarState(*car_, time_);
        distance_ += static_cast<double>(state.speed) * dt;
        telemetry_.sample(*car_, state, controls_.inputs, steps_ * static_cast<double>(dt), distance_);
        sound_.step(*car_, steps_ * static_cast<double>(dt));
        account(state);
    }
    const auto wall = std::chrono::steady_clock::now() - wallStart;
    stepNs_ += static_cast<unsigned long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(wall).count());
    wallSeconds_ = stepNs_ / 1e9;
}

RunSummary DriveSession::summary() const
{
    RunSummary s;
    s.lapsCompleted = static_cast<int>(host_.lapTimesMs.size());
    for (unsigned ms : host_.lapTimesMs) {
        s.lapTimesS.push_back(ms / 1000.0);
        if (!s.bestLapS || ms / 1000.0 < *s.bestLapS) s.bestLapS = ms / 1000.0;
    }
    s.topSpeedKmh = topSpeed_ * 3.6;
    s.zeroTo100S = zeroTo100_;
    s.simSeconds = steps_ * static_cast<double>(settings_.dt);
    s.wallSeconds = wallSeconds_;
    s.realTimeFactor = wallSeconds_ > 0 ? s.simSeconds / wallSeconds_ : 0.0;
    s.maxOffroadSeconds = maxOffroad_;
    s.nanSeen = nanSeen_;
    s.interrupted = interrupted_;
    return s;
}

bool DriveSession::finish()
{
    if (!world_ && !library_.car()) return true;
    car_ = nullptr;
    // Frames, sound buffers and other objects made by plug-in code carry its
    // code: they go before the plug-in does.
    if (sound_.active()) {
        const double seconds = sound_.finish();
        std::printf("vqsim: wrote %s (%.1f s of sound)\n", settings_.soundPath.c_str(), seconds);
    }
    sound_.release();
    engine_.reset();
    bool unloaded = true;
    if (library_.car()) {
        std::fflush(stdout);
        unloaded = library_.close();
        std::fflush(stdout);
        if (!unloaded) std::fprintf(stderr, "vqsim: the plug-in is still loaded after dlclose\n");
    }
    if (telemetry_.rows() > 0) {
        telemetry_.close();
        std::printf("vqsim: wrote %s (%ld rows)\n", telemetry_.path().c_str(), telemetry_.rows());
    }
    if (settings_.profile && !profiler_.sections().empty()) {
        std::printf("profile (wall time of the car's sections):\n");
        profiler_.report(stdout, stepNs_);
    }
    world_.reset();
    return unloaded;
}
