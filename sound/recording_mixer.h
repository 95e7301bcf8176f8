#pragma once
// RRecordingMixer: a mixer that renders nothing and keeps every call with its
// arguments, for tests and for runs that want no sound. Waves are numbered
// from 1 in opening order and never read; "finished" answers are scripted.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sound/mixer.h"

class RRecordingMixer : public RMixer {
public:
    enum class Op {
        InitSession,
        CloseSession,
        OpenWave,
        FreeWave,
        SetFrequency,
        SetVolume,
        SetSourcePosition,
        SetSourceVelocity,
        SetDistanceMapping,
        PlayEx,
        IsChannelDone,
        SetListener,
    };

    // One call. ints hold the integer arguments after session, in order
    // (channel, flags, value... or a, b for OpenWave; wave for FreeWave);
    // floats hold the pointed-to values (3 for vectors, the distance
    // record's 4 fields with the size converted, the listener's 12).
    struct Call {
        Op op;
        MixerSession session = 0;
        std::vector<int64_t> ints;
        std::vector<float> floats;
        std::string path;
    };

    MixerSession initSession() override;
    void closeSession(MixerSession session) override;
    MixerWave openWave(MixerSession session, const char* path, int32_t a, int32_t b) override;
    void freeWave(MixerSession session, MixerWave wave) override;
    void setFrequency(MixerSession session, int32_t channel, int32_t flags, int32_t hz) override;
    void setVolume(MixerSession session, int32_t channel, int32_t flags, int32_t volume) override;
    void setSourcePosition(MixerSession session, int32_t channel, int32_t flags, const float* xyz) override;
    void setSourceVelocity(MixerSession session, int32_t channel, int32_t flags, const float* xyz) override;
    void setDistanceMapping(MixerSession session, int32_t channel, int32_t flags, const void* record) override;
    void playEx(MixerSession session, int32_t channel, int32_t mode, MixerWave wave, int32_t loops,
                int32_t last) override;
    int32_t isChannelDone(MixerSession session, int32_t channel) override;
    void setListener(const float* position, const float* velocity, const float* forward,
                     const float* up) override;

    // What isChannelDone answers for a channel; 1 unless set.
    void setChannelDone(int32_t channel, bool done) { doneAnswers[channel] = done; }

    // Calls of one kind, in order; those on one channel when channel >= 0
    // (channel-less calls never match a channel filter).
    std::vector<Call> callsOf(Op op, int32_t channel = -1) const;
    // The last such call, or null.
    const Call* lastOf(Op op, int32_t channel = -1) const;
    void clear() { calls.clear(); }

    std::vector<Call> calls;
    // False makes it a plain silent mixer for long runs: calls are answered
    // but not kept, so memory stays flat.
    bool keepCalls = true;
    MixerSession sessionHandle = 0x5e55;  // what initSession returns

private:
    static bool hasChannel(Op op);
    void keep(Call call);
    MixerWave nextWave = 1;
    std::map<int32_t, bool> doneAnswers;
};
