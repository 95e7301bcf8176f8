#pragma once
// The telemetry recorder: named channels of float samples kept in memory for
// the car's lifetime. The car registers its channels once and then appends one
// value per channel, by name, each time it samples. Writing them out is left
// to whoever reads the channels afterwards.

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CTelemetryChannel {
public:
    explicit CTelemetryChannel(std::string channelName) : name(std::move(channelName)) {}
    virtual ~CTelemetryChannel() = default;

    std::string name;
    std::vector<float> values;  // in the order appended
};

class CTelemetry {
public:
    CTelemetry() = default;
    virtual ~CTelemetry() = default;
    CTelemetry(const CTelemetry&) = delete;
    CTelemetry& operator=(const CTelemetry&) = delete;

    // Appends a channel with no values. A name registered twice makes two
    // channels; samples always go to the first.
    void addChannel(std::string name);
    // Appends value to the first channel of that name (exact comparison);
    // an unknown name is reported and nothing is recorded. Does nothing
    // while the recorder is disabled.
    void addSample(std::string name, float value);

    // Read access for exporters, in registration order.
    const std::vector<std::unique_ptr<CTelemetryChannel>>& getChannels() const { return channels; }
    // The first channel of that name, or null.
    const CTelemetryChannel* findChannel(const std::string& name) const;

    bool enabled = true;

private:
    std::vector<std::unique_ptr<CTelemetryChannel>> channels;
};
