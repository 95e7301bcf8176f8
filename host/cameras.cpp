#include "host/cameras.h"

#include <limits>

#include "car/host_records.h"
#include "car/icar.h"
#include "graphics/camera.h"
#include "graphics/engine.h"
#include "host/track.h"

namespace {
constexpr float kFarPlane = 2000.0f;  // m: the whole track and the field round it
constexpr float kNearPlane = 0.3f;    // m, outside views
constexpr float kCockpitNear = 0.05f; // m: the dashboard is half a metre from the eye
constexpr float kChaseBehind = 6.0f;  // m
constexpr float kChaseAbove = 2.0f;   // m
constexpr float kLookAbove = 0.6f;    // m above the car's origin the outside views aim at
constexpr float kPostSpacing = 180.0f;  // m along the lap between tv posts
constexpr float kPostOutside = 4.0f;    // m beyond the wall
constexpr float kPostHeight = 6.0f;     // m above the track

// A camera at a point looking along a direction, with its own up.
void aimAlong(RCamera& c, const Vector3& position, const Vector3& direction, const Vector3& up, float fov)
{
    c.position = position;
    c.direction = direction.normalised();
    c.up = up.normalised();
    c.fov = fov;
}
}  // namespace

bool parseCameraView(const std::string& name, CameraView& view)
{
    if (name == "chase") view = CameraView::Chase;
    else if (name == "cockpit") view = CameraView::Cockpit;
    else if (name == "car") view = CameraView::Car;
    else if (name == "tv") view = CameraView::Tv;
    else return false;
    return true;
}

void HostCameras::setAspect(float aspect) { camera_->aspect = aspect; }

HostCameras::HostCameras(REngine& engine, const Track& track, float aspect) : camera_(engine.createCamera())
{
    camera_->name = "host";
    camera_->farPlane = kFarPlane;
    camera_->aspect = aspect;
    // Posts on alternate sides, just outside the walls.
    int k = 0;
    for (float s = 0; s < track.length(); s += kPostSpacing, ++k) {
        const Vector3 t = track.tangentAt(s);
        const Vector3 left = Vector3{t.z, 0, -t.x}.normalised();
        const float side = (k % 2 ? -1.0f : 1.0f) * (track.wallOffset() + kPostOutside);
        posts_.push_back(track.centreAt(s) + left * side + Vector3{0, kPostHeight, 0});
    }
}

void HostCameras::place(ICar& car, CameraView view)
{
    RCamera& c = *camera_;
    const Matrix4& pose = *car.getMatrix();
    const Vector3 carAt = pose.getPosition();
    const Vector3 aim = carAt + Vector3{0, kLookAbove, 0};
    c.nearPlane = kNearPlane;
    c.fov = 45.0f;
    c.up = Vector3{0, 1, 0};
    c.tracking = false;
    switch (view) {
    case CameraView::Chase: {
        Vector3 forward = pose.zAxis();
        forward.y = 0;
        forward = forward.length() > 1e-6f ? forward.normalised() : Vector3{0, 0, 1};
        c.position = carAt - forward * kChaseBehind + Vector3{0, kChaseAbove, 0};
        c.lookAt(aim);
        break;
    }
    case CameraView::Cockpit: {
        DriverEye eye{};
        car.getDriverEye(eye);
        aimAlong(c, eye.position, eye.forward, eye.up, 60.0f);
        c.nearPlane = kCockpitNear;
        break;
    }
    case CameraView::Car: {
        ViewPoint point{};
        car.getViewPoint(point);
        aimAlong(c, point.position, point.toTarget, point.toUp, 50.0f);
        break;
    }
    case CameraView::Tv: {
        float best = std::numeric_limits<float>::max();
        for (const Vector3& post : posts_) {
            const float d = (post - carAt).length();
            if (d < best) {
                best = d;
                c.position = post;
            }
        }
        c.fov = 25.0f;
        c.lookAt(aim);
        break;
    }
    }
    c.apply();
}
