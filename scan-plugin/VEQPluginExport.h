// Marks what libVEQPlugin exports; everything else has hidden visibility.
#pragma once

#define VEQPLUGIN_API __attribute__((visibility("default")))
