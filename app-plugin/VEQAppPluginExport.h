// Marks what libVEQAppPlugin exports; everything else has hidden visibility.
#pragma once

#define VEQAPPPLUGIN_API __attribute__((visibility("default")))
