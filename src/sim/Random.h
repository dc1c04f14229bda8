#pragma once
// A small seeded generator (SplitMix64). Its sequence is fixed by the seed on
// every platform and library, so a scenario seed reproduces a run exactly.
#include <cstdint>

namespace qm::sim {

class Random {
public:
    explicit Random(std::uint64_t seed = 0) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    // Uniform integer in [lo, hi].
    int between(int lo, int hi)
    {
        const auto span = static_cast<std::uint64_t>(hi - lo + 1);
        return lo + static_cast<int>(next() % span);
    }
    bool chance(double probability) { return unit() < probability; }

private:
    std::uint64_t state_;
};

// A fixed value in [0, 1) for (seed, a, b): the per-cell spread of a stack,
// independent of how many boards the chain has.
inline double FixedUnit(std::uint64_t seed, std::uint64_t a, std::uint64_t b)
{
    Random r(seed ^ (a * 0x100000001B3ULL) ^ (b << 40));
    r.next();
    return r.unit();
}

} // namespace qm::sim
