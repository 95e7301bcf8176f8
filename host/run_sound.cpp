#include "host/run_sound.h"

#include "car/icar.h"
#include "host/car_console.h"
#include "host/file_commit.h"
#include "host/quiet_stream.h"
#include "sound/sound_buffer.h"
#include "sound/sound_channel.h"

namespace {
constexpr int kRoadChannel = 7;  // the host keeps its road noise here; the car modulates it
constexpr float kListenerAbove = 0.5f;  // m: the driver's ears above the body's origin
}  // namespace

RunSound::~RunSound() { release(); }

bool RunSound::start(ICar& car, const std::string& wavPath, bool live, std::string& error)
{
    if (wavPath.empty() && live) {
        {
            // The sound libraries report a missing device in several lines
            // of their own; the run says it in one.
            QuietStream quiet(stderr);
            mixer_ = std::make_unique<ROpenALMixer>(ROpenALMixer::Output::Device);
        }
        if (mixer_->isOpen() && !mixer_->isLoopback()) {
            attach(car, *mixer_);
            return true;
        }
        mixer_.reset();
        hostPrintf("vqsim: no sound device opens; the drive goes on without sound\n");
    }
    if (wavPath.empty()) {
        silent_ = std::make_unique<RSilentMixer>();
        system_ = std::make_unique<RSoundSystem>(silent_.get(), kChannels);
        car.initSounds(system_.get());
        return true;
    }
    mixer_ = std::make_unique<ROpenALMixer>(ROpenALMixer::Output::Loopback);
    if (!mixer_->isOpen() || !mixer_->isLoopback()) {
        error = "cannot open OpenAL Soft's loopback device to render the sound";
        mixer_.reset();
        return false;
    }
    if (!wav_.open(partialPath(wavPath), 2, kSampleRate)) {
        error = "cannot write the sound file " + wavPath;
        mixer_.reset();
        return false;
    }
    path_ = wavPath;
    attach(car, *mixer_);
    return true;
}

void RunSound::attach(ICar& car, RMixer& mixer)
{
    system_ = std::make_unique<RSoundSystem>(&mixer, kChannels);
    car.initSounds(system_.get());
    // The road noise is the host's: attached before the car's first update.
    if (RSoundBuffer* road = system_->createBuffer("sfx/road.wav")) {
        road->setDistance(1000.0f, 1.0f);
        if (RSoundChannel* channel = system_->channel(kRoadChannel)) {
            channel->attach(road);
            channel->play(-1);
        }
    }
}

void RunSound::step(ICar& car, double time)
{
    if (silent_) silent_->advanceTo(time);
    if (!mixer_) return;
    while (time + 1e-9 >= updates_ / kUpdatesPerSecond) {
        car.updateEngineSound(0.0f, 1.0f);  // heard from the driver's seat, road noise and all
        const Matrix4* pose = car.getMatrix();
        const Vector3 forward = pose->zAxis(), up = pose->yAxis();
        const Vector3 at = pose->getPosition() + up * kListenerAbove;
        Vector3 velocity;
        car.getVelocity(velocity);
        const float position[3] = {at.x, at.y, at.z};
        const float v[3] = {velocity.x, velocity.y, velocity.z};
        const float f[3] = {forward.x, forward.y, forward.z};
        const float u[3] = {up.x, up.y, up.z};
        mixer_->setListener(position, v, f, u);
        ++updates_;
        if (!wav_.isOpen()) continue;  // heard live
        // Whole frames per slice, kept in step with the simulated clock.
        const long target = static_cast<long>(updates_ * kSampleRate / kUpdatesPerSecond);
        const int32_t frames = static_cast<int32_t>(target - framesWritten_);
        mixer_->render(slice_, frames);
        wav_.write(slice_.data(), slice_.size());
        framesWritten_ = target;
    }
}

double RunSound::finish()
{
    if (wav_.isOpen() && wav_.close()) commitPartial(path_);
    return static_cast<double>(framesWritten_) / kSampleRate;
}

void RunSound::release()
{
    finish();
    system_.reset();
    mixer_.reset();
    silent_.reset();
}
