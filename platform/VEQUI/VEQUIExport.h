// Marks what libVEQUI exports; everything else has hidden visibility.
#pragma once

#define VEQUI_API __attribute__((visibility("default")))
