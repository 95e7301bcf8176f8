#include "graphics/light.h"

#include "graphics/engine.h"

RLight::RLight(REngine* owner) : engine(owner) {
    record.type = RLightType::Directional;
    record.diffuse = RColour{0.9f, 0.9f, 0.9f, 1.0f};
    record.specular = RColour{1.0f, 1.0f, 1.0f, 1.0f};
    record.ambient = RColour{0.0f, 0.0f, 0.0f, 1.0f};
    record.direction = Vector3{0.5f, -1.0f, 0.5f}.normalised();
    record.range = 1000.0f;
    record.attenuation0 = 1.0f;
}

void RLight::apply() {
    if (engine == nullptr || engine->device == nullptr) return;
    engine->device->setLight(0, record);
    engine->device->enableLight(0, true);
}
