// Passive reachability: what the system already knows about reaching a web
// address, read from the kernel's routing tables. Nothing here opens a socket,
// sends a packet or resolves a name.
#pragma once

#include <string>

namespace veqplatform {
namespace desktop {

// The host of an absolute URL ("scheme://[user@]host[:port][/...]"), without
// brackets for an IPv6 literal; empty when the text is no such URL.
std::string UrlHost(const std::string& url);

// True when the routing tables hold a usable default route (IPv4 or IPv6) on an
// interface other than the loopback one. Unreadable tables count as no route.
bool HasDefaultRoute(const std::string& ipv4Table = "/proc/net/route",
                     const std::string& ipv6Table = "/proc/net/ipv6_route");

// True when the connection to url is reported up: always for a loopback host
// ("localhost", 127.0.0.0/8, ::1), else when there is a default route.
// False for text that is not an absolute URL with a host.
bool IsUrlReportedReachable(const std::string& url);

}  // namespace desktop
}  // namespace veqplatform
