// The pictures compiled into libDropwellUI (drawn by images/generate.py,
// embedded by cmake/EmbedImages.cmake). Decode with VEQ::CUGetBitmapFromMemory:
//
//   VEQ::CUGetBitmapFromMemory(warning_16_png, warning_16_png_length)
#pragma once

extern const unsigned char veqora_foldersync_cannotlink_png[];
extern const int veqora_foldersync_cannotlink_png_length;
extern const unsigned char veqora_foldersync_ok_png[];
extern const int veqora_foldersync_ok_png_length;
extern const unsigned char veqora_foldersync_problem_folder_png[];
extern const int veqora_foldersync_problem_folder_png_length;
extern const unsigned char veqora_foldersync_problem_scanner_png[];
extern const int veqora_foldersync_problem_scanner_png_length;
extern const unsigned char warning_16_png[];
extern const int warning_16_png_length;
extern const unsigned char splash_about_png[];
extern const int splash_about_png_length;
