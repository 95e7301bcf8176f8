#include "host/driver.h"

#include "car/icar.h"

CarState readCarState(ICar& car, float time)
{
    CarState state;
    state.time = time;
    const Matrix4* pose = car.getMatrix();
    state.position = pose->getPosition();
    state.left = pose->xAxis();  // the car's side axis points to its left
    state.forward = pose->zAxis();
    state.speed = car.getSpeed();
    state.rpm = car.getRpm();
    car.getGearName(state.gear);
    return state;
}
