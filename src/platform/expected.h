#pragma once

// A value or the Result of the failure that left none: for a function that makes
// something and can fail. ok() says which; value() is there only when ok(), failure()
// only when not.

#include <cassert>
#include <optional>
#include <utility>

#include "platform/result.h"

template <class T>
class [[nodiscard]] Expected {
  public:
    // Implicit both, so that a function returns either as it is; failure must have failed.
    Expected(T value) : made(std::move(value)) {}
    Expected(Result failure) : why(std::move(failure)) { assert(!why.ok()); }

    bool ok() const { return made.has_value(); }
    const Result& failure() const { return why; }

    T& value() {
        assert(made);
        return *made;
    }
    const T& value() const {
        assert(made);
        return *made;
    }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

  private:
    std::optional<T> made;
    Result why = Result::Ok();
};
