#include "LogSinks.h"

#include <iostream>

#include <boost/core/null_deleter.hpp>
#include <boost/log/core.hpp>
#include <boost/log/expressions.hpp>
#include <boost/log/support/date_time.hpp>
#include <boost/make_shared.hpp>

#include "Logger.h"
#include "VEQServicesUtil.h"

namespace {

namespace expr = boost::log::expressions;

template <typename Sink>
void SetLineFormat(Sink& sink) {
    sink.set_formatter(expr::stream
                       << expr::format_date_time<boost::posix_time::ptime>("TimeStamp", "%d-%m-%Y %H:%M:%S")
                       << " <" << expr::attr<SeverityLevel>("Severity") << "> " << expr::smessage);
}

}  // namespace

boost::shared_ptr<FileSink> CreateFileSink(const std::wstring& pattern, unsigned long rotationSize) {
    auto backend = boost::make_shared<LogFileBackend>(VEQServicesUtil::wstringTostringUTF8(pattern), rotationSize);
    auto sink = boost::make_shared<FileSink>(backend);
    SetLineFormat(*sink);
    boost::log::core::get()->add_sink(sink);
    return sink;
}

boost::shared_ptr<ConsoleSink> CreateConsoleSink() {
    auto backend = boost::make_shared<boost::log::sinks::text_ostream_backend>();
    backend->add_stream(boost::shared_ptr<std::ostream>(&std::cout, boost::null_deleter()));
    backend->auto_flush(true);
    auto sink = boost::make_shared<ConsoleSink>(backend);
    SetLineFormat(*sink);
    boost::log::core::get()->add_sink(sink);
    return sink;
}
