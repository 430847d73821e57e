#include "Reachability.h"

#include <arpa/inet.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace veqplatform {
namespace desktop {

namespace {

constexpr unsigned long kRouteUp = 0x0001;      // RTF_UP
constexpr unsigned long kRouteReject = 0x0200;  // RTF_REJECT

bool IsSchemeText(const std::string& scheme) {
    if (scheme.empty() || !std::isalpha(static_cast<unsigned char>(scheme[0]))) return false;
    for (char c : scheme) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

bool IsHostNameText(const std::string& host) {
    for (char c : host) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.' && c != '_') return false;
    }
    return !host.empty();
}

bool IsLoopbackHost(const std::string& host) {
    if (host == "localhost") return true;
    in_addr v4;
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6;
    if (::inet_pton(AF_INET6, host.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
    return false;
}

// /proc/net/route: "Iface Destination Gateway Flags ..." with hexadecimal fields.
bool HasIpv4DefaultRoute(const std::string& table) {
    std::ifstream in(table);
    std::string line;
    std::getline(in, line);  // column titles
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, destination, gateway, flags;
        if (!(fields >> device >> destination >> gateway >> flags)) continue;
        unsigned long bits = std::strtoul(flags.c_str(), nullptr, 16);
        if (device != "lo" && destination == "00000000" && (bits & kRouteUp) && !(bits & kRouteReject)) return true;
    }
    return false;
}

// /proc/net/ipv6_route: destination, prefix length, source, source prefix
// length, next hop, metric, reference count, use count, flags, device.
bool HasIpv6DefaultRoute(const std::string& table) {
    std::ifstream in(table);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string destination, prefix, source, sourcePrefix, nextHop, metric, references, uses, flags, device;
        if (!(fields >> destination >> prefix >> source >> sourcePrefix >> nextHop >> metric >> references >> uses >>
              flags >> device))
            continue;
        unsigned long bits = std::strtoul(flags.c_str(), nullptr, 16);
        if (device != "lo" && destination == std::string(32, '0') && prefix == "00" && (bits & kRouteUp) &&
            !(bits & kRouteReject))
            return true;
    }
    return false;
}

}  // namespace

std::string UrlHost(const std::string& url) {
    std::string::size_type separator = url.find("://");
    if (separator == std::string::npos || !IsSchemeText(url.substr(0, separator))) return std::string();
    std::string authority = url.substr(separator + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    std::string::size_type at = authority.rfind('@');
    if (at != std::string::npos) authority = authority.substr(at + 1);

    std::string host;
    std::string rest;
    if (!authority.empty() && authority[0] == '[') {
        std::string::size_type close = authority.find(']');
        if (close == std::string::npos) return std::string();
        host = authority.substr(1, close - 1);
        rest = authority.substr(close + 1);
        in6_addr v6;
        if (::inet_pton(AF_INET6, host.c_str(), &v6) != 1) return std::string();
    } else {
        std::string::size_type colon = authority.find(':');
        host = authority.substr(0, colon);
        rest = colon == std::string::npos ? std::string() : authority.substr(colon);
        if (!IsHostNameText(host)) return std::string();
    }
    if (!rest.empty()) {
        if (rest[0] != ':') return std::string();
        for (size_t i = 1; i < rest.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(rest[i]))) return std::string();
        }
    }
    return host;
}

bool HasDefaultRoute(const std::string& ipv4Table, const std::string& ipv6Table) {
    return HasIpv4DefaultRoute(ipv4Table) || HasIpv6DefaultRoute(ipv6Table);
}

bool IsUrlReportedReachable(const std::string& url) {
    std::string host = UrlHost(url);
    if (host.empty()) return false;
    if (IsLoopbackHost(host)) return true;
    return HasDefaultRoute();
}

}  // namespace desktop
}  // namespace veqplatform
