#include "services/telemetry.h"

#include <cstdio>

void CTelemetry::addChannel(std::string name)
{
    channels.push_back(std::make_unique<CTelemetryChannel>(std::move(name)));
}

void CTelemetry::addSample(std::string name, float value)
{
    if (!enabled) return;
    // A linear scan is enough: tens of channels, and the names are short.
    for (const auto& channel : channels) {
        if (channel->name == name) {
            channel->values.push_back(value);
            return;
        }
    }
    std::printf("Telemetry key %s not found\n", name.c_str());
}

const CTelemetryChannel* CTelemetry::findChannel(const std::string& name) const
{
    for (const auto& channel : channels) {
        if (channel->name == name) return channel.get();
    }
    return nullptr;
}
