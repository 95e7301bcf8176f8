// One picture of the drive: the host draws the world around the car and
// lets the car draw itself. In this order: begin the frame, clear to the
// sky, place the camera, light and draw the track, the car's own draw, the
// heads-up display, end the frame. Drawing reads the car's state and never
// changes it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/cameras.h"
#include "host/hud.h"

class CSceneFrame;
class ICar;
class REngine;
class RLight;
class SimHost;
class Track;

class SceneRenderer {
public:
    // The engine must have its device; width and height are the picture's;
    // the heads-up display reads the laps and messages the host collected.
    SceneRenderer(REngine& engine, const Track& track, const SimHost& host, int width, int height, CameraView view);

    // `overlay`: lines drawn in the middle of the picture over the rest
    // (a window's help or pause notice).
    void draw(ICar& car, const std::vector<std::string>& overlay = {});
    // The picture has a new size (a window was resized).
    void resize(int width, int height);
    void setView(CameraView view) { view_ = view; }
    // The car's own views of its workings, drawn over its body: the
    // suspension's arms and springs, and the brake discs glowing with heat.
    void showSuspension(bool on) { suspension_ = on; }
    bool suspensionShown() const { return suspension_; }
    void showBrakeGlow(bool on) { brakeGlow_ = on; }
    bool brakeGlowShown() const { return brakeGlow_; }
    CameraView view() const { return view_; }

    const HostCameras& cameras() const { return cameras_; }

private:
    REngine& engine_;
    CSceneFrame* trackFrame_;
    RLight* light_;
    HostCameras cameras_;
    std::unique_ptr<Hud> hud_;  // made once the engine knows the picture's size
    CameraView view_;
    int width_, height_;
    bool suspension_ = false;
    bool brakeGlow_ = false;
};
