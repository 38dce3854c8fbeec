#pragma once
// The generator's random numbers: xoshiro256** seeded through splitmix64. Written out here
// rather than taken from <random> because the standard distributions may differ between
// library versions, and the synthetic clinics must come out the same everywhere.

#include <cstddef>
#include <cstdint>

namespace corvalen::generator {

class Rng {
public:
    explicit Rng(std::uint64_t seed) {
        for (auto& word : s_) {
            seed += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            word = z ^ (z >> 31);
        }
    }

    std::uint64_t next() {
        const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }

    // A whole number in [0, n), n > 0.
    std::uint64_t below(std::uint64_t n) {
        return static_cast<std::uint64_t>((static_cast<Wide>(next()) * n) >> 64);
    }
    int below(int n) { return static_cast<int>(below(static_cast<std::uint64_t>(n))); }
    // A whole number in [low, high].
    int between(int low, int high) { return low + below(high - low + 1); }
    // True with the given chance in percent.
    bool percent(int chance) { return below(100) < chance; }

    template <typename T, std::size_t N> const T& pick(const T (&items)[N]) {
        return items[below(static_cast<std::uint64_t>(N))];
    }

private:
    __extension__ typedef unsigned __int128 Wide;
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t s_[4];
};

} // namespace corvalen::generator
