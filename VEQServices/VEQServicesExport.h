// Marks what libVEQServices exports; everything else has hidden visibility.
#pragma once

#if defined(VEQSERVICES_BUILDING_LIBRARY)
#define VEQSERVICES_API __attribute__((visibility("default")))
#else
#define VEQSERVICES_API __attribute__((visibility("default")))
#endif
