// Errors raised by the window toolkit and by the structure classes:
// _QXGENERROR, __LOWMEMERROR and _GENERROR.
#pragma once

#include <string>

#include "runtime/value.h"

namespace errors {

// Toolkit error codes for _QXGENERROR.
namespace toolkit_error {
constexpr int kNonDefinedId = 1;        // "Non defined Id"
constexpr int kDuplicatedId = 2;        // "Duplicated Id"
constexpr int kCannotCreateDialog = 3;  // "Cannot create Dialog Box"
constexpr int kMemoryLow = 4;           // "Memory Low" (BASE/5300, a warning)
constexpr int kGpf = 5;                 // "GPF occurred"
constexpr int kCannotCreateWindow = 6;  // "Cannot create window or control"
}  // namespace toolkit_error

// Builds the toolkit's error for nCode (1..6) with cOperation as its
// Operation, hands it straight to the installed error block (no retry or
// default check; the block's answer is ignored) and returns the object.
// A code outside 1..6 builds and raises nothing and returns nullptr.
runtime::ObjectPtr _QXGENERROR(int nCode, const std::string& cOperation = "");

// Builds the toolkit error object for nCode without raising it; nullptr for
// a code outside 1..6.
runtime::ObjectPtr toolkitError(int nCode, const std::string& cOperation);

// Raises the toolkit's "Memory Low" warning through the installed error
// block and returns the block's answer.
runtime::Value __LOWMEMERROR();

// The error a structure class raises for a member it does not have:
// BASE/nSubCode "Message not found", Operation cClass + ":" + cMessage,
// Severity 2. Built, not raised.
runtime::ObjectPtr _GENERROR(int nSubCode, const std::string& cClass, const std::string& cMessage);

}  // namespace errors
