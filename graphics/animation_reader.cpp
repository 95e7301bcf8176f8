#include "graphics/animation_reader.h"

#include <cmath>
#include <cstdio>

#include "graphics/animation_key.h"
#include "graphics/keyword_scanner.h"
#include "graphics/scene_frame.h"
#include "graphics/problem_cap.h"
#include "system/system.h"

namespace {

// A rotation of `angle` radians about `axis`; a zero axis turns nothing.
RQuaternion fromAxisAngle(const Vector3& axis, float angle) {
    const float n = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    if (!(n > 0.0f)) return RQuaternion{0.0f, 0.0f, 0.0f, 1.0f};
    const float s = std::sin(angle * 0.5f) / n;
    return RQuaternion{axis.x * s, axis.y * s, axis.z * s, std::cos(angle * 0.5f)};
}

struct PreviousKey {
    bool present = false;
    int time = 0;
    Vector3 value{0.0f, 0.0f, 0.0f};  // axis or position, engine axes
    float angle = 0.0f;
};

}  // namespace

void RAnimationReader::problem(const std::string& message) {
    if (countFileProblem(problems, problemCount, message) && !quiet) printf("RAnimationReader : %s\n", message.c_str());
}

bool RAnimationReader::load(const RSystem& system, const std::string& fileName, CSceneFrame* rootFrame) {
    if (!system.fileExists(fileName)) return false;
    if (!quiet) printf("\nLoading animation: %s\n", fileName.c_str());
    std::string text;
    if (!RKeywordScanner::readFile(fileName, text)) {
        problem("cannot read " + fileName);
        return false;
    }
    read(text, fileName, rootFrame);
    return true;
}

void RAnimationReader::read(const std::string& text, const std::string& fileName, CSceneFrame* rootFrame) {
    if (!quiet) printf("FILENAME: %s\n", fileName.c_str());
    RKeywordScanner scanner(text);
    std::string keyword;
    bool expectNode = false;
    CSceneFrame* frame = nullptr;
    PreviousKey rotation, position;
    auto where = [&] { return "line " + std::to_string(scanner.line()) + ": "; };

    while (scanner.nextKeyword(keyword)) {
        if (keyword == "TM_ANIMATION") {
            expectNode = true;
        } else if (keyword == "NODE_NAME") {
            if (!expectNode) continue;
            expectNode = false;
            std::string name;
            if (!scanner.readName(name)) {
                problem(where() + "NODE_NAME without a name");
                frame = nullptr;
                continue;
            }
            if (!quiet) printf("FRAME: %s\n", name.c_str());
            frame = rootFrame != nullptr ? rootFrame->findFrame(name) : nullptr;
            if (frame == nullptr) problem(where() + "no frame named \"" + name + "\": its keys are skipped");
            rotation = PreviousKey{};
            position = PreviousKey{};
        } else if (keyword == "CONTROL_TCB_ROT_KEY") {
            if (!quiet) printf("*** WARNING CONTROL_TCB_ROT_KEY NOT SUPPORTED ***\n");
        } else if (keyword == "CONTROL_ROT_KEY") {
            int time;
            float x, y, z, angle;
            if (!(scanner.readInt(time) && scanner.readFloat(x) && scanner.readFloat(y) && scanner.readFloat(z) &&
                  scanner.readFloat(angle))) {
                problem(where() + "CONTROL_ROT_KEY needs a time, an axis and an angle: skipped");
                continue;
            }
            if (frame == nullptr) continue;
            const Vector3 axis{x, z, -y};
            if (rotation.present) {
                RAnimationKey* key = new RAnimationKey();
                key->startRotation = fromAxisAngle(rotation.value, rotation.angle);
                key->endRotation = fromAxisAngle(axis, angle);
                key->frame = rotation.time;
                key->startTime = rotation.time;
                key->endTime = time;
                key->isPosition = 0;
                frame->animation.push_back(key);
                ++segmentsAdded;
            }
            rotation = PreviousKey{true, time, axis, angle};
        } else if (keyword == "CONTROL_POS_KEY") {
            int time;
            float x, y, z;
            if (!(scanner.readInt(time) && scanner.readFloat(x) && scanner.readFloat(y) && scanner.readFloat(z))) {
                problem(where() + "CONTROL_POS_KEY needs a time and a position: skipped");
                continue;
            }
            if (frame == nullptr) continue;
            const Vector3 p{x, z, -y};
            if (position.present) {
                RAnimationKey* key = new RAnimationKey();
                key->startPosition = position.value;
                key->endPosition = p;
                key->frame = position.time;
                key->startTime = position.time;
                key->endTime = time;
                key->isPosition = 1;
                frame->animation.push_back(key);
                ++segmentsAdded;
            }
            position = PreviousKey{true, time, p, 0.0f};
        }
    }
}
