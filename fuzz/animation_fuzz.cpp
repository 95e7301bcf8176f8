// Reads arbitrary text as an animation file and as a spline file, then plays
// whatever segments it gave the frames.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_scratch.h"
#include "graphics/animation_player.h"
#include "graphics/animation_reader.h"
#include "graphics/scene_frame.h"
#include "graphics/spline.h"
#include "graphics/spline_reader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Reads from memory: no scratch folder, only the readers' notices to quiet.
    FuzzScratch::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CSceneFrame root, a, b;
    root.name = "ROOT";
    a.name = "A";
    b.name = "B B";
    root.addChild(&a);
    a.addChild(&b);

    RAnimationReader reader;
    reader.read(text, "input.ase", &root);
    const size_t keys = root.animation.size() + a.animation.size() + b.animation.size();
    if (keys != static_cast<size_t>(reader.segmentsAdded)) std::abort();

    RAnimationPlayer player;
    player.addFrameTracks(&root);
    if (player.segments.size() != keys) std::abort();
    player.setDuration(size > 0 ? data[0] * 10 : 0);
    player.play(size % 2 == 0);
    for (int i = 0; i < 8; ++i) player.update();
    player.stop();
    player.update();

    std::vector<RSpline*> splines;
    RSplineReader splineReader;
    splineReader.read(text, splines);
    for (RSpline* s : splines) delete s;
    return 0;
}
