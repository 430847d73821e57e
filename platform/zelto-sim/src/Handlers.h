// The controller's side of every request: reads the request's fields, notes
// them in the call record, and writes the answer's fields.
#pragma once

#include "Controller.h"
#include "Faults.h"

#include "vellora_wire/Codec.h"

#include <atomic>
#include <climits>

namespace zeltosim {

// A request whose fields do not match its operation: the connection is closed.
constexpr int kMalformed = INT_MIN;

struct CallContext {
    Controller& controller;
    Faults& faults;
    vwire::Reader in;
    CallRecord& record;
    vwire::Writer& fields;              // the answer's fields after its result
    bool& loggedIn;
    std::atomic<uint32_t>& subscriptions;  // bit n: events of kind n

    void Arg(const std::string& name, const std::string& value) { record.arguments.emplace_back(name, value); }
    // The result injected for this call, if any (the call then has no effect).
    bool Injected(int& result) { return faults.TakeInjection(record.function, result); }
};

// Handles one request (anything but a data request); returns its result or kMalformed.
int HandleRequest(uint16_t op, CallContext& call);

// A data request, read and resolved to the bytes to send.
struct DataRequest {
    int jobId = 0;
    std::shared_ptr<const JobDocument> document;
    uint64_t offset = 0;
    uint32_t length = 0;
};

// Reads a data request; returns 0 (then request.document is set), an error
// result, or kMalformed.
int PrepareData(CallContext& call, DataRequest& request);

}  // namespace zeltosim
