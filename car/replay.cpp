#include "car/replay.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Little-endian byte order, whatever the machine's.
void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putFloat(std::vector<uint8_t>& out, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    putU32(out, v);
}

void putVector(std::vector<uint8_t>& out, const Vector3& v)
{
    putFloat(out, v.x);
    putFloat(out, v.y);
    putFloat(out, v.z);
}

uint32_t getU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

float getFloat(const uint8_t* p)
{
    const uint32_t v = getU32(p);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

Vector3 getVector(const uint8_t* p) { return {getFloat(p), getFloat(p + 4), getFloat(p + 8)}; }

// A text into a zero-filled field of `size` bytes, cut so that its zero fits.
void putText(uint8_t* field, std::size_t size, const std::string& text)
{
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

// The text of a field up to its first zero; a field without one is read whole.
std::string getText(const uint8_t* field, std::size_t size)
{
    const void* zero = std::memchr(field, 0, size);
    const std::size_t n = zero ? static_cast<std::size_t>(static_cast<const uint8_t*>(zero) - field) : size;
    return std::string(reinterpret_cast<const char*>(field), n);
}

// Header fields: offsets and sizes.
constexpr std::size_t kNameAt = 0, kNameSize = 128;
constexpr std::size_t kThirdAt = 128, kThirdSize = 128;
constexpr std::size_t kFourthAt = 256, kFourthSize = 50;
constexpr std::size_t kFifthAt = 306, kFifthSize = 50;
constexpr std::size_t kVersionAt = 356, kRateAt = 360, kCountAt = 364, kReservedAt = 368;

}  // namespace

// ---------------------------------------------------------------------------
// CReplayFrame

std::size_t CReplayFrame::fileBytes() const
{
    const std::size_t n = std::min(others.size(), kMaxOthers);
    return kFixedBytes + 1 + n * kOtherBytes + (hasLapTimes ? kLapTimeBytes : 0);
}

void CReplayFrame::write(std::vector<uint8_t>& out) const
{
    putVector(out, carPosition);
    putVector(out, carForward);
    putVector(out, carUp);
    for (const CReplayWheelPose& pose : wheelPose) {
        putVector(out, pose.position);
        putVector(out, pose.forward);
        putVector(out, pose.up);
    }
    for (uint8_t angle : wheelAngle) out.push_back(angle);
    out.push_back(static_cast<uint8_t>(steer));
    out.push_back(stateValue);
    out.push_back(wheelSoundFlag ? 1 : 0);
    out.push_back(engineSound);
    out.push_back(rpmByte);
    out.push_back(speedByte);
    out.push_back(hasLapTimes ? 1 : 0);
    out.push_back(lapCount);

    const std::size_t n = std::min(others.size(), kMaxOthers);
    out.push_back(static_cast<uint8_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        putFloat(out, others[i].x);
        putFloat(out, others[i].z);
        out.insert(out.end(), others[i].bytes, others[i].bytes + 8);
    }
    if (hasLapTimes)
        for (uint32_t t : lapTimes) putU32(out, t);
}

void CReplayFrame::readFixed(const uint8_t* p)
{
    carPosition = getVector(p);
    carForward = getVector(p + 12);
    carUp = getVector(p + 24);
    p += 36;
    for (CReplayWheelPose& pose : wheelPose) {
        pose.position = getVector(p);
        pose.forward = getVector(p + 12);
        pose.up = getVector(p + 24);
        p += 36;
    }
    for (uint8_t& angle : wheelAngle) angle = *p++;
    steer = static_cast<int8_t>(*p++);
    stateValue = *p++;
    wheelSoundFlag = *p++ != 0;
    engineSound = *p++;
    rpmByte = *p++;
    speedByte = *p++;
    hasLapTimes = *p++ != 0;
    lapCount = *p++;
}

// ---------------------------------------------------------------------------
// CReplay

CReplay::~CReplay() { releaseGhosts(); }

CReplayFrame* CReplay::displayedFrame() const
{
    if (displayIndex < 0 || displayIndex >= frameCount()) return nullptr;
    return frames[static_cast<std::size_t>(displayIndex)].get();
}

std::vector<uint8_t> CReplay::header(int32_t count) const
{
    std::vector<uint8_t> out(kHeaderBytes, 0);
    // "%s[%s]" cut to the field, as snprintf would.
    putText(out.data() + kNameAt, kNameSize, texts[0] + "[" + texts[1] + "]");
    putText(out.data() + kThirdAt, kThirdSize, texts[2]);
    putText(out.data() + kFourthAt, kFourthSize, texts[3]);
    putText(out.data() + kFifthAt, kFifthSize, texts[4]);
    out.resize(kVersionAt);
    putU32(out, static_cast<uint32_t>(kVersion));
    putU32(out, static_cast<uint32_t>(kFramesPerSecond));
    putU32(out, static_cast<uint32_t>(count));
    putU32(out, 0);
    return out;
}

bool CReplay::save(const std::string& path) const
{
    std::vector<uint8_t> bytes = header(frameCount());
    for (const auto& frame : frames) frame->write(bytes);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::printf("CReplay::save : cannot open %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) std::printf("CReplay::save : cannot write %s\n", path.c_str());
    return written && closed;
}

bool CReplay::load(const std::string& path, const std::string& groovePath)
{
    std::printf("loading replay\n");
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        std::printf("CReplay::load : cannot open %s\n", path.c_str());
        return false;
    }
    uint8_t head[kHeaderBytes];
    if (std::fread(head, 1, kHeaderBytes, file) != kHeaderBytes) {
        std::printf("CReplay::load : %s is too short for a replay header\n", path.c_str());
        std::fclose(file);
        return false;
    }
    const std::string name = getText(head + kNameAt, kNameSize);
    const std::size_t open = name.rfind('[');
    if (!name.empty() && name.back() == ']' && open != std::string::npos) {
        texts[0] = name.substr(0, open);
        texts[1] = name.substr(open + 1, name.size() - open - 2);
    } else {
        texts[0] = name;
        texts[1].clear();
    }
    texts[2] = getText(head + kThirdAt, kThirdSize);
    texts[3] = getText(head + kFourthAt, kFourthSize);
    texts[4] = getText(head + kFifthAt, kFifthSize);
    const int32_t version = static_cast<int32_t>(getU32(head + kVersionAt));
    const int32_t rate = static_cast<int32_t>(getU32(head + kRateAt));
    const int32_t count = static_cast<int32_t>(getU32(head + kCountAt));
    (void)kReservedAt;  // written as 0, not read
    if (version != kVersion || rate != kFramesPerSecond)
        std::printf("CReplay::load : %s has version %d at %d frames per second, expected %d at %d\n", path.c_str(),
                    version, rate, kVersion, kFramesPerSecond);

    bool complete = true;
    if (count < 0) {
        std::printf("CReplay::load : %s counts %d frames\n", path.c_str(), count);
        complete = false;
    }
    // One frame at a time, each read whole before it is kept: the count in
    // the header never sizes anything, the file's bytes do.
    int32_t read = 0;
    for (; read < count; ++read) {
        uint8_t fixed[CReplayFrame::kFixedBytes + 1];
        uint8_t records[CReplayFrame::kMaxOthers * CReplayFrame::kOtherBytes];
        uint8_t times[CReplayFrame::kLapTimeBytes];
        if (std::fread(fixed, 1, sizeof fixed, file) != sizeof fixed) break;
        const std::size_t n = fixed[CReplayFrame::kFixedBytes];
        if (std::fread(records, 1, n * CReplayFrame::kOtherBytes, file) != n * CReplayFrame::kOtherBytes) break;
        auto frame = std::make_unique<CReplayFrame>();
        frame->readFixed(fixed);
        if (frame->hasLapTimes && std::fread(times, 1, sizeof times, file) != sizeof times) break;
        frame->others.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const uint8_t* r = records + i * CReplayFrame::kOtherBytes;
            frame->others[i].x = getFloat(r);
            frame->others[i].z = getFloat(r + 4);
            std::memcpy(frame->others[i].bytes, r + 8, 8);
        }
        if (frame->hasLapTimes)
            for (int k = 0; k < 3; ++k) frame->lapTimes[k] = getU32(times + 4 * k);
        append(std::move(frame));
    }
    if (read < count) {
        std::printf("CReplay::load : %s ends after %d of its %d frames\n", path.c_str(), read, count);
        complete = false;
    } else if (std::fgetc(file) != EOF) {
        std::printf("CReplay::load : %s has bytes after its %d frames; they are ignored\n", path.c_str(), count);
    }
    std::fclose(file);

    fillInLapTimes();
    writeGroove(groovePath);
    return complete;
}

void CReplay::fillInLapTimes()
{
    const CLapTimer fresh;
    uint32_t current[3] = {fresh.currentMs, fresh.lastLapMs, fresh.bestLapMs};
    for (auto& frame : frames) {
        if (frame->hasLapTimes) {
            std::memcpy(current, frame->lapTimes, sizeof current);
        } else {
            frame->hasLapTimes = true;
            std::memcpy(frame->lapTimes, current, sizeof current);
        }
        current[0] += kFrameMs;
    }
}

bool CReplay::writeGroove(const std::string& path) const
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        std::printf("CReplay::writeGroove : cannot open %s\n", path.c_str());
        return false;
    }
    for (const auto& frame : frames)
        std::fprintf(file, "%f %f %f\n", frame->carPosition.x, frame->carPosition.y, frame->carPosition.z);
    return std::fclose(file) == 0;
}

int CReplay::control(int command)
{
    const int n = frameCount();
    switch (command) {
    case 0:
        if (++displayIndex > n - 1) displayIndex = 0;
        break;
    case 2:
        displayIndex += 10;
        if (displayIndex > n - 1) displayIndex = 0;
        break;
    case 3:
        displayIndex -= 10;
        if (displayIndex < 0) displayIndex = n >= 2 ? n - 2 : 0;
        break;
    default: break;
    }
    return displayIndex;
}

void CReplay::releaseGhosts()
{
    for (IHostCar* ghost : ghosts)
        if (ghost) ghost->release();
    ghosts.clear();
}
