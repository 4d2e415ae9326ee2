#pragma once
#include "runtime/RuntimeError.h"

// One statement of an operation that goes on after a failure: the statement runs, and a
// failure goes to the operation's handler, which answers what follows. Only RuntimeError is
// handed over; anything else is a fault of the program and travels on.
namespace diag {

enum class AfterFailure {
    Next,    // go on with the next statement
    Repeat,  // run the failing statement again
    End,     // end the operation
};

enum class Guarded {
    Ran,     // the statement ran through
    Failed,  // it failed and the operation goes on with the next one
    Ended,   // it failed and the operation ends
};

// handler: AfterFailure(const rt::RuntimeError&). A template, so a statement of a per-row path
// costs no allocation.
template <class Handler, class Statement>
Guarded guarded(Handler&& handler, Statement&& statement)
{
    for (;;) {
        try {
            statement();
            return Guarded::Ran;
        } catch (const rt::RuntimeError& e) {
            switch (handler(e)) {
            case AfterFailure::Next: return Guarded::Failed;
            case AfterFailure::Repeat: continue;
            case AfterFailure::End: return Guarded::Ended;
            }
            return Guarded::Ended;
        }
    }
}

// The handler of statements whose failure is expected and changes nothing (dropping what may
// not exist yet).
inline AfterFailure nextStatement(const rt::RuntimeError&) { return AfterFailure::Next; }

}  // namespace diag
