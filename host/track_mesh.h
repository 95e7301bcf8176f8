// The track as meshes for the pictures: the road in mid grey, red and white
// kerbs, gravel, sand, the walls at the outer edges, grass beyond them and a
// wide field below the horizon, the finish and intermediate lines across the
// road. Built once from the track's centre line and band widths; the ground
// is level across the road at the centre line's height, as the physics has it.
#pragma once

class CSceneFrame;
class REngine;
class Track;

// A new frame of the engine holding the track's meshes, buffers built.
CSceneFrame* buildTrackMesh(REngine& engine, const Track& track);
