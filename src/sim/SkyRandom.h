#pragma once

#include <array>
#include <cstdint>

namespace nuvix::sim {

// A small fast generator (xoshiro256**, seeded through splitmix64) whose sequence is fixed for
// a seed on every platform and library, so a seed always gives the same pictures.
class SkyRandom {
public:
    explicit SkyRandom(uint64_t seed)
    {
        for (uint64_t& word : state_)
            word = SplitMix(seed);
    }

    uint64_t Next()
    {
        const uint64_t result = RotateLeft(state_[1] * 5, 7) * 9;
        const uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = RotateLeft(state_[3], 45);
        return result;
    }

    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

    // Close to a unit normal: four 16-bit uniforms summed (Irwin-Hall), which is plenty for
    // read noise and costs one draw.
    float Normal()
    {
        const uint64_t r = Next();
        const uint32_t sum =
            static_cast<uint32_t>((r & 0xFFFF) + ((r >> 16) & 0xFFFF) + ((r >> 32) & 0xFFFF) + (r >> 48));
        // Mean 4 x 32767.5, variance 4 x (65536^2 - 1) / 12.
        constexpr float kMean = 131070.0f;
        constexpr float kInverseSigma = 1.0f / 37837.23f;
        return (static_cast<float>(sum) - kMean) * kInverseSigma;
    }

private:
    static uint64_t SplitMix(uint64_t& x)
    {
        uint64_t z = (x += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    static uint64_t RotateLeft(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::array<uint64_t, 4> state_{};
};

}  // namespace nuvix::sim
