/*
 * dot_font.h: a 5 x 7 dot font of our own for the pictures of the simulated
 * channels: printable ASCII, and a small filled box for every other byte (a
 * narrow text in a multi-byte code page shows one box per byte).
 */
#ifndef KELM_SIM_DOT_FONT_H
#define KELM_SIM_DOT_FONT_H

const int glyph_columns = 5;
const int glyph_rows = 7;
const int glyph_advance = 6; /* columns from one glyph to the next */

/* The seven rows of byte c's glyph, top row first; bit 0x10 is the leftmost
   dot. */
const unsigned char *dot_glyph(unsigned char c);

#endif
