// A whole-model session made from a seed: every kind of object, names (duplicates among them), fields, references.
#ifndef TAVRIN_TESTS_RANDOM_MODEL_H
#define TAVRIN_TESTS_RANDOM_MODEL_H

#include <cstdint>

class SSession;

namespace tavrin_test {

// A new session (the caller deletes it) or null; with `everyClass` each kind of object is made at least once.
SSession* BuildRandomModel(std::uint64_t seed, bool everyClass = false);

}  // namespace tavrin_test

#endif
