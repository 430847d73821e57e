// State of the logging unit shared between the logger set-up and the log
// statements; internal to the library.
#pragma once

#include <boost/log/sources/severity_logger.hpp>

#include "Logger.h"

// The configured level: written only while the Logger is built.
extern SeverityLevel s_currentLogSeverityLevel;

// The one logger source of the process.
extern boost::log::sources::severity_logger_mt<SeverityLevel> s_log;
