// The live handles and sessions. Every call looks its handle or session up
// here before touching anything, so that a null, closed or stale one is an
// error and never a crash.
#pragma once

#include "Connection.h"

#include "vellora.h"

#include <memory>
#include <vector>

namespace vellora {

// Registers a logged-in connection; the handle is a token never given out twice.
VelloraServerHandle* AddHandle(std::shared_ptr<Connection> connection);
std::shared_ptr<Connection> FindHandle(const VelloraServerHandle* handle);
std::shared_ptr<Connection> RemoveHandle(const VelloraServerHandle* handle);
std::vector<std::shared_ptr<Connection>> RemoveAllHandles();

// The connection of a live scan session; nullptr for a null, closed or invalid one.
std::shared_ptr<Connection> FromScanSession(const VelloraScanSession* session);
// The connection and settings of a live locale session.
std::shared_ptr<Connection> FromLocaleSession(const VelloraLocaleSession* session, LocaleSettings& settings);

}  // namespace vellora
