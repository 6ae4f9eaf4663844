/*
 * camera_scene.h: what the simulated camera looks at: a panorama round the
 * full turn, ruled in cells of 15 degrees, each cell holding a coloured disc
 * or diamond, over the channel's background colour.  The camera position
 * picks the part shown, so a pan, tilt or zoom visibly moves or scales it.
 */
#ifndef KELM_SIM_CAMERA_SCENE_H
#define KELM_SIM_CAMERA_SCENE_H

#include "picture_canvas.h"
#include "ptz_motion.h"

/* Fills the whole picture with the part of the scene the camera at `view`
   sees (90 degrees across at zoom 100, square pixels). */
void draw_camera_scene(Channel_Picture &picture, int channel, const Ptz_Position &view);

#endif
