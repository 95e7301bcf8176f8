#include "host/window_loop.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <thread>

#include "car/icar.h"
#include "graphics/engine.h"
#include "host/car_console.h"
#include "host/drive_session.h"
#include "host/frame_pacer.h"
#include "host/window/controller_driver.h"
#include "host/window/sdl_window.h"

namespace {
// Where the display does not pace the pictures.
constexpr double kMostPicturesPerSecond = 60.0;
// Simulated time one picture may catch up at most, s.
constexpr double kLongestCatchUp = 0.1;

CameraView nextView(CameraView view)
{
    switch (view) {
    case CameraView::Chase: return CameraView::Cockpit;
    case CameraView::Cockpit: return CameraView::Car;
    case CameraView::Car: return CameraView::Tv;
    case CameraView::Tv: return CameraView::Chase;
    }
    return CameraView::Chase;
}
}  // namespace

WindowLoop::WindowLoop(DriveSession& session, SdlWindow& window, CameraView view)
    : session_(session),
      window_(window),
      input_(window.window()),
      renderer_(*session.engine(), session.track(), session.host(), window.size().x, window.size().y, view)
{
    session_.engine()->system.setInputSource(&input_);
    hostPrintf("vqsim: drawing with %s\n", window_.description().c_str());
}

WindowLoop::~WindowLoop()
{
    if (session_.engine()) session_.engine()->system.setInputSource(nullptr);
}

void WindowLoop::run(Driver& driver, const std::function<bool(const CarState&)>& done)
{
    SteadyPacerClock clock;
    PacerSettings pacing;
    pacing.step = session_.settings().dt;
    pacing.maxStepsPerPicture = static_cast<int>(std::ceil(kLongestCatchUp / pacing.step));
    pacing.minInterval = window_.vsync() ? 0.0 : 1.0 / kMostPicturesPerSecond;
    FramePacer pacer(clock, pacing);
    const auto wallStart = std::chrono::steady_clock::now();
    while (true) {
        keys_.pushDue(session_.time(), window_.id());
        handleEvents();
        if (session_.shouldStop(done)) break;
        const int steps = pacer.stepsBeforePicture(paused_);
        for (int i = 0; i < steps && !session_.shouldStop(done); ++i) {
            // Keys due now go through the window's queue before the frame.
            if (keys_.pushDue(session_.time(), window_.id())) handleEvents();
            session_.stepFrame(driver);
        }
        drawPicture();
        const double wait = pacer.waitAfterPicture();
        if (wait > 0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    }
    const auto wall = std::chrono::steady_clock::now() - wallStart;
    session_.addWallTime(wall);
    wallSeconds_ += std::chrono::duration<double>(wall).count();
}

void WindowLoop::drawPicture()
{
    ICar& car = *session_.car();
    renderer_.draw(car, overlay());
    session_.engine()->present();
    ++pictures_;
    if (feedback_) feedback_->feedback(car.getSteeringTorque());
}

void WindowLoop::showReplayFrame(double time)
{
    SteadyPacerClock clock;
    if (!replay_) {
        replay_ = true;
        replayStart_ = clock.now() - time;
    }
    keys_.pushDue(time, window_.id());
    handleEvents();
    // While paused the replay's clock stands still.
    while (paused_ && !session_.endedEarly()) {
        const double pausedAt = clock.now();
        drawPicture();
        std::this_thread::sleep_for(std::chrono::duration<double>(1.0 / kMostPicturesPerSecond));
        handleEvents();
        replayStart_ += clock.now() - pausedAt;
    }
    if (session_.endedEarly()) return;
    drawPicture();
    const double wait = replayStart_ + time - clock.now();
    if (wait > 0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    wallSeconds_ = clock.now() - replayStart_;
}

void WindowLoop::handleEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        input_.handle(event);
        if (event.type == SDL_QUIT) session_.endRun(RunEnd::Quit);
        if (event.type == SDL_KEYDOWN && !event.key.repeat) keyPressed(event.key.keysym.sym);
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            const SDL_Point size = window_.followSize();
            if (size.x > 0 && size.y > 0) renderer_.resize(size.x, size.y);
        }
    }
}

void WindowLoop::keyPressed(SDL_Keycode key)
{
    switch (key) {
    case SDLK_ESCAPE: session_.endRun(RunEnd::Quit); return;
    case SDLK_c: renderer_.setView(nextView(renderer_.view())); break;
    case SDLK_r:
        if (!replay_) session_.resetOnTrack();
        break;
    case SDLK_p: paused_ = !paused_; break;
    case SDLK_h: help_ = !help_; break;
    case SDLK_F2: renderer_.showSuspension(!renderer_.suspensionShown()); break;
    case SDLK_F3: renderer_.showBrakeGlow(!renderer_.brakeGlowShown()); break;
    default: break;
    }
    // The car has keys of its own; it is asked with lower-case characters.
    if (key >= 32 && key < 127 && std::isprint(static_cast<int>(key)))
        session_.car()->onKey(static_cast<unsigned char>(std::tolower(static_cast<int>(key))));
}

std::vector<std::string> WindowLoop::overlay() const
{
    std::vector<std::string> lines;
    if (paused_) lines.push_back("PAUSED - P goes on");
    if (help_) {
        for (const char* line : {"Up throttle   Down brake   Left/Right steer",
                                 "E shift up   Q shift down",
                                 "C camera   R back on the track   P pause",
                                 "A ABS   T traction control   B view point",
                                 "F2 suspension   F3 brake glow",
                                 "H this help   Escape quit"})
            lines.push_back(line);
    }
    return lines;
}

void WindowLoop::printFigures() const
{
    const double simulated = session_.time();
    hostPrintf("vqsim: %ld pictures in %.1f s (%.1f pictures/s), %.1f s simulated (%.2fx real time)\n", pictures_,
               wallSeconds_, wallSeconds_ > 0 ? pictures_ / wallSeconds_ : 0.0, simulated,
               wallSeconds_ > 0 ? simulated / wallSeconds_ : 0.0);
}
