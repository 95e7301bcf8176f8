#pragma once
// An ASE export as a modelling tool writes it: scene and material blocks,
// a multi-material with sub-materials, a helper, meshes with face normals,
// smoothing groups (one empty) and material ids on the face lines, vertex
// colours, a second mapping channel, sampled animation, an object without a
// mesh, a shape, a light and a target camera; tabs, trailing spaces, names
// with spaces, Windows and network paths. LF line ends; tests derive the
// other encodings from it.
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

inline const char* const kExporterAse = R"ASE(*3DSMAX_ASCIIEXPORT	200  
*COMMENT "AsciiExport Version  2,00 - Tue Mar 05 21:14:07 2002"
*SCENE {
	*SCENE_FILENAME "solvi body.max"
}
*MATERIAL_LIST {
	*MATERIAL_COUNT 2
	*MATERIAL 0 {
		*MATERIAL_NAME "Car Paint"  
		*MATERIAL_CLASS "Standard"
		*MATERIAL_AMBIENT 0.5882	0.5882	0.5882
		*MATERIAL_DIFFUSE 0.5882	0.5882	0.5882
		*MATERIAL_SPECULAR 0.9000	0.9000	0.9000
		*MATERIAL_SHINE 0.2500
		*MATERIAL_SHINESTRENGTH 0.5000
		*MATERIAL_TRANSPARENCY 0.0000  
		*MATERIAL_SHADING Blinn
		*MATERIAL_SELFILLUM 0.0000
		*MAP_DIFFUSE {  
			*MAP_NAME "Map #1"
			*MAP_AMOUNT 1.0000
			*BITMAP "C:\3dsmax\maps\car paint.bmp"
			*UVW_U_OFFSET 0.0000  
		}
		*MAP_BUMP {
			*MAP_AMOUNT 0.3000
			*BITMAP "C:\3dsmax\maps\bump.bmp"
		}
		*MAP_REFLECT {
			*MAP_AMOUNT 0.6000
			*BITMAP "\\artserver\shared\maps\sky.jpg"
		}
	}
	*MATERIAL 1 {
		*MATERIAL_NAME "Interior Multi"
		*MATERIAL_CLASS "Multi/Sub-Object"  
		*MATERIAL_DIFFUSE 0.5000	0.5000	0.5000
		*NUMSUBMTLS 2
		*SUBMATERIAL 0 {
			*MATERIAL_NAME "Seats"
			*MATERIAL_DIFFUSE 0.2000	0.1000	0.1000
			*MATERIAL_TRANSPARENCY 0.0000
			*MATERIAL_SHADING Blinn
			*MATERIAL_TWOSIDED
			*MAP_DIFFUSE {
				*MAP_AMOUNT 1.0000
				*BITMAP "D:\Projects\Solvi\Interior\seat fabric.tga"
			}
		}
		*SUBMATERIAL 1 {
			*MATERIAL_NAME "Dash"
			*MATERIAL_DIFFUSE 0.1000	0.1000	0.1000
			*MATERIAL_TRANSPARENCY 0.2500
			*MAP_DIFFUSE {
				*BITMAP "dash.png"
			}
		}
	}
}
*HELPEROBJECT {  
	*NODE_NAME "Car Root"
	*HELPER_CLASS "Dummy"
	*NODE_TM {
		*NODE_NAME "Car Root"
		*TM_POS 0.0000	0.0000	0.0000
	}
	*BOUNDINGBOX_MIN -5.0000	-5.0000	-5.0000
}  
*GEOMOBJECT {
	*NODE_NAME "Body Shell"
	*NODE_PARENT "Car Root"
	*NODE_TM {
		*NODE_NAME "Body Shell"
		*INHERIT_POS 0 0 0
		*TM_ROW0 1.0000	0.0000	0.0000
		*TM_ROW1 0.0000	1.0000	0.0000
		*TM_ROW2 0.0000	0.0000	1.0000
		*TM_ROW3 10.0000	20.0000	30.0000
		*TM_POS 10.0000	20.0000	30.0000
		*TM_ROTAXIS 0.0000	0.0000	0.0000  
		*TM_ROTANGLE 0.0000
		*TM_SCALE 1.0000	1.0000	1.0000
	}
	*MESH {
		*TIMEVALUE 0  
		*MESH_NUMVERTEX 4
		*MESH_NUMFACES 2
		*MESH_VERTEX_LIST {
			*MESH_VERTEX    0	0.0000	0.0000	30.0000
			*MESH_VERTEX    1	20.0000	0.0000	30.0000
			*MESH_VERTEX    2	0.0000	40.0000	30.0000
			*MESH_VERTEX    3	20.0000	40.0000	30.0000  
		}
		*MESH_FACE_LIST {
			*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    0	 *MESH_SMOOTHING 1 	*MESH_MTLID 0
			*MESH_FACE    1:    A:    2 B:    1 C:    3 AB:    1 BC:    1 CA:    0	 *MESH_SMOOTHING  	*MESH_MTLID 0
		}
		*MESH_NUMTVERTEX 4
		*MESH_TVERTLIST {  
			*MESH_TVERT 0	0.0000	0.0000	0.0000
			*MESH_TVERT 1	1.0000	0.0000	0.0000
			*MESH_TVERT 2	0.0000	1.0000	0.0000
			*MESH_TVERT 3	1.0000	1.0000	0.0000
		}
		*MESH_NUMTVFACES 2
		*MESH_TFACELIST {  
			*MESH_TFACE 0	0	1	2
			*MESH_TFACE 1	2	1	3
		}
		*MESH_NUMCVERTEX 1
		*MESH_CVERTLIST {
			*MESH_VERTCOL 0	1.0000	0.0000	0.0000
		}
		*MESH_MAPPINGCHANNEL 2 {
			*MESH_NUMTVERTEX 1
			*MESH_TVERTLIST {
				*MESH_TVERT 0	0.5000	0.5000	0.0000
			}
			*MESH_TFACELIST {  
				*MESH_TFACE 0	0	0	0
				*MESH_TFACE 1	0	0	0
			}
		}
		*MESH_NORMALS {
			*MESH_FACENORMAL 0	0.0000	0.0000	1.0000
				*MESH_VERTEXNORMAL 0	0.0000	0.0000	1.0000  
				*MESH_VERTEXNORMAL 1	0.0000	0.0000	1.0000
				*MESH_VERTEXNORMAL 2	0.0000	0.0000	1.0000
			*MESH_FACENORMAL 1	0.0000	0.0000	1.0000
				*MESH_VERTEXNORMAL 2	0.0000	0.0000	1.0000
				*MESH_VERTEXNORMAL 1	0.0000	0.0000	1.0000
				*MESH_VERTEXNORMAL 3	0.0000	0.0000	1.0000
		}  
	}
	*PROP_CASTSHADOW 1
	*PROP_RECVSHADOW 1
	*TM_ANIMATION {
		*NODE_NAME "Body Shell"
		*CONTROL_POS_TRACK {  
			*CONTROL_POS_SAMPLE 160	11.0000	20.0000	30.0000
		}
	}  
	*MATERIAL_REF 0
}
*GEOMOBJECT {
	*NODE_NAME "Wheel LF"
	*NODE_PARENT "Body Shell"
	*NODE_TM {
		*TM_ROW0 0.0000	1.0000	0.0000
		*TM_ROW1 -1.0000	0.0000	0.0000
		*TM_ROW2 0.0000	0.0000	1.0000
		*TM_POS 15.0000	25.0000	30.0000
		*TM_ROTAXIS 0.0000	0.0000	1.0000
		*TM_ROTANGLE 1.5708
	}  
	*MESH {
		*MESH_NUMVERTEX 3
		*MESH_NUMFACES 1
		*MESH_VERTEX_LIST {
			*MESH_VERTEX    0	15.0000	25.0000	30.0000
			*MESH_VERTEX    1	15.0000	35.0000	30.0000  
			*MESH_VERTEX    2	15.0000	25.0000	40.0000
		}
		*MESH_FACE_LIST {
			*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    0	 *MESH_SMOOTHING 2 	*MESH_MTLID 1
		}
		*MESH_NUMTVERTEX 0
		*MESH_NORMALS {  
			*MESH_FACENORMAL 0	1.0000	0.0000	0.0000
				*MESH_VERTEXNORMAL 0	1.0000	0.0000	0.0000
				*MESH_VERTEXNORMAL 1	1.0000	0.0000	0.0000
				*MESH_VERTEXNORMAL 2	1.0000	0.0000	0.0000
		}
	}
	*MATERIAL_REF 1
}
*GEOMOBJECT {
	*NODE_NAME "Seat Left"
	*NODE_TM {  
		*TM_POS -10.0000	0.0000	10.0000
	}
	*MESH {
		*MESH_NUMVERTEX 4
		*MESH_NUMFACES 2
		*MESH_VERTEX_LIST {
			*MESH_VERTEX    0	-10.0000	0.0000	10.0000  
			*MESH_VERTEX    1	-5.0000	0.0000	10.0000
			*MESH_VERTEX    2	-10.0000	5.0000	10.0000
			*MESH_VERTEX    3	-10.0000	0.0000	15.0000
		}
		*MESH_FACE_LIST {
			*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    0	 *MESH_SMOOTHING  	*MESH_MTLID 0
			*MESH_FACE    1:    A:    0 B:    3 C:    1 AB:    1 BC:    1 CA:    0	 *MESH_SMOOTHING  	*MESH_MTLID 2  
		}
	}
	*MATERIAL_REF 1  
}
*GEOMOBJECT {
	*NODE_NAME "Empty Thing"
	*NODE_TM {
		*TM_POS 0.0000	0.0000	0.0000
	}
}
*SHAPEOBJECT {
	*NODE_NAME "Racing Line"
	*SHAPE_LINECOUNT 1  
	*SHAPE_LINE 0 {
		*SHAPE_VERTEX_KNOT 0	0.0000	0.0000	0.0000
	}
}
*LIGHTOBJECT {  
	*NODE_NAME "Omni01"
	*LIGHT_SETTINGS {
		*LIGHT_COLOR 1.0000	1.0000	1.0000
	}  
}
*CAMERAOBJECT {
	*NODE_NAME "Chase Cam"
	*CAMERA_TYPE Target
	*NODE_TM {
		*NODE_NAME "Chase Cam"
		*TM_POS 0.0000	-50.0000	20.0000  
	}
	*NODE_TM {  
		*NODE_NAME "Chase Cam.Target"
		*TM_POS 0.0000	0.0000	0.0000
	}
	*CAMERA_SETTINGS { *CAMERA_FOV 0.7854 }
}
)ASE";
