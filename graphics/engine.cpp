#include "graphics/engine.h"

#include <cstdio>

#include "graphics/scene_frame.h"

REngine::REngine() {
    printf("***************************************************************\n");
    printf("* NOCTURA GAME GRAPHICS ENGINE v0.1                           *\n");
    printf("* D3D Win32 Version                                        *\n");
    printf("***************************************************************\n\n\n");
    system.initTimer();
    // The ASE loader (texture directory "texture/", base directory "ase")
    // and the default material are created here once those classes exist;
    // until then both stay null. The other defaults are the initialisers.
}

REngine::~REngine() {
    // Only frames are complete types yet; the other lists stay empty until
    // their classes arrive, and each then deletes its objects right here.
    printf("Deleting texture\n");
    textures.clear();
    printf("Deleting frames\n");
    for (CSceneFrame* frame : frames) delete frame;
    frames.clear();
    printf("Deleting geometries\n");
    geometries.clear();
    printf("Deleting materials\n");
    materials.clear();
    printf("Deleting cameras\n");
    cameras.clear();
    animationPlayers.clear();
    boxes.clear();
    printf("Deleting device\n");
    device = nullptr;
    printf("Deleting direct3d\n");
    direct3d = nullptr;
}

CSceneFrame* REngine::createFrame() {
    CSceneFrame* frame = new CSceneFrame();
    frame->engine = this;
    frames.push_back(frame);
    return frame;
}
