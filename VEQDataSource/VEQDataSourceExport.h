// Marks what libVEQDataSource exports; everything else has hidden visibility.
#pragma once

#define VEQDATASOURCE_API __attribute__((visibility("default")))
