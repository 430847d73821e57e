// The two outputs of the log, both synchronous and with the one line format
// "dd-mm-YYYY HH:MM:SS <Level> message". Each is registered in the logging
// core and returned without a filter.
#pragma once

#include <string>

#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/log/sinks/text_ostream_backend.hpp>
#include <boost/shared_ptr.hpp>

#include "LogFileBackend.h"
#include "VEQServicesExport.h"

using FileSink = boost::log::sinks::synchronous_sink<LogFileBackend>;
using ConsoleSink = boost::log::sinks::synchronous_sink<boost::log::sinks::text_ostream_backend>;

// Files named by pattern ("%5N" is the rotation counter, "%%" a "%"), rotated
// before a record would bring the current file to rotationSize bytes. Files
// are opened for appending, so that two processes that compute the same name
// (started in the same second) add to one file instead of truncating each
// other's; a link, or another user's file, at a name is never written.
VEQSERVICES_API boost::shared_ptr<FileSink> CreateFileSink(const std::wstring& pattern,
                                                          unsigned long rotationSize);

// Standard output.
VEQSERVICES_API boost::shared_ptr<ConsoleSink> CreateConsoleSink();
