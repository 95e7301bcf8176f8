#include "host/host_car.h"

#include <cstring>

#include "car/icar.h"

void HostCarEntry::restoreState(const uint8_t* record)
{
    std::memcpy(lastRestoredPose.m, record, sizeof lastRestoredPose.m);
}

void HostCarEntry::fillState(uint8_t* record)
{
    std::memset(record, 0, kHostCarStateBytes);
    static_assert(sizeof(Matrix4::m) <= kHostCarStateBytes);
    std::memcpy(record, car_->getMatrix()->m, sizeof(Matrix4::m));
}

Vector3& HostCarEntry::getPosition(Vector3& out)
{
    out = car_->getMatrix()->getPosition();
    return out;
}

const Matrix4* HostCarEntry::getPoseMatrix() { return car_->getMatrix(); }
