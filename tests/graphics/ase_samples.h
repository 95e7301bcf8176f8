#pragma once
// An ASE export as a modelling tool writes it: scene and material blocks,
// a multi-material with sub-materials, a helper, meshes with face normals,
// smoothing groups (one empty) and material ids on the face lines, vertex
// colours, a second mapping channel, sampled animation, an object without a
// mesh, a shape, a light and a target camera; tabs, trailing spaces, names
// with spaces, Windows and network paths. LF line ends; tests derive the
// other encodings from it. The file is tests/data/exporter.ase.
//
// What it holds (file units, z up):
//  - "Body Shell": pivot (10, 20, 30), a 20 x 40 quad at z = 30 (2 faces),
//    normals +z, texture coordinates (0,0) (1,0) (0,1) (1,1), material 0.
//  - "Wheel LF", child of "Body Shell": pivot (15, 25, 30), turned 90 degrees
//    about z; 1 face whose normals are +x in its own orientation; material 1
//    with material id 1 ("Dash").
//  - "Seat Left": pivot (-10, 0, 10), two faces folded 90 degrees along an
//    edge, no normals, material 1 with ids 0 and 2 ("Seats").
//  - "Empty Thing": no mesh. Parent "Car Root" of "Body Shell" is a helper.
//  - Material 0 "Car Paint": diffuse "car paint.bmp", bump "bump.bmp",
//    reflection "sky.jpg" at amount 0.6. Material 1 "Interior Multi": "Seats"
//    (two-sided, "seat fabric.tga") and "Dash" (transparency 0.25, "dash.png").
//  - Camera "Chase Cam" at (0, -50, 20) looking at the origin.

#include <string>

#include "support/temp_dir.h"

inline const std::string kExporterAse = fileText(SOLVI_TEST_DATA_DIR "/exporter.ase");
