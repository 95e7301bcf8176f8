// The host's cameras for the pictures: one camera object of the engine,
// placed anew and made current for every picture by the chosen view.
//   chase    about 6 m behind and 2 m above the car, looking at it
//   cockpit  the driver's eye the car reports (drawn with the cockpit)
//   car      the car's own view point, which its 'b' key cycles
//   tv       the nearest of a row of posts beside the track, looking at the car
#pragma once

#include <string>
#include <vector>

#include "chassis/vector3.h"

class ICar;
class RCamera;
class REngine;
class Track;

enum class CameraView { Chase, Cockpit, Car, Tv };

// "chase", "cockpit", "car" or "tv"; false for anything else.
bool parseCameraView(const std::string& name, CameraView& view);

class HostCameras {
public:
    // aspect = picture width / height.
    HostCameras(REngine& engine, const Track& track, float aspect);

    // Places the camera for the view and applies it (it becomes current).
    void place(ICar& car, CameraView view);
    const RCamera& camera() const { return *camera_; }
    // aspect = picture width / height, when the picture changes size.
    void setAspect(float aspect);
    // Where the trackside posts of the tv view stand.
    const std::vector<Vector3>& posts() const { return posts_; }

private:
    RCamera* camera_;
    std::vector<Vector3> posts_;
};
