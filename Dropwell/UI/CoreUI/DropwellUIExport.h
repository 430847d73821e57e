// Marks what libDropwellUI exports (the entry points and the kit); everything
// else has hidden visibility.
#pragma once

#define DROPWELLUI_API __attribute__((visibility("default")))
