// Checks the SELECT texts that reach OpenQuery and adapts the host's SQL dialect to the backend.
//
// The module writes its queries in the host's classic dialect ("Select Top 1000 ...", and the
// DB2-style "fetch first n row only"). Only a single SELECT is accepted; anything else raises
// ESelectRejected with a message for the error list. The checks here are the first guard; the
// backend's read-only query is the second.
#pragma once

#include "DbBackend.h"

#include <stdexcept>
#include <string>
#include <string_view>

class ESelectRejected : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Returns the text to run on the backend (UTF-8 in, UTF-8 out).
std::string AdaptSelect(std::string_view sql, TDbKind kind);
