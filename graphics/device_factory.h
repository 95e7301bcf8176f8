// RDeviceFactory: what a platform offers the engine for making its device.
// REngine::init walks these steps in its own order (interface, display
// mode, transform-and-lighting check, depth formats from deepest down,
// device) and prints its progress; a factory only answers. The factory owns
// what it creates and must outlive the engine that draws through it.
#pragma once

#include "graphics/device.h"

// Depth buffer formats, tried in this order.
enum class RDepthFormat { D32, D24X8, D24S8, D16 };

class RDeviceFactory {
public:
    virtual ~RDeviceFactory() = default;

    // The platform's graphics interface; false when there is none.
    virtual bool createInterface() = 0;
    // Reads the current display mode; false when it cannot be read.
    virtual bool readDisplayMode() = 0;
    // Whether vertices are transformed and lit by the graphics hardware.
    virtual bool hardwareTnL() = 0;
    // Whether `format` is usable as the depth buffer of the display mode.
    virtual bool depthFormatUsable(RDepthFormat format) = 0;
    // The device for `window` (null: off screen) with that depth buffer and
    // its back-buffer size in pixels; null when it cannot be made.
    virtual RDevice* createDevice(void* window, RDepthFormat depth, bool hardwareVertexProcessing, int& width,
                                  int& height) = 0;
};
