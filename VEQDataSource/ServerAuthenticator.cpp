#include "ServerAuthenticator.h"

ServerAuthenticator::ServerAuthenticator() = default;

ServerAuthenticator::~ServerAuthenticator() = default;
