#include "sound/recording_mixer.h"

#include <cstring>
#include <utility>

MixerSession RRecordingMixer::initSession()
{
    keep({Op::InitSession, sessionHandle, {}, {}, {}});
    return sessionHandle;
}

void RRecordingMixer::closeSession(MixerSession session)
{
    keep({Op::CloseSession, session, {}, {}, {}});
}

MixerWave RRecordingMixer::openWave(MixerSession session, const char* path, int32_t a, int32_t b)
{
    keep({Op::OpenWave, session, {a, b}, {}, path ? path : ""});
    return nextWave++;
}

void RRecordingMixer::freeWave(MixerSession session, MixerWave wave)
{
    keep({Op::FreeWave, session, {static_cast<int64_t>(wave)}, {}, {}});
}

void RRecordingMixer::setFrequency(MixerSession session, int32_t channel, int32_t flags, int32_t hz)
{
    keep({Op::SetFrequency, session, {channel, flags, hz}, {}, {}});
}

void RRecordingMixer::setVolume(MixerSession session, int32_t channel, int32_t flags, int32_t volume)
{
    keep({Op::SetVolume, session, {channel, flags, volume}, {}, {}});
}

void RRecordingMixer::setSourcePosition(MixerSession session, int32_t channel, int32_t flags, const float* xyz)
{
    keep({Op::SetSourcePosition, session, {channel, flags}, {xyz[0], xyz[1], xyz[2]}, {}});
}

void RRecordingMixer::setSourceVelocity(MixerSession session, int32_t channel, int32_t flags, const float* xyz)
{
    keep({Op::SetSourceVelocity, session, {channel, flags}, {xyz[0], xyz[1], xyz[2]}, {}});
}

void RRecordingMixer::setDistanceMapping(MixerSession session, int32_t channel, int32_t flags, const void* record)
{
    MixerDistanceRecord r;
    std::memcpy(&r, record, sizeof r);
    keep({Op::SetDistanceMapping, session, {channel, flags},
                     {static_cast<float>(r.size), r.distanceA, r.maxDistance, r.distanceB}, {}});
}

void RRecordingMixer::playEx(MixerSession session, int32_t channel, int32_t mode, MixerWave wave, int32_t loops,
                             int32_t last)
{
    keep({Op::PlayEx, session, {channel, mode, static_cast<int64_t>(wave), loops, last}, {}, {}});
}

int32_t RRecordingMixer::isChannelDone(MixerSession session, int32_t channel)
{
    keep({Op::IsChannelDone, session, {channel}, {}, {}});
    const auto it = doneAnswers.find(channel);
    return it == doneAnswers.end() || it->second ? 1 : 0;
}

void RRecordingMixer::setListener(const float* position, const float* velocity, const float* forward,
                                  const float* up)
{
    Call call{Op::SetListener, 0, {}, {}, {}};
    for (const float* v : {position, velocity, forward, up})
        call.floats.insert(call.floats.end(), v, v + 3);
    keep(call);
}

void RRecordingMixer::keep(Call call)
{
    if (keepCalls) calls.push_back(std::move(call));
}

bool RRecordingMixer::hasChannel(Op op)
{
    switch (op) {
    case Op::SetFrequency:
    case Op::SetVolume:
    case Op::SetSourcePosition:
    case Op::SetSourceVelocity:
    case Op::SetDistanceMapping:
    case Op::PlayEx:
    case Op::IsChannelDone:
        return true;
    default:
        return false;
    }
}

std::vector<RRecordingMixer::Call> RRecordingMixer::callsOf(Op op, int32_t channel) const
{
    std::vector<Call> out;
    for (const Call& c : calls) {
        if (c.op != op) continue;
        if (channel >= 0 && (!hasChannel(op) || c.ints.empty() || c.ints[0] != channel)) continue;
        out.push_back(c);
    }
    return out;
}

const RRecordingMixer::Call* RRecordingMixer::lastOf(Op op, int32_t channel) const
{
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->op != op) continue;
        if (channel >= 0 && (!hasChannel(op) || it->ints.empty() || it->ints[0] != channel)) continue;
        return &*it;
    }
    return nullptr;
}
