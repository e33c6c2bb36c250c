// A whole-model session made from a seed: every kind of object the library
// has, in random numbers, with random names (duplicates and empty ones
// among them), random field values and references shared between owners.
// The same seed always builds the same session.
#ifndef TAVRIN_TESTS_RANDOM_MODEL_H
#define TAVRIN_TESTS_RANDOM_MODEL_H

#include <cstdint>

class SSession;

namespace tavrin_test {

// A new session (the caller deletes it), null when none can be had. With
// `everyClass`, each kind of object is made at least once.
SSession* BuildRandomModel(std::uint64_t seed, bool everyClass = false);

}  // namespace tavrin_test

#endif
